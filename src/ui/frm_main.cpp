// The program's main window: the start-up that puts the save folder in order,
// the character list, and the commands Load Save, Launch, the save-folder menu
// item and About.
#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "app_info.h"
#include "failure_report.h"
#include "frm_about.h"
#include "game.h"
#include "save_folder.h"
#include "save_folder_prompt.h"
#include "save_progress.h"
#include "settings.h"
#include "shared_state.h"

namespace pelloquin {

namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// "MS Sans Serif" 8.25 pt where installed, else the system's UI font at that size.
QFont WindowFont() {
  QFont font = QApplication::font();
  if (QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"))) {
    font = QFont(QStringLiteral("MS Sans Serif"));
  }
  font.setPointSizeF(8.25);
  return font;
}

QPushButton* MakeButton(const char* name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  // Neither Enter nor Escape may press a button.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/pelloquin-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

int TwipsToPixels(int twips, double scale) {
  return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
}

QRect TwipsToPixels(const QRect& twips, double scale) {
  auto pixels = [scale](int value) { return TwipsToPixels(value, scale); };
  const int left = pixels(twips.x());
  const int top = pixels(twips.y());
  return QRect(left, top, pixels(twips.x() + twips.width()) - left,
               pixels(twips.y() + twips.height()) - top);
}

frmMain::frmMain(AppServices& services) : QMainWindow(nullptr), services_(services) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QString::fromUtf8(kAppTitle));
  setWindowIcon(ProgramIcon());
  // A fixed border: a close button, no minimize or maximize.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  if (QScreen* display = screen()) scale_ = display->logicalDotsPerInch() / 96.0;
  BuildControls();
}

frmMain::~frmMain() = default;

void frmMain::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFont(WindowFont());
  const QRect client_rect = TwipsToPixels(kClientTwips, scale_);
  client->setFixedSize(client_rect.size());
  setCentralWidget(client);

  QFont caption_font = client->font();
  caption_font.setBold(true);

  frame_chars_ = new QGroupBox(QStringLiteral("Characters"), client);
  frame_chars_->setObjectName(QStringLiteral("frameChars"));
  frame_chars_->setFont(caption_font);
  frame_chars_->setGeometry(TwipsToPixels(kFrameCharsTwips, scale_));

  // A sibling of the frame drawn over it, as the frame holds no control.
  lst_chars_ = new QListWidget(client);
  lst_chars_->setObjectName(QStringLiteral("lstChars"));
  lst_chars_->setSelectionMode(QAbstractItemView::SingleSelection);
  lst_chars_->setSortingEnabled(false);
  lst_chars_->setGeometry(TwipsToPixels(kListCharsTwips, scale_));
  lst_chars_->raise();

  frame_loaded_ = new QGroupBox(QStringLiteral("Loaded Character"), client);
  frame_loaded_->setObjectName(QStringLiteral("Frame1"));
  frame_loaded_->setFont(caption_font);
  frame_loaded_->setGeometry(TwipsToPixels(kFrame1Twips, scale_));

  lbl_loaded_ = new QLabel(frame_loaded_);
  lbl_loaded_->setObjectName(QStringLiteral("lblLoaded"));
  // Set explicitly, or the weight would come from the bold frame caption.
  QFont label_font = client->font();
  label_font.setBold(false);
  lbl_loaded_->setFont(label_font);
  lbl_loaded_->setTextFormat(Qt::PlainText);
  lbl_loaded_->setGeometry(TwipsToPixels(kLabelLoadedTwips, scale_));

  cmd_load_ = MakeButton("cmdLoad", QStringLiteral("Load Save"), client);
  cmd_load_->setGeometry(TwipsToPixels(kLoadButtonTwips, scale_));
  cmd_launch_ = MakeButton("cmdLaunch", QStringLiteral("Launch Oblivion"), client);
  cmd_launch_->setGeometry(TwipsToPixels(kLaunchButtonTwips, scale_));

  setTabOrder(cmd_load_, lst_chars_);
  setTabOrder(lst_chars_, cmd_launch_);
  cmd_load_->setFocus();

  connect(cmd_load_, &QPushButton::clicked, this, [this] { Guarded([this] { LoadSave(); }); });
  connect(cmd_launch_, &QPushButton::clicked, this, [this] { Guarded([this] { Launch(); }); });

  // Top-level items only: they act when chosen, like buttons.
  mnu_config_ = menuBar()->addAction(QStringLiteral("Config Save Location"));
  mnu_config_->setObjectName(QStringLiteral("mnuConfig"));
  mnu_about_ = menuBar()->addAction(QStringLiteral("About"));
  mnu_about_->setObjectName(QStringLiteral("mnuAbout"));
  connect(mnu_config_, &QAction::triggered, this,
          [this] { Guarded([this] { ConfigSaveLocation(); }); });
  connect(mnu_about_, &QAction::triggered, this, [this] { Guarded([this] { About(); }); });

  // The window is exactly the menu bar over the client area; sized now so it
  // can be centred before it is shown.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();

  if (QScreen* display = screen()) {
    const QRect available = display->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
  }
}

void frmMain::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    services_.prompt.ShowMessage(std::string("Pelloquin could not finish: ") + error.what(),
                                 MessageIcon::Critical);
  }
}

void frmMain::Load() {
  Guarded([this] { RunStartup(); });
}

void frmMain::RunStartup() {
  SharedState& state = services_.state;
  ClearCharacterTable(state);
  state.IniPath = services_.ini_path;
  LoadSettings(state);
  lbl_loaded_->setText(FromUtf8(state.LoadedChar));

  Failures failures;
  if (!FileExists(state.IniPath)) {
    failures = ChooseSaveFolder(state, services_.prompt, SaveFolderPromptKind::FirstRun);
  }

  const Failures prepared = PrepareSaveFolder(state);
  failures.insert(failures.end(), prepared.begin(), prepared.end());

  lst_chars_->clear();
  listed_names_.clear();
  FillCharacterList(state, [this](const std::string& name) {
    listed_names_.push_back(name);
    lst_chars_->addItem(FromUtf8(name));
  });

  {
    SaveProgress progress(this, QStringLiteral("Sorting the saves into their characters' folders"));
    const Failures archived = ArchiveSaves(state, progress.Callback());
    failures.insert(failures.end(), archived.begin(), archived.end());
  }

  if (services_.open_registry) {
    if (auto registry = services_.open_registry(state.SavePath)) {
      LocateGame(state, *registry, services_.prompt);
    }
  }

  ShowFailures(services_.prompt, "Some saves could not be sorted:", failures);
}

void frmMain::LoadSave() {
  const QList<QListWidgetItem*> selected = lst_chars_->selectedItems();
  if (selected.isEmpty()) {
    services_.prompt.ShowMessage(kNoSelectionMessage, MessageIcon::Critical);
    return;
  }
  const std::string name =
      listed_names_.at(static_cast<std::size_t>(lst_chars_->row(selected.front())));
  Failures failures;
  {
    SaveProgress progress(this, QStringLiteral("Loading %1").arg(selected.front()->text()));
    failures = LoadCharacter(services_.state, name, progress.Callback());
  }
  lbl_loaded_->setText(FromUtf8(services_.state.LoadedChar));
  ShowFailures(services_.prompt, "Some saves of " + name + " could not be loaded:", failures);
}

void frmMain::Launch() {
  // The characters found in this run live on only in the settings file.
  ShowSettingsFailures(SaveSettings(services_.state));
  if (std::optional<Failure> failure = LaunchGame(services_.state, services_.starter)) {
    ShowFailures(services_.prompt, "The game could not be started:", {*failure});
    return;
  }
  if (services_.quit) services_.quit();
}

void frmMain::ConfigSaveLocation() {
  ShowSettingsFailures(
      ChooseSaveFolder(services_.state, services_.prompt, SaveFolderPromptKind::Menu));
}

void frmMain::About() {
  ShowAbout(services_);
}

void frmMain::ShowSettingsFailures(const Failures& failures) {
  ShowFailures(services_.prompt,
               "The settings could not be written to " + services_.state.IniPath + ":", failures);
}

void frmMain::closeEvent(QCloseEvent* event) {
  Guarded([this] { ShowSettingsFailures(SaveSettings(services_.state)); });
  event->accept();
}

}  // namespace pelloquin
