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

#include "app/exit_status.h"
#include "core/shared_state.h"
#include "settings/settings.h"
#include "support/temp_folder.h"

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
                              bool terminate) {
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

// The program beside its settings, as from its zip, Alena Varis loaded last
// time, and a stand-in wine on PATH that writes down how it was started.
class ShortcutTest : public FolderTest {
 protected:
  void Install(const fs::path& saves) {
    saves_ = saves;
    fs::create_directories(temp_.path() / "program");
    fs::copy_file(PELLOQUIN_PROGRAM, program_);
    SharedState stored;
    stored.IniPath = Utf8FromPath(ini_);
    stored.SavePath = Utf8FromPath(saves);
    stored.LoadedChar = "Alena Varis";
    RegisterCharacter(stored, "Alena Varis");
    ASSERT_TRUE(SaveSettings(stored).empty());
    const std::string record = Utf8FromPath(record_);
    WriteScript(temp_.path() / "bin" / "wine",
                "{ printf '%s\\n' \"$@\"; pwd; printf '%s\\n' \"$WINEPREFIX\"; } > '" + record +
                    ".tmp' && mv '" + record + ".tmp' '" + record + "'\n");
  }

  std::optional<int> Run(bool terminate) {
    return RunProgram(program_, {"--load", "brutus", "--launch"},
                      {"PATH=" + Utf8FromPath(temp_.path() / "bin") + ":/usr/bin:/bin",
                       "HOME=" + temp_.text(), "QT_QPA_PLATFORM=offscreen"},
                      output_, terminate);
  }

  SharedState Settings() {
    SharedState read;
    read.IniPath = Utf8FromPath(ini_);
    EXPECT_TRUE(LoadSettings(read).empty());
    return read;
  }

  fs::path saves_;
  fs::path program_ = temp_.path() / "program" / "pelloquin";
  fs::path ini_ = temp_.path() / "program" / "pelloquin.ini";
  fs::path record_ = temp_.path() / "record";
  fs::path output_ = temp_.path() / "output";
};

TEST_F(ShortcutTest, LoadsTheCharacterWritesTheSettingsAndStartsTheGame) {
  const fs::path prefix = temp_.path() / "wine";
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
  Install(saves);

  EXPECT_EQ(Run(false), kExitDone) << ReadFile(output_);

  ASSERT_TRUE(WaitForFile(record_)) << "wine was never started; the program said:\n"
                                    << ReadFile(output_);
  EXPECT_EQ(ReadFile(record_),
            "C:\\Games\\Oblivion\\OblivionLauncher.exe\n" +
                Utf8FromPath(fs::canonical(prefix / "drive_c" / "Games" / "Oblivion")) + "\n" +
                Utf8FromPath(prefix) + "\n");
  // Brutus's saves in play, every character's kept in its folder.
  EXPECT_EQ(FileNames(saves), (Names{brutus, "autosave.ess"}));
  EXPECT_EQ(FileNames(saves / "Brutus"), Names{brutus});
  EXPECT_EQ(FileNames(saves / "Alena Varis"), Names{alena});
  EXPECT_EQ(Settings().LoadedChar, "Brutus");
  EXPECT_EQ(ListedCharacters(Settings()), (Names{"Alena Varis", "Brutus"}));
}

TEST_F(ShortcutTest, ATerminationSignalStopsTheRunWithTheSettingsTrue) {
  const fs::path saves = temp_.path() / "Saves";
  // Enough saves to sort that the start-up is still under way when the signal comes.
  for (int i = 1; i <= 500; ++i) {
    WriteSave(saves / ("Save " + std::to_string(i) + " - Brutus - Weye.ess"));
  }
  for (const fs::path& place : {saves, saves / "Alena Varis"}) {
    WriteSave(place / "Save 9000 - Alena Varis - Chorrol.ess");
  }
  Install(saves);

  EXPECT_EQ(Run(true), kExitSessionEnded) << ReadFile(output_);

  EXPECT_FALSE(fs::exists(record_)) << "the game was started after the signal";
  // The settings name the character whose saves are in the save folder.
  const std::string loaded = Settings().LoadedChar;
  const Names in_play = FileNames(saves);
  ASSERT_FALSE(in_play.empty());
  for (const std::string& save : in_play) {
    EXPECT_NE(save.find(" - " + loaded + " - "), std::string::npos)
        << save << " is in the save folder while the settings name " << loaded;
  }
  EXPECT_EQ(FileNames(saves / "Brutus").size(), 500u);
}

}  // namespace
}  // namespace pelloquin
