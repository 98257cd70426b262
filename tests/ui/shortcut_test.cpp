// The real program as a shortcut starts it: `pelloquin --load NAME --launch`
// on a sample save folder in a Wine prefix, with a stand-in wine on PATH that
// writes down how it was started. Checks the saves, the settings, the
// launcher's command line and the exit status.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "exit_status.h"
#include "settings.h"
#include "shared_state.h"
#include "temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// True once the process catches SIGTERM: its handler is installed.
bool CatchesTerm(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigCgt:")) {
      return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
    }
  }
  return false;
}

// Runs `program` with `arguments` in `environment`; its exit status, or
// nothing (and a failure) when it has not ended in a minute. With
// `terminate`, sends it SIGTERM as soon as it has its handler for it.
std::optional<int> RunProgram(const fs::path& program, std::vector<std::string> arguments,
                              std::vector<std::string> environment, const fs::path& output,
                              bool terminate = false) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    // Standard output and error into a file: no terminal, as from a shortcut.
    const int log = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log >= 0) {
      dup2(log, STDOUT_FILENO);
      dup2(log, STDERR_FILENO);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  int status = 0;
  bool terminated = false;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (terminate && !terminated && CatchesTerm(child)) {
      kill(child, SIGTERM);
      terminated = true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      ADD_FAILURE() << "the program had not ended a minute after it started";
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(terminate ? 1 : 20));
  }
  if (terminate && !terminated) ADD_FAILURE() << "the program ended before it caught SIGTERM";
  if (!WIFEXITED(status)) {
    ADD_FAILURE() << "the program did not exit normally: status " << status;
    return std::nullopt;
  }
  return WEXITSTATUS(status);
}

TEST(Shortcut, LoadsTheCharacterWritesTheSettingsAndStartsTheGame) {
  TempFolder temp;
  const fs::path prefix = temp.path() / "wine";
  MakePrefix(prefix,
             "[Software\\\\Bethesda Softworks\\\\Oblivion] 1700000000\n"
             "\"Installed Path\"=\"C:\\\\Games\\\\Oblivion\\\\\"\n");
  WriteFile(prefix / "drive_c" / "Games" / "Oblivion" / "OblivionLauncher.exe", "MZ");
  const fs::path saves =
      prefix / "drive_c" / "users" / "player" / "Documents" / "My Games" / "Oblivion" / "Saves";
  const std::string brutus = "Save 1 - Brutus - Weye, Level 5.ess";
  const std::string alena = "Save 2 - Alena Varis - Chorrol, Level 2.ess";
  WriteSave(saves / brutus);
  WriteSave(saves / "autosave.ess");
  WriteSave(saves / "Alena Varis" / alena);

  // The program beside its settings, as from its zip; Alena loaded last time.
  const fs::path folder = temp.path() / "program";
  fs::create_directories(folder);
  fs::copy_file(PELLOQUIN_PROGRAM, folder / "pelloquin");
  SharedState stored;
  stored.IniPath = Utf8FromPath(folder / "pelloquin.ini");
  stored.SavePath = Utf8FromPath(saves);
  stored.LoadedChar = "Alena Varis";
  RegisterCharacter(stored, "Alena Varis");
  ASSERT_TRUE(SaveSettings(stored).empty());

  const fs::path bin = temp.path() / "bin";
  const fs::path record = temp.path() / "record";
  WriteScript(bin / "wine", "{ printf '%s\\n' \"$@\"; pwd; printf '%s\\n' \"$WINEPREFIX\"; } > '" +
                                Utf8FromPath(record) + ".tmp' && mv '" + Utf8FromPath(record) +
                                ".tmp' '" + Utf8FromPath(record) + "'\n");

  const fs::path output = temp.path() / "output";
  const std::optional<int> status =
      RunProgram(folder / "pelloquin", {"--load", "brutus", "--launch"},
                 {"PATH=" + Utf8FromPath(bin) + ":/usr/bin:/bin",
                  "HOME=" + Utf8FromPath(temp.path()), "QT_QPA_PLATFORM=offscreen"},
                 output);

  EXPECT_EQ(status, kExitDone) << ReadFile(output);
  ASSERT_TRUE(WaitForFile(record)) << "wine was never started; the program said:\n"
                                   << ReadFile(output);
  EXPECT_EQ(ReadFile(record),
            "C:\\Games\\Oblivion\\OblivionLauncher.exe\n" +
                Utf8FromPath(fs::canonical(prefix / "drive_c" / "Games" / "Oblivion")) + "\n" +
                Utf8FromPath(prefix) + "\n");
  // Brutus's saves in play, every character's kept in its folder.
  EXPECT_EQ(FileNames(saves), (Names{brutus, "autosave.ess"}));
  EXPECT_EQ(FileNames(saves / "Brutus"), Names{brutus});
  EXPECT_EQ(FileNames(saves / "Alena Varis"), Names{alena});
  SharedState read;
  read.IniPath = stored.IniPath;
  EXPECT_TRUE(LoadSettings(read).empty());
  EXPECT_EQ(read.LoadedChar, "Brutus");
  EXPECT_EQ(ListedCharacters(read), (Names{"Alena Varis", "Brutus"}));
}

TEST(Shortcut, ATerminationSignalStopsTheRunWithTheSettingsTrue) {
  TempFolder temp;
  const fs::path saves = temp.path() / "Saves";
  // Enough saves to sort that the start-up is still under way when the signal comes.
  for (int i = 1; i <= 500; ++i) {
    WriteSave(saves / ("Save " + std::to_string(i) + " - Brutus - Weye.ess"));
  }
  for (const fs::path& place : {saves, saves / "Alena Varis"}) {
    WriteSave(place / "Save 9000 - Alena Varis - Chorrol.ess");
  }
  const fs::path folder = temp.path() / "program";
  fs::create_directories(folder);
  fs::copy_file(PELLOQUIN_PROGRAM, folder / "pelloquin");
  SharedState stored;
  stored.IniPath = Utf8FromPath(folder / "pelloquin.ini");
  stored.SavePath = Utf8FromPath(saves);
  stored.LoadedChar = "Alena Varis";
  ASSERT_TRUE(SaveSettings(stored).empty());
  const fs::path bin = temp.path() / "bin";
  WriteScript(bin / "wine", "touch '" + Utf8FromPath(temp.path() / "started") + "'\n");

  const fs::path output = temp.path() / "output";
  const std::optional<int> status =
      RunProgram(folder / "pelloquin", {"--load", "Brutus", "--launch"},
                 {"PATH=" + Utf8FromPath(bin) + ":/usr/bin:/bin",
                  "HOME=" + Utf8FromPath(temp.path()), "QT_QPA_PLATFORM=offscreen"},
                 output, true);

  EXPECT_EQ(status, kExitSessionEnded) << ReadFile(output);
  EXPECT_FALSE(fs::exists(temp.path() / "started")) << "the game was started after the signal";
  // The settings name the character whose saves are in the save folder.
  SharedState read;
  read.IniPath = stored.IniPath;
  EXPECT_TRUE(LoadSettings(read).empty());
  const Names in_play = FileNames(saves);
  ASSERT_FALSE(in_play.empty());
  for (const std::string& save : in_play) {
    EXPECT_NE(save.find(" - " + read.LoadedChar + " - "), std::string::npos)
        << save << " is in the save folder while the settings name " << read.LoadedChar;
  }
  EXPECT_EQ(FileNames(saves / "Brutus").size(), 500u);
}

}  // namespace
}  // namespace pelloquin
