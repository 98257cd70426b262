// The About dialog in Qt.
#include "ui/frm_about.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/qt_widgets.h"

namespace pelloquin {

namespace {

// The label sizes were laid out for a small system font; with a larger one the
// text would be cut off at the bottom, so the font shrinks until it fits.
void FitText(QLabel* label) {
  QFont font = label->font();
  while (label->heightForWidth(label->width()) > label->height() && font.pointSizeF() > 6.0) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
  }
}

}  // namespace

frmAbout::frmAbout(AboutDialog& behaviour) : QDialog(nullptr), behaviour_(behaviour) {
  setObjectName(FromUtf8(kAboutLayout.name));
  // No parent and not modal, so it has no owner and keeps the program
  // running on its own once the main window is closed.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(WindowFont());
  dpi_ = ScreenDpi(*this);
  setFixedSize(TwipsToPixels(kAboutLayout.client_width, dpi_),
               TwipsToPixels(kAboutLayout.client_height, dpi_));
  setWindowIcon(ProgramIcon());

  const Controls<AboutControl> controls(this, dpi_);
  QLabel* picIcon = controls.Get<AboutControl::picIcon>();
  picIcon->setPixmap(windowIcon().pixmap(picIcon->size()));
  lblTitle_ = controls.Get<AboutControl::lblTitle>();
  lblVersion_ = controls.Get<AboutControl::lblVersion>();
  QLabel* lblDescription = controls.Get<AboutControl::lblDescription>();
  lblDescription->setText(FromUtf8(AboutDescription()));
  QLabel* lblDisclaimer = controls.Get<AboutControl::lblDisclaimer>();
  lblDisclaimer->setText(FromUtf8(kAboutDisclaimer));
  for (QLabel* label : {lblTitle_, lblVersion_, lblDescription, lblDisclaimer}) {
    label->setWordWrap(true);
  }
  FitText(lblDescription);

  QPushButton* cmdOK = controls.Get<AboutControl::cmdOK>();
  QPushButton* cmdSysInfo = controls.Get<AboutControl::cmdSysInfo>();
  // Enter presses the focused button, as on any dialog.
  cmdOK->setAutoDefault(true);
  cmdSysInfo->setAutoDefault(true);
  cmdOK_ = cmdOK;
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdSysInfo, &QPushButton::clicked, this, [this] { behaviour_.SysInfo(); });
  // OK, Escape and the window's close button all end here.
  connect(this, &QDialog::finished, this, [this] { behaviour_.Closed(); });
}

frmAbout::~frmAbout() = default;

void frmAbout::SetCaption(std::string_view caption) {
  setWindowTitle(FromUtf8(caption));
}

void frmAbout::SetTitle(std::string_view title) {
  lblTitle_->setText(FromUtf8(title));
  FitText(lblTitle_);
}

void frmAbout::SetVersion(std::string_view version) {
  lblVersion_->setText(FromUtf8(version));
  FitText(lblVersion_);
}

void frmAbout::ShowInFront() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  cmdOK_->setFocus();
}

void frmAbout::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  for (const LineLayout& line : kAboutLayout.lines) {
    painter.setPen(QColor(line.colour.red, line.colour.green, line.colour.blue));
    painter.drawLine(TwipsToPixels(line.x1, dpi_), TwipsToPixels(line.y1, dpi_),
                     TwipsToPixels(line.x2, dpi_), TwipsToPixels(line.y2, dpi_));
  }
}

}  // namespace pelloquin
