// On Windows the dialog looks in the Documents folder the shell knows,
// redirected or not.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "platform/save_folder_search.h"

namespace pelloquin {
namespace {

TEST(SaveFolderCandidates, AreTheSavesInTheUsersDocuments) {
  // The older shell call, asked independently of the known-folder list.
  wchar_t documents[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents),
            S_OK);
  EXPECT_EQ(SaveFolderCandidates(ProcessEnvironment()),
            (std::vector<std::filesystem::path>{std::filesystem::path(documents) / "My Games" /
                                                "Oblivion" / "Saves"}));
}

}  // namespace
}  // namespace pelloquin
