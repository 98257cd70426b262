// A run without the main window, for a shortcut: --list, --load NAME,
// --launch. It drives the main window's own behaviour (the start-up's
// sorting, Load Save, Launch, the settings written on close) with the
// character chosen by name instead of by a click, and ends with a status
// from exit_status.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "app/views.h"
#include "core/prompt.h"
#include "platform/instance_lock.h"

namespace pelloquin {

// Where a run's words go: its front end's standard output and error, or a
// message box when the program has no console (started from a shortcut).
class CommandLineConsole {
 public:
  virtual ~CommandLineConsole() = default;
  virtual void Print(std::string_view text) = 0;
  // `details`, when given, is the whole of what `text` shortens.
  virtual void Complain(std::string_view text, std::string_view details) = 0;
  // Lets a signal or the end of the session that came during a step reach
  // the behaviour, as the event loop would.
  virtual void Deliver() {}
};

// The prompt of a run without a window: every message is a complaint, no
// file dialog is opened. Counts the failures it was told of.
class CommandLinePrompt : public Prompt {
 public:
  explicit CommandLinePrompt(CommandLineConsole& console) : console_(console) {}

  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                   std::string_view details) override;
  std::optional<std::string> ChooseFile(std::string_view, std::string_view,
                                        std::string_view) override {
    return std::nullopt;
  }

  int failures() const { return failures_; }

 private:
  CommandLineConsole& console_;
  int failures_ = 0;
};

// A name as the character list shows it: a byte that is no UTF-8 becomes U+FFFD.
std::string ShownName(std::string_view name);

// The rows whose shown name is `wanted`, letter case ignored (every letter
// a save's Windows-1252 name can hold).
std::vector<std::size_t> MatchingRows(const std::vector<std::string>& names,
                                      std::string_view wanted);

// Runs `request` on `program`, whose services' prompt is `prompt`. `lock` is
// the one-copy lock's state; `progress` shows the progress window (a hidden
// main window of the front end). Returns the exit status.
int RunCommandLine(const CommandLineRequest& request, InstanceLock::State lock, Program& program,
                   AppServices& services, CommandLinePrompt& prompt, MainView& progress,
                   CommandLineConsole& console);

}  // namespace pelloquin
