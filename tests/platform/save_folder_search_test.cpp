// Where the dialog for autosave.ess starts: the first folder that holds one,
// else the first that exists, among the places the game keeps its saves.
#include "platform/save_folder_search.h"

#include "core/bounded_read.h"
#include "support/environment_override.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include "support/hostile_files.h"
#endif

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using SaveFolderSearch = FolderTest;

TEST_F(SaveFolderSearch, TheDialogPrefersAFolderWithAnAutosaveThenAnyThatExists) {
  // A folder named like the autosave is no save.
  fs::create_directories(temp_.path() / "empty" / "autosave.ess");
  for (const char* folder : {"saves", "later"})
    WriteFile(temp_.path() / folder / "autosave.ess", "");
  const fs::path missing = temp_.path() / "missing";
  const fs::path empty = temp_.path() / "empty";
  const fs::path saves = temp_.path() / "saves";
  const fs::path later = temp_.path() / "later";
  EXPECT_EQ(ChooseDialogFolder({missing, empty, saves, later}), Utf8FromPath(saves));
  EXPECT_EQ(ChooseDialogFolder({missing, empty}), Utf8FromPath(empty));
  EXPECT_EQ(ChooseDialogFolder({missing}), "");
}

#ifndef _WIN32

fs::path ProtonSaves(const fs::path& library) {
  return library /
         "steamapps/compatdata/22330/pfx/drive_c/users/steamuser/Documents/My Games/"
         "Oblivion/Saves";
}

TEST_F(SaveFolderSearch, CandidatesAreSteamLibrariesThenTheWinePrefix) {
  const fs::path home = temp_.path() / "home";
  const fs::path steam = home / ".local/share/Steam";
  const fs::path flatpak = home / ".var/app/com.valvesoftware.Steam/.local/share/Steam";
  const fs::path library = temp_.path() / "games";
  // As Steam sets it up: ~/.steam/steam links to the folder the file lists first.
  fs::create_directories(home / ".steam");
  fs::create_directory_symlink(steam, home / ".steam" / "steam");
  WriteFile(steam / "steamapps/libraryfolders.vdf",
            "\"libraryfolders\" { \"0\" { \"path\" \"" + Utf8FromPath(steam) +
                "\" } \"1\" { \"path\" \"" + Utf8FromPath(library) + "\" } }");
  WriteFile(flatpak / "steamapps/libraryfolders.vdf", "\"libraryfolders\" {");
  const fs::path wine_saves = home / ".wine/drive_c/users/gamer/Documents/My Games/Oblivion/Saves";

  auto environment = FixedEnvironment({{"HOME", Utf8FromPath(home)}, {"USER", "gamer"}});
  EXPECT_EQ(SaveFolderCandidates(environment),
            (std::vector<fs::path>{ProtonSaves(home / ".steam/steam"), ProtonSaves(library),
                                   ProtonSaves(flatpak), wine_saves}));
  EXPECT_EQ(
      SaveFolderCandidates(FixedEnvironment({{"USER", "gamer"}, {"WINEPREFIX", "/prefix"}})),
      (std::vector<fs::path>{"/prefix/drive_c/users/gamer/Documents/My Games/Oblivion/Saves"}));

  // The Proton prefix's saves hold no autosave yet; the Wine prefix's do.
  fs::create_directories(ProtonSaves(library));
  EXPECT_EQ(SaveDialogStartFolder(environment), Utf8FromPath(ProtonSaves(library)));
  WriteFile(wine_saves / "autosave.ess", "");
  EXPECT_EQ(SaveDialogStartFolder(environment), Utf8FromPath(wine_saves));
  EXPECT_EQ(SaveDialogStartFolder(FixedEnvironment({})), "");
}

// Spaces after the list, up to one byte more than any list of libraries holds.
void PadPastTheLimit(const fs::path& path) {
  const std::string list = ReadFile(path);
  WriteFile(path, list + std::string(files::kMaxSteamLibraryFileBytes + 1 - list.size(), ' '));
}

// Steam's list of libraries is read before the window shows: one that is no
// regular file, or far larger than any, lists nothing and is not waited on.
TEST_F(SaveFolderSearch, ALibraryListThatIsNoFileOrTooLargeListsNothing) {
  const fs::path library = temp_.path() / "games";
  const std::string list =
      "\"libraryfolders\" { \"1\" { \"path\" \"" + Utf8FromPath(library) + "\" } }";
  std::vector<HostileFile> files = HostileFiles();
  files.push_back({"a list just over its limit", PadPastTheLimit});
  for (const HostileFile& file : files) {
    const fs::path home = temp_.path() / file.label;
    const fs::path steam = home / ".local/share/Steam";
    const fs::path vdf = steam / "steamapps/libraryfolders.vdf";
    WriteFile(vdf, list);
    const std::vector<fs::path> read =
        SaveFolderCandidates(FixedEnvironment({{"HOME", Utf8FromPath(home)}}));
    ASSERT_EQ(read, (std::vector<fs::path>{ProtonSaves(steam), ProtonSaves(library)}));
    if (file.make != PadPastTheLimit) fs::remove(vdf);
    file.make(vdf);
    const auto outcome = RunInChild([&] {
      std::string listed;
      for (const fs::path& folder :
           SaveFolderCandidates(FixedEnvironment({{"HOME", Utf8FromPath(home)}}))) {
        listed += Utf8FromPath(folder) + "\n";
      }
      return listed;
    });
    ASSERT_TRUE(outcome) << "reading " << file.label << " did not end within its deadline";
    EXPECT_EQ(*outcome, Utf8FromPath(ProtonSaves(steam)) + "\n") << file.label;
  }
}

#endif

}  // namespace
}  // namespace pelloquin
