// The main window in Qt.
#include "ui/frm_main.h"

#include <QAction>
#include <QBuffer>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>
#include <algorithm>

#include "app_info.h"
#include "ui/qt_widgets.h"

namespace pelloquin {

frmMain::frmMain(MainWindow& behaviour) : QMainWindow(nullptr), behaviour_(behaviour) {
  setObjectName(FromUtf8(kMainWindowLayout.name));
  setWindowTitle(FromUtf8(kAppTitle));
  setWindowIcon(ProgramIcon());
  // A fixed border: a close button, no minimize or maximize.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFont(WindowFont());
  const int dpi = ScreenDpi(*this);
  client->setFixedSize(TwipsToPixels(kMainWindowLayout.client_width, dpi),
                       TwipsToPixels(kMainWindowLayout.client_height, dpi));
  setCentralWidget(client);

  const Controls<MainControl> controls(client, dpi);
  lstChars_ = controls.Get<MainControl::lstChars>();
  lblLoaded_ = controls.Get<MainControl::lblLoaded>();
  SetLoadedName("");
  lstChars_->viewport()->installEventFilter(this);
  connect(controls.Get<MainControl::cmdLoad>(), &QPushButton::clicked, this,
          [this] { behaviour_.LoadSave(); });
  connect(controls.Get<MainControl::cmdLaunch>(), &QPushButton::clicked, this,
          [this] { behaviour_.Launch(); });

  // Top-level items only: they act when chosen, like buttons.
  for (const MenuItemLayout& item : kMainWindowLayout.menu) {
    QAction* action = menuBar()->addAction(FromUtf8(item.text));
    action->setObjectName(FromUtf8(item.name));
    switch (static_cast<MainMenuItem>(item.row)) {
      case MainMenuItem::mnuConfig:
        connect(action, &QAction::triggered, this, [this] { behaviour_.ConfigSaveLocation(); });
        break;
      case MainMenuItem::mnuAbout:
        connect(action, &QAction::triggered, this, [this] { behaviour_.About(); });
        break;
    }
  }

  // The window is exactly the menu bar over the client area; sized now so it
  // can be centred before it is shown.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  if (const QScreen* display = screen()) {
    move(display->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  }
  behaviour_.Attach(*this);
}

frmMain::~frmMain() = default;

void frmMain::SetCharacterList(const std::vector<std::string>& names) {
  lstChars_->clear();
  tip_row_ = -1;
  for (const std::string& name : names) lstChars_->addItem(FromUtf8(name));
}

void frmMain::SetLoadedName(std::string_view name) {
  lblLoaded_->setText(FromUtf8(name));
  // Screen readers would otherwise name an empty label after its frame.
  lblLoaded_->setAccessibleName(name.empty()
                                    ? QStringLiteral("No character loaded")
                                    : QStringLiteral("Loaded character: ") + FromUtf8(name));
}

std::optional<std::size_t> frmMain::SelectedRow() const {
  const QList<QListWidgetItem*> selected = lstChars_->selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return static_cast<std::size_t>(lstChars_->row(selected.front()));
}

void frmMain::BeginProgress() {
  progress_ = std::make_unique<QProgressDialog>(this);
  // The text holds a character's name, which may look like markup.
  auto* label = new QLabel(progress_.get());
  label->setTextFormat(Qt::PlainText);
  progress_->setLabel(label);
  progress_->setWindowTitle(FromUtf8(kAppTitle));
  progress_->setCancelButton(nullptr);
  progress_->setWindowModality(Qt::ApplicationModal);
  progress_->setMinimumDuration(0);
  progress_->setAutoClose(false);
  progress_->setAutoReset(false);
  progress_->show();
}

void frmMain::AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) {
  if (!progress_) return;
  // QProgressDialog counts in int; thousands of saves fit in any case.
  const auto clamp = [](std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, 1'000'000'000));
  };
  progress_->setMaximum(clamp(total));
  progress_->setLabelText(FromUtf8(text));
  progress_->setValue(clamp(done));
  // Input is blocked by the modality; this only lets the dialog paint.
  QCoreApplication::processEvents();
}

void frmMain::EndProgress() {
  progress_.reset();
}

namespace {

// The tip as rich text, the screenshot inline at its own size; the words are
// escaped, since names and places may look like markup.
QString TipHtml(const CharacterTip& tip) {
  QString html;
  if (tip.picture) {
    const SaveScreenshot& shot = *tip.picture;
    const QImage image(shot.rgb.data(), static_cast<int>(shot.width), static_cast<int>(shot.height),
                       static_cast<qsizetype>(shot.width) * 3, QImage::Format_RGB888);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    html += QStringLiteral("<img src=\"data:image/png;base64,%1\"><br>")
                .arg(QString::fromLatin1(png.toBase64()));
  }
  QStringList lines;
  for (const std::string& line : tip.lines) lines << FromUtf8(line).toHtmlEscaped();
  return html + lines.join(QStringLiteral("<br>"));
}

}  // namespace

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lstChars_->viewport() || event->type() != QEvent::ToolTip) {
    return QMainWindow::eventFilter(watched, event);
  }
  const QPoint pos = static_cast<QHelpEvent*>(event)->pos();
  QListWidgetItem* item = lstChars_->itemAt(pos);
  const int row = item != nullptr ? lstChars_->row(item) : -1;
  if (row >= 0 && row == tip_row_ && QToolTip::isVisible()) return true;
  tip_row_ = row;
  const std::optional<CharacterTip> tip =
      row >= 0 ? behaviour_.TipForRow(static_cast<std::size_t>(row)) : std::nullopt;
  if (!tip) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), TipHtml(*tip),
                       lstChars_->viewport(), lstChars_->visualItemRect(item));
  }
  return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
  behaviour_.Close();
  event->accept();
}

}  // namespace pelloquin
