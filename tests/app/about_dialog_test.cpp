// The About dialog's one instance, its load steps and its part in the
// program's lifetime.
#include "app/about_dialog.h"

#include "app/system_info.h"
#include "app_info.h"
#include "support/program_test.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

class AboutDialogTest : public ProgramTest<RecordingDesktop> {
 protected:
  AboutDialogTest() {
    services.open_registry = [this](std::string_view) {
      ++registries_opened;
      return std::make_unique<FakeRegistry>();
    };
  }

  int registries_opened = 0;
};

TEST_F(AboutDialogTest, LoadSetsCaptionTitleAndVersion) {
  program->about.Open();
  ASSERT_NE(desktop.about, nullptr);
  EXPECT_EQ(desktop.about->caption, "About Pelloquin");
  EXPECT_EQ(desktop.about->title, "Pelloquin");
  EXPECT_EQ(desktop.about->version, "Version 1.0.0");
  // An address is added only when the build names one; no space dangles.
  EXPECT_NE(AboutDescription().back(), ' ');
}

TEST_F(AboutDialogTest, OpenedAgainWhileOpenKeepsOneWindowInFrontWithoutReloading) {
  program->about.Open();
  desktop.about->version = "changed";
  program->about.Open();
  EXPECT_EQ(desktop.about_views_made, 1);
  EXPECT_EQ(desktop.about->shown, 2);
  EXPECT_EQ(desktop.about->version, "changed");

  // Closed, it is unloaded; the next opening loads the same window afresh.
  program->about.Closed();
  EXPECT_FALSE(program->about.IsLoaded());
  program->about.Open();
  EXPECT_EQ(desktop.about_views_made, 1);
  EXPECT_EQ(desktop.about->version.rfind("Version ", 0), 0u);
}

TEST_F(AboutDialogTest, OutlivesTheMainWindowAndEndsTheProgramWhenClosed) {
  RecordingMainView view;
  program->main.Attach(view);
  StartFirstRun(std::nullopt);
  program->about.Open();

  program->main.Close();
  EXPECT_EQ(desktop.quits, 0);
  program->about.Closed();
  EXPECT_EQ(desktop.quits, 1);
}

TEST_F(AboutDialogTest, SysInfoFailureLeavesTheDialogLoadedAndLooksAgainNextTime) {
  program->about.Open();
  for (int press = 1; press <= 2; ++press) {
    program->about.SysInfo();
    ASSERT_EQ(prompt.messages.size(), static_cast<std::size_t>(press));
    EXPECT_EQ(prompt.messages.back().text, kSysInfoUnavailable);
    EXPECT_EQ(registries_opened, press);
  }
  EXPECT_TRUE(program->about.IsLoaded());
}

}  // namespace
}  // namespace pelloquin
