// The About dialog: its controls, the load steps and the one-instance lifecycle.
#include "frm_about.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <memory>
#include <string>

#include "app_info.h"
#include "frm_main.h"
#include "system_info.h"

namespace pelloquin {

namespace {

constexpr int kClientWidth = 5730;
constexpr int kClientHeight = 3555;
constexpr const char* kDescription =
    "The Pelloquin helps you keep track of all your save games between characters. Essentially "
    "you can swap in and out your save games depending on which character you would like to play.";

// The application's icon, else the program's own.
QIcon AboutIcon() {
  QIcon icon = QApplication::windowIcon();
  return icon.isNull() ? ProgramIcon() : icon;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// The label sizes were laid out for a small system font; with a larger one the
// text would be cut off at the bottom, so the font shrinks until it fits.
void FitText(QLabel* label) {
  QFont font = label->font();
  while (label->heightForWidth(label->width()) > label->height() && font.pointSizeF() > 6.0) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
  }
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  // Enter presses the focused button, as on any dialog.
  button->setAutoDefault(true);
  return button;
}

}  // namespace

frmAbout::frmAbout(AppServices& services) : QWidget(nullptr), services_(services) {
  setObjectName("frmAbout");
  // No parent and an ordinary window, so it has no owner and keeps the
  // program running on its own once the main window is closed.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Px(kClientWidth), Px(kClientHeight));
  const QIcon icon = AboutIcon();
  setWindowIcon(icon);

  picIcon_ = new QLabel(this);
  picIcon_->setObjectName("picIcon");
  picIcon_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (!icon.isNull()) picIcon_->setPixmap(icon.pixmap(QSize(Px(540), Px(540))));
  lblTitle_ = MakeLabel(this, "lblTitle", QString());
  lblVersion_ = MakeLabel(this, "lblVersion", QString());
  lblDescription_ =
      MakeLabel(this, "lblDescription",
                QString::fromUtf8(kDescription) + ' ' + QString::fromUtf8(kHomepageUrl));
  lblDisclaimer_ = MakeLabel(this, "lblDisclaimer", QString());
  cmdOK_ = MakeButton(this, "cmdOK", "OK");
  cmdSysInfo_ = MakeButton(this, "cmdSysInfo", "&System Info...");

  const auto place = [this](QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(TwipsToPixels(QRect(left, top, width, height), logicalDpiX() / 96.0));
  };
  place(picIcon_, 240, 240, 540, 540);
  place(lblTitle_, 1050, 240, 3885, 480);
  place(lblVersion_, 1050, 780, 3885, 225);
  place(lblDescription_, 1050, 1125, 3885, 1170);
  place(lblDisclaimer_, 255, 2625, 3870, 825);
  place(cmdOK_, 4245, 2625, 1260, 345);
  place(cmdSysInfo_, 4260, 3075, 1245, 345);

  // Of the controls only the buttons take the focus; OK comes first.
  setTabOrder(cmdOK_, cmdSysInfo_);

  connect(cmdOK_, &QPushButton::clicked, this, &QWidget::close);
  connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::OnSysInfo);
}

frmAbout::~frmAbout() = default;

int frmAbout::Px(int twips) const {
  return TwipsToPixels(twips, logicalDpiX() / 96.0);
}

void frmAbout::Load() {
  setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(kAppTitle));
  lblVersion_->setText(QStringLiteral("Version %1.%2.%3")
                           .arg(kVersionMajor)
                           .arg(kVersionMinor)
                           .arg(kVersionRevision));
  lblTitle_->setText(QString::fromUtf8(kAppTitle));
  for (QLabel* label : {lblTitle_, lblVersion_, lblDescription_, lblDisclaimer_}) FitText(label);
  cmdOK_->setFocus();
  loaded_ = true;
}

void frmAbout::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  // The etched rule: a grey line with a white one a pixel below and a pixel
  // further right.
  QPainter painter(this);
  const int left = Px(90);
  const int right = Px(5654);
  const int top = Px(2445);
  painter.setPen(QColor(128, 128, 128));
  painter.drawLine(left, top, right, top);
  painter.setPen(QColor(255, 255, 255));
  painter.drawLine(left + 1, top + 1, right, top + 1);
}

void frmAbout::closeEvent(QCloseEvent* event) {
  loaded_ = false;
  event->accept();
}

void frmAbout::OnSysInfo() {
  std::unique_ptr<RegistryApi> registry;
  try {
    if (services_.open_registry) registry = services_.open_registry(services_.state.SavePath);
  } catch (...) {
    // No registry to read: the command reports it as unavailable.
    registry.reset();
  }
  StartSysInfo(registry.get(), services_.prompt, services_.starter);
}

void ShowAbout(AppServices& services) {
  if (!services.about) services.about = std::make_unique<frmAbout>(services);
  frmAbout& about = *services.about;
  if (!about.IsLoaded()) about.Load();
  about.setWindowState(about.windowState() & ~Qt::WindowMinimized);
  about.show();
  about.raise();
  about.activateWindow();
}

}  // namespace pelloquin
