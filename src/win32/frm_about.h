// The About dialog in Win32: the controls of the layout table and the etched
// rule, showing what the About behaviour tells it.
#pragma once

#include "app/about_dialog.h"
#include "app/views.h"
#include "win32/win32_widgets.h"

namespace pelloquin {

class frmAbout : public LayoutWindow<AboutControl>, public AboutView {
 public:
  // Made hidden, with no owner.
  explicit frmAbout(AboutDialog& behaviour);

  void SetCaption(std::string_view caption) override;
  void SetTitle(std::string_view title) override;
  void SetVersion(std::string_view version) override;
  void ShowInFront() override;

 protected:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Place(int dpi) override;

 private:
  void Close();
  void ShowIcon();
  void PaintRule(HDC dc) const;

  AboutDialog& behaviour_;
  OwnedIcon icon_;
  bool shown_before_ = false;
};

}  // namespace pelloquin
