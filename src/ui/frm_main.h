// The program's main window: the start-up that puts the save folder in order,
// the character list, and the commands Load Save, Launch, the save-folder menu
// item and About.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QRect>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app_services.h"
#include "failure.h"

class QAction;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace pelloquin {

inline constexpr std::string_view kNoSelectionMessage = "You must select a character to load.";

// Layout in twips: 1440 to the inch, 15 to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr QRect kClientTwips{0, 0, 4800, 1770};
inline constexpr QRect kFrameCharsTwips{120, 120, 2295, 1575};
inline constexpr QRect kListCharsTwips{240, 360, 2055, 1230};
inline constexpr QRect kFrame1Twips{2520, 120, 2175, 615};
inline constexpr QRect kLabelLoadedTwips{240, 240, 1815, 255};  // inside Frame1
inline constexpr QRect kLoadButtonTwips{2520, 840, 2175, 375};
inline constexpr QRect kLaunchButtonTwips{2520, 1320, 2175, 375};

// Twips to device-independent pixels; `scale` is the screen's logical dpi / 96.
// Edges are rounded, not sizes, so controls that meet in twips meet on screen.
int TwipsToPixels(int twips, double scale);
QRect TwipsToPixels(const QRect& twips, double scale);

// The program's own icon, in every size it ships with.
QIcon ProgramIcon();

class frmMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmMain(AppServices& services);
  ~frmMain() override;

  // The start-up sequence; the window is shown once it has returned.
  void Load();

  double LayoutScale() const { return scale_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void RunStartup();
  // Runs a command; an exception it throws is shown, never let into Qt's event loop.
  void Guarded(const std::function<void()>& command);
  void LoadSave();
  void Launch();
  void ConfigSaveLocation();
  void About();
  void ShowSettingsFailures(const Failures& failures);

  AppServices& services_;
  double scale_ = 1.0;
  // The names as stored, row by row: the list's text may not hold them byte for byte.
  std::vector<std::string> listed_names_;
  QGroupBox* frame_chars_ = nullptr;
  QListWidget* lst_chars_ = nullptr;
  QGroupBox* frame_loaded_ = nullptr;
  QLabel* lbl_loaded_ = nullptr;
  QPushButton* cmd_load_ = nullptr;
  QPushButton* cmd_launch_ = nullptr;
  QAction* mnu_config_ = nullptr;
  QAction* mnu_about_ = nullptr;
};

}  // namespace pelloquin
