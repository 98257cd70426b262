// The About dialog: its registry lookup, the System Info command, its texts,
// layout and the one-instance lifecycle, on the offscreen platform.
#include "frm_about.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app_info.h"
#include "app_services.h"
#include "paths.h"
#include "platform_doubles.h"
#include "scripted_prompt.h"
#include "system_info.h"
#include "temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

constexpr const char* kInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
// --- GetKeyValue -----------------------------------------------------------

struct ReadCase {
  const char* label;
  std::uint32_t type;
  std::string stored;
  bool result;
  std::string expected;  // KeyVal after the call, which starts as "stale"
};

TEST(GetKeyValue, ReadsValuesOfEveryShape) {
  const std::string fits(1023, 'x');
  const std::vector<ReadCase> cases = {
      {"string with NUL", kRegSz, std::string("C:\\Tools\0", 9), true, "C:\\Tools"},
      {"string without NUL", kRegSz, "C:\\Tools", true, "C:\\Tools"},
      {"only the last NUL is cut", kRegSz, std::string("a\0b\0", 4), true, std::string("a\0b", 3)},
      {"1024 bytes with NUL", kRegSz, fits + '\0', true, fits},
      {"1024 bytes without NUL", kRegSz, fits + 'y', true, fits + 'y'},
      {"1025 bytes", kRegSz, fits + "yz", false, ""},
      {"number", kRegDword, std::string("\x2a\x01\x00\x00", 4), true, "298"},
      {"largest number", kRegDword, std::string("\xff\xff\xff\xff", 4), true, "4294967295"},
      {"expandable string", kRegExpandSz, std::string("%WINDIR%\0", 9), true, "stale"},
      {"binary", kRegBinary, "\x01\x02", true, "stale"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry registry;
    registry.Set(kInfoKey, "PATH", c.type, c.stored);
    std::string value = "stale";
    EXPECT_EQ(GetKeyValue(registry, RegRoot::LocalMachine, kInfoKey, "PATH", value), c.result);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

TEST(GetKeyValue, MissingKeyOrValueGivesFalseAndEmptyText) {
  FakeRegistry registry;
  registry.SetString(kInfoKey, "OTHER", "x");
  std::string value = "stale";
  EXPECT_FALSE(GetKeyValue(registry, RegRoot::LocalMachine, kLocationKey, "MSINFO", value));
  EXPECT_EQ(value, "");
  value = "stale";
  EXPECT_FALSE(GetKeyValue(registry, RegRoot::LocalMachine, kInfoKey, "PATH", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(GetKeyValue, OpensTheKeyForReadingOnly) {
  FakeRegistry registry;
  registry.SetString(kInfoKey, "PATH", "x");
  std::string value;
  ASSERT_TRUE(GetKeyValue(registry, RegRoot::LocalMachine, kInfoKey, "PATH", value));
  EXPECT_EQ(registry.accesses, std::vector<RegAccess>{RegAccess::Read});
}

TEST(GetKeyValue, EmptyValueIsAnErrorAndStillClosesTheKey) {
  FakeRegistry registry;
  registry.Set(kInfoKey, "PATH", kRegSz, "");
  std::string value = "stale";
  EXPECT_THROW(GetKeyValue(registry, RegRoot::LocalMachine, kInfoKey, "PATH", value),
               std::runtime_error);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

// --- StartSysInfo ----------------------------------------------------------

struct SysInfoCase {
  const char* label;
  // Fills the registry and the folder; returns the program expected to start,
  // or "" when the failure message is expected instead.
  std::function<std::string(FakeRegistry&, const TempFolder&)> arrange;
  bool location_tried;
};

std::string Program(const TempFolder& folder, const std::string& name) {
  return folder.text() + kPathSeparator + name;
}

// The second place to look: a location folder that holds the program.
void ProgramInLocation(FakeRegistry& registry, const TempFolder& folder) {
  WriteFile(folder.path() / "MSINFO32.EXE", "");
  registry.SetString(kLocationKey, "MSINFO", folder.text());
}

TEST(StartSysInfo, StartsTheProgramOrShowsTheOneMessage) {
  const std::vector<SysInfoCase> cases = {
      {"both values: only the first is used",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         WriteFile(folder.path() / "first.exe", "");
         registry.SetString(kInfoKey, "PATH", Program(folder, "first.exe"));
         return Program(folder, "first.exe");
       },
       false},
      {"first names a missing file",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.SetString(kInfoKey, "PATH", Program(folder, "gone.exe"));
         return std::string();
       },
       false},
      {"first missing, folder holds the program",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         return Program(folder, "MSINFO32.EXE");
       },
       true},
      {"first key without the value, folder ending in a separator",
       [](FakeRegistry& registry, const TempFolder& folder) {
         WriteFile(folder.path() / "MSINFO32.EXE", "");
         registry.SetString(kInfoKey, "OTHER", "x");
         const std::string with_separator = folder.text() + kPathSeparator;
         registry.SetString(kLocationKey, "MSINFO", with_separator);
         return with_separator + kPathSeparator + "MSINFO32.EXE";
       },
       true},
      {"first missing, folder without the program",
       [](FakeRegistry& registry, const TempFolder& folder) {
         WriteFile(folder.path() / "OTHER.EXE", "");
         registry.SetString(kLocationKey, "MSINFO", folder.text());
         return std::string();
       },
       true},
      {"first missing, the program's name is a folder",
       [](FakeRegistry& registry, const TempFolder& folder) {
         fs::create_directory(folder.path() / "MSINFO32.EXE");
         registry.SetString(kLocationKey, "MSINFO", folder.text());
         return std::string();
       },
       true},
      {"first missing, the location folder does not exist",
       [](FakeRegistry& registry, const TempFolder& folder) {
         registry.SetString(kLocationKey, "MSINFO", Program(folder, "nowhere"));
         return std::string();
       },
       true},
      {"both missing", [](FakeRegistry&, const TempFolder&) { return std::string(); }, true},
      {"first of 0 bytes",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.Set(kInfoKey, "PATH", kRegSz, "");
         return std::string();
       },
       false},
      {"first longer than 1024 bytes counts as missing",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.SetString(kInfoKey, "PATH", std::string(1024, 'x'));
         return Program(folder, "MSINFO32.EXE");
       },
       true},
      {"first is an expandable string",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.Set(kInfoKey, "PATH", kRegExpandSz, Program(folder, "MSINFO32.EXE") + '\0');
         return std::string();
       },
       false},
      {"second is an expandable string",
       [](FakeRegistry& registry, const TempFolder& folder) {
         WriteFile(folder.path() / "MSINFO32.EXE", "");
         registry.Set(kLocationKey, "MSINFO", kRegExpandSz, folder.text() + '\0');
         return std::string();
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder folder;
    FakeRegistry registry;
    ScriptedPrompt prompt;
    RecordingStarter starter;
    starter.fail_missing_programs = true;
    const std::string expected = c.arrange(registry, folder);

    StartSysInfo(&registry, prompt, starter);

    if (expected.empty()) {
      ASSERT_EQ(prompt.messages.size(), 1u);
      EXPECT_EQ(prompt.messages[0].text, kSysInfoUnavailable);
      EXPECT_EQ(prompt.messages[0].icon, MessageIcon::None);
      EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
      for (const auto& start : starter.starts)
        EXPECT_NE(start.program, Program(folder, "MSINFO32.EXE"));
    } else {
      EXPECT_TRUE(prompt.messages.empty());
      EXPECT_EQ(starter.Programs(), std::vector<std::string>{expected});
    }
    ASSERT_FALSE(registry.opened_keys.empty());
    EXPECT_EQ(registry.opened_keys.front(), kInfoKey);
    EXPECT_EQ(registry.opened_keys.size() == 2 && registry.opened_keys[1] == kLocationKey,
              c.location_tried);
    EXPECT_EQ(registry.opened_keys.size(), c.location_tried ? 2u : 1u);
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

#ifdef _WIN32
TEST(StartSysInfo, HiddenOrSystemProgramCountsAsMissing) {
  for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    TempFolder folder;
    FakeRegistry registry;
    ProgramInLocation(registry, folder);
    const fs::path program = folder.path() / "MSINFO32.EXE";
    ASSERT_TRUE(SetFileAttributesW(program.c_str(), attribute));
    ScriptedPrompt prompt;
    RecordingStarter starter;
    StartSysInfo(&registry, prompt, starter);
    EXPECT_TRUE(starter.starts.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
    SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}
#endif

// The one start that is real: the system cannot start a program that is not there.
TEST(StartSysInfo, SystemStartOfAMissingProgramShowsTheMessage) {
  TempFolder folder;
  FakeRegistry registry;
  registry.SetString(kInfoKey, "PATH", Program(folder, "MSINFO32.EXE"));
  ScriptedPrompt prompt;
  const auto starter = MakeSystemProgramStarter();
  StartSysInfo(&registry, prompt, *starter);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kSysInfoUnavailable);
}

TEST(StartSysInfo, NoRegistryShowsTheMessage) {
  ScriptedPrompt prompt;
  RecordingStarter starter;
  StartSysInfo(nullptr, prompt, starter);
  EXPECT_TRUE(starter.starts.empty());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kSysInfoUnavailable);
}

// --- The dialog ------------------------------------------------------------

void EnsureApplication() {
  if (QApplication::instance()) return;
  static int argc = 1;
  static char name[] = "frm_about_test";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(argc, argv);
}

class AboutDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    starter_.fail_missing_programs = true;
  }

  template <typename T>
  T* Child(const char* name) {
    T* child = services_.about ? services_.about->findChild<T*>(name) : nullptr;
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  int Px(int twips) const { return qRound(twips * services_.about->logicalDpiX() / 1440.0); }

  SharedState state_;
  ScriptedPrompt prompt_;
  RecordingStarter starter_;
  std::vector<std::string> opened_keys_;  // by every registry the factory handed out
  AppServices services_{state_,
                        prompt_,
                        starter_,
                        [this](std::string_view) {
                          auto registry = std::make_unique<FakeRegistry>();
                          registry->opened_log = &opened_keys_;
                          return std::unique_ptr<RegistryApi>(std::move(registry));
                        },
                        "",
                        [] {},
                        nullptr};
};

TEST_F(AboutDialog, LoadSetsTheTexts) {
  ShowAbout(services_);
  frmAbout* about = services_.about.get();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->IsLoaded());
  EXPECT_EQ(about->windowTitle(), "About Pelloquin");
  EXPECT_EQ(Child<QLabel>("lblTitle")->text(), "Pelloquin");
  EXPECT_EQ(
      Child<QLabel>("lblVersion")->text(),
      QString("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
  EXPECT_EQ(Child<QLabel>("lblDescription")->text(),
            QString("The Pelloquin helps you keep track of all your save games between "
                    "characters. Essentially you can swap in and out your save games depending "
                    "on which character you would like to play. ") +
                kHomepageUrl);
  EXPECT_EQ(Child<QLabel>("lblDisclaimer")->text(), "");
  EXPECT_EQ(Child<QPushButton>("cmdOK")->text(), "OK");
  EXPECT_EQ(Child<QPushButton>("cmdSysInfo")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
  // The description wraps within its label and is not cut off at the bottom.
  QLabel* description = Child<QLabel>("lblDescription");
  EXPECT_TRUE(description->wordWrap());
  EXPECT_LE(description->heightForWidth(description->width()), description->height());
}

TEST_F(AboutDialog, ControlsSitAtTheirPlacesWithOkFocused) {
  ShowAbout(services_);
  frmAbout* about = services_.about.get();
  EXPECT_EQ(about->size(), QSize(Px(5730), Px(3555)));
  const struct {
    const char* name;
    int left, top, width, height;
  } places[] = {
      {"picIcon", 240, 240, 540, 540},         {"lblTitle", 1050, 240, 3885, 480},
      {"lblVersion", 1050, 780, 3885, 225},    {"lblDescription", 1050, 1125, 3885, 1170},
      {"lblDisclaimer", 255, 2625, 3870, 825}, {"cmdOK", 4245, 2625, 1260, 345},
      {"cmdSysInfo", 4260, 3075, 1245, 345},
  };
  for (const auto& place : places) {
    SCOPED_TRACE(place.name);
    EXPECT_EQ(Child<QWidget>(place.name)->geometry(),
              QRect(QPoint(Px(place.left), Px(place.top)),
                    QPoint(Px(place.left + place.width) - 1, Px(place.top + place.height) - 1)));
  }
  EXPECT_FALSE(Child<QLabel>("picIcon")->pixmap().isNull());
  EXPECT_FALSE(about->windowIcon().isNull());
  EXPECT_EQ(about->focusWidget(), Child<QPushButton>("cmdOK"));
  EXPECT_EQ(Child<QPushButton>("cmdOK")->nextInFocusChain(), Child<QPushButton>("cmdSysInfo"));
}

TEST_F(AboutDialog, DrawsTheEtchedRule) {
  ShowAbout(services_);
  // Rendered at one image pixel per logical pixel, whatever the screen's scale.
  QImage image(services_.about->size(), QImage::Format_ARGB32);
  services_.about->render(&image);
  const int x = Px(3000);
  const int y = Px(2445);
  EXPECT_EQ(image.pixelColor(x, y), QColor(128, 128, 128));
  EXPECT_EQ(image.pixelColor(x, y + 1), QColor(255, 255, 255));
  // The white line starts one pixel further right than the grey one.
  EXPECT_EQ(image.pixelColor(Px(90), y), QColor(128, 128, 128));
  EXPECT_NE(image.pixelColor(Px(90), y + 1), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(Px(90) + 1, y + 1), QColor(255, 255, 255));
}

TEST_F(AboutDialog, ShownAgainWhileOpenKeepsOneDialogInFrontWithoutReloading) {
  QWidget main_window;
  main_window.show();
  ShowAbout(services_);
  frmAbout* first = services_.about.get();
  Child<QLabel>("lblVersion")->setText("changed");
  main_window.activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), &main_window);

  ShowAbout(services_);
  QApplication::processEvents();
  EXPECT_EQ(services_.about.get(), first);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(Child<QLabel>("lblVersion")->text(), "changed");
  EXPECT_EQ(QApplication::activeWindow(), first);
  EXPECT_EQ(first->parentWidget(), nullptr);
  ASSERT_NE(first->windowHandle(), nullptr);
  EXPECT_EQ(first->windowHandle()->transientParent(), nullptr);
}

TEST_F(AboutDialog, OkUnloadsAndTheNextShowLoadsAfresh) {
  ShowAbout(services_);
  frmAbout* about = services_.about.get();
  Child<QPushButton>("cmdOK")->click();
  EXPECT_FALSE(about->isVisible());
  EXPECT_FALSE(about->IsLoaded());

  Child<QLabel>("lblVersion")->setText("changed");
  about->setWindowTitle("changed");
  ShowAbout(services_);
  EXPECT_EQ(services_.about.get(), about);
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->windowTitle(), "About Pelloquin");
  EXPECT_TRUE(Child<QLabel>("lblVersion")->text().startsWith("Version "));
  EXPECT_EQ(about->focusWidget(), Child<QPushButton>("cmdOK"));

  // Closing the window any other way unloads it too.
  about->close();
  EXPECT_FALSE(about->IsLoaded());
}

TEST_F(AboutDialog, SysInfoFailureLeavesTheDialogOpenAndUsable) {
  ShowAbout(services_);
  for (int press = 1; press <= 2; ++press) {
    Child<QPushButton>("cmdSysInfo")->click();
    ASSERT_EQ(prompt_.messages.size(), static_cast<std::size_t>(press));
    EXPECT_EQ(prompt_.messages.back().text, kSysInfoUnavailable);
    EXPECT_EQ(opened_keys_.size(), 2u * press);
  }
  EXPECT_TRUE(services_.about->isVisible());
  EXPECT_TRUE(services_.about->IsLoaded());
}

TEST_F(AboutDialog, SysInfoStartsTheProgramFromTheRegistry) {
  TempFolder folder;
  WriteFile(folder.path() / "MSINFO32.EXE", "");
  services_.open_registry = [&folder](std::string_view) {
    auto registry = std::make_unique<FakeRegistry>();
    registry->SetString(kLocationKey, "MSINFO", folder.text());
    return std::unique_ptr<RegistryApi>(std::move(registry));
  };
  ShowAbout(services_);
  Child<QPushButton>("cmdSysInfo")->click();
  EXPECT_TRUE(prompt_.messages.empty());
  EXPECT_EQ(starter_.Programs(), std::vector<std::string>{Program(folder, "MSINFO32.EXE")});
}

TEST_F(AboutDialog, OutlivesTheMainWindowAndEndsTheProgramWhenClosed) {
  QWidget main_window;
  main_window.show();
  ShowAbout(services_);
  frmAbout* about = services_.about.get();

  bool open_after_main_closed = false;
  int windows_closed_signals = 0;
  QObject::connect(qApp, &QGuiApplication::lastWindowClosed,
                   [&windows_closed_signals] { ++windows_closed_signals; });
  QTimer::singleShot(0, [&] {
    main_window.close();
    QTimer::singleShot(0, [&] {
      open_after_main_closed = about->isVisible() && windows_closed_signals == 0;
      about->close();
    });
  });
  // Only a watchdog: without it a dialog that failed to end the program would hang the test.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
  watchdog.start(30000);

  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(open_after_main_closed);
  EXPECT_EQ(windows_closed_signals, 1);
}

}  // namespace
}  // namespace pelloquin
