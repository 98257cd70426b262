// The About dialog in Qt: the controls of the layout table and the etched
// rule, showing what the About behaviour tells it.
#pragma once

#include <QDialog>

#include "app/about_dialog.h"
#include "app/views.h"

class QLabel;

namespace pelloquin {

class frmAbout : public QDialog, public AboutView {
  Q_OBJECT

 public:
  explicit frmAbout(AboutDialog& behaviour);
  ~frmAbout() override;

  void SetCaption(std::string_view caption) override;
  void SetTitle(std::string_view title) override;
  void SetVersion(std::string_view version) override;
  void ShowInFront() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  AboutDialog& behaviour_;
  int dpi_;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblVersion_ = nullptr;
  QWidget* cmdOK_ = nullptr;
};

}  // namespace pelloquin
