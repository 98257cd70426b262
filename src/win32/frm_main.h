// The main window in Win32: the controls of the layout table, showing what
// the main window's behaviour tells it and passing on the user's commands.
#pragma once

#include "app/main_window.h"
#include "app/views.h"
#include "win32/win32_tip.h"
#include "win32/win32_widgets.h"

namespace pelloquin {

class frmMain : public LayoutWindow<MainControl>, public MainView {
 public:
  // Made hidden; Show() shows it centred once the start-up has run.
  explicit frmMain(MainWindow& behaviour);
  ~frmMain() override;

  void Show(int show_command);

  void SetCharacterList(const std::vector<std::string>& names) override;
  void SetLoadedName(std::string_view name) override;
  std::optional<std::size_t> SelectedRow() const override;
  void BeginProgress() override;
  void AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) override;
  void EndProgress() override;
  void HoldSession(std::string_view reason) override;
  void ReleaseSession() override;

 protected:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Command(int id);
  // The pointer over the character list: the tip of the row it rests on.
  static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR window);
  void ListMouse(UINT message, LPARAM lparam);
  // The row at a point of the list's client area; none below the last row.
  std::optional<std::size_t> RowAt(LPARAM point) const;

  MainWindow& behaviour_;
  HWND lstChars_;
  HWND lblLoaded_;
  HWND progress_ = nullptr;
  TipWindow tip_;
  // The row whose tip was asked for: not asked again while the pointer stays on it.
  std::optional<std::size_t> tip_row_;
  bool hover_tracked_ = false;
};

// The progress window's class name, as it is found.
inline constexpr wchar_t kProgressClass[] = L"PelloquinProgress";

}  // namespace pelloquin
