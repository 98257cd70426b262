// The About dialog: title, version, description, and the System Info button.
#pragma once

#include <QWidget>

#include "app_services.h"

class QLabel;
class QPushButton;

namespace pelloquin {

class frmAbout : public QWidget {
  Q_OBJECT

 public:
  explicit frmAbout(AppServices& services);
  ~frmAbout() override;

  bool IsLoaded() const { return loaded_; }
  // Sets the caption and the title and version labels; the dialog is then loaded.
  void Load();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnSysInfo();
  int Px(int twips) const;

  AppServices& services_;
  bool loaded_ = false;
  QLabel* picIcon_;
  QLabel* lblTitle_;
  QLabel* lblVersion_;
  QLabel* lblDescription_;
  QLabel* lblDisclaimer_;
  QPushButton* cmdOK_;
  QPushButton* cmdSysInfo_;
};

// Opens the program's one About dialog: created on first use, loaded unless it
// is loaded already, shown modeless with no owner and brought to the front.
void ShowAbout(AppServices& services);

}  // namespace pelloquin
