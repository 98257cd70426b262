// What the behaviour needs from each window. A front end's windows implement
// these; the tests record them.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelloquin {

class AboutDialog;

class MainView {
 public:
  virtual ~MainView() = default;

  virtual void SetCharacterList(const std::vector<std::string>& names) = 0;
  virtual void SetLoadedName(std::string_view name) = 0;
  // The selected row of the character list; none when nothing is selected.
  virtual std::optional<std::size_t> SelectedRow() const = 0;

  // A modal progress window over this one, for file work that takes long
  // enough to be noticed. Advance repaints it; input stays blocked.
  virtual void BeginProgress() = 0;
  virtual void AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) = 0;
  virtual void EndProgress() = 0;

  // File work the end of the session waits for starts (`reason` says what
  // it does, for a system that asks the user to wait) and ends.
  virtual void HoldSession(std::string_view reason) { (void)reason; }
  virtual void ReleaseSession() {}
};

class AboutView {
 public:
  virtual ~AboutView() = default;

  virtual void SetCaption(std::string_view caption) = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual void SetVersion(std::string_view version) = 0;
  // Shows the window modeless and with no owner, or, when it is shown
  // already, brings it to the front (restored if minimised), OK focused.
  virtual void ShowInFront() = 0;
};

// The window system around the windows.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The About window, made once, on first use; it reports to `dialog`.
  virtual std::unique_ptr<AboutView> MakeAboutView(AboutDialog& dialog) = 0;
  // Ends the event loop; the program then ends.
  virtual void Quit() = 0;
};

}  // namespace pelloquin
