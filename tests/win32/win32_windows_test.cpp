// What only the Win32 windows can get wrong: wiring the controls to the
// behaviour, keys and focus, texts and fonts, the About window's one
// unowned instance, the progress window's modality and the re-layout on a
// dpi change. The behaviour itself is tested without a window system. Needs
// a display: under Wine, an X server.
#include <gtest/gtest.h>
#include <windows.h>
// Needs windows.h before it.
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "save_header_bytes.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/program_test.h"
#include "win32/frm_main.h"
#include "win32/win32_desktop.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using enum MainControl;
using enum MainMenuItem;
using enum AboutControl;

// Every window of this process of that class.
std::vector<HWND> WindowsOfClass(const wchar_t* class_name) {
  std::vector<HWND> found;
  for (HWND window = FindWindowExW(nullptr, nullptr, class_name, nullptr); window != nullptr;
       window = FindWindowExW(nullptr, window, class_name, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) found.push_back(window);
  }
  return found;
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// A window's client area as it paints it.
class ClientPicture {
 public:
  explicit ClientPicture(HWND window) : window_(window), screen_(GetDC(window)) {
    RECT client{};
    GetClientRect(window, &client);
    memory_ = CreateCompatibleDC(screen_);
    bitmap_ = CreateCompatibleBitmap(screen_, client.right, client.bottom);
    before_ = SelectObject(memory_, bitmap_);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory_),
                 PRF_CLIENT | PRF_ERASEBKGND);
  }
  ~ClientPicture() {
    SelectObject(memory_, before_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
    ReleaseDC(window_, screen_);
  }
  COLORREF Pixel(int x, int y) const { return GetPixel(memory_, x, y); }

 private:
  HWND window_;
  HDC screen_;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ before_ = nullptr;
};

int ClientWidth(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client.right;
}

int Width(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return frame.right - frame.left;
}

class Win32WindowsTest : public ProgramTest<Win32Desktop> {
 protected:
  Win32WindowsTest() {
    for (const char* save : {"Save 1 - Zed - Weye.ess", "Save 2 - Brutus - Bravil.ess"}) {
      WriteFile(temp_.path() / "Saves" / save, "save");
    }
    StartFirstRun(temp_.text() + "\\Saves\\autosave.ess");
    window.Show(SW_SHOW);
  }

  // A window that was never made would let every check below pass unseen.
  void SetUp() override {
    ASSERT_NE(window.hwnd(), nullptr);
    ASSERT_TRUE(IsWindowVisible(window.hwnd()));
  }
  // A quit left in the queue would end the next test's modal dialogs at once.
  void TearDown() override {
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  static bool QuitPosted() {
    MSG quit;
    return PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  }

  HWND Main(MainControl name) { return GetDlgItem(window.hwnd(), ControlId(name)); }
  HWND About() {
    const std::vector<HWND> about = WindowsOfClass(L"frmAbout");
    return about.empty() ? nullptr : about.front();
  }
  HWND AboutChild(AboutControl name) { return GetDlgItem(About(), ControlId(name)); }
  void Menu(MainMenuItem item) { SendMessageW(window.hwnd(), WM_COMMAND, MenuItemId(item), 0); }
  // Types a key into the focused control, through the program's message loop.
  void Press(UINT message, WPARAM key) {
    PostMessageW(GetFocus(), message, key, 0);
    MSG queued;
    while (PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE)) DispatchWindowMessage(queued);
  }
  WPARAM Row(const char* name) {
    return static_cast<WPARAM>(SendMessageW(Main(lstChars), LB_FINDSTRINGEXACT,
                                            static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(WideFromUtf8(name).c_str())));
  }
  void Select(const char* name) { SendMessageW(Main(lstChars), LB_SETCURSEL, Row(name), 0); }
  // Rests the pointer on the row of `name`: that row's rectangle, empty when
  // the list has no such row.
  RECT HoverRow(const char* name) {
    RECT row{};
    if (SendMessageW(Main(lstChars), LB_GETITEMRECT, Row(name), reinterpret_cast<LPARAM>(&row)) ==
        LB_ERR) {
      return RECT{};
    }
    SendMessageW(Main(lstChars), WM_MOUSEHOVER, 0, MAKELPARAM(row.left + 4, row.top + 2));
    return row;
  }

  frmMain window{program->main};
};

TEST_F(Win32WindowsTest, ControlsAndMenuItemsReachTheBehaviour) {
  SendMessageW(Main(cmdLoad), BM_CLICK, 0, 0);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kNoSelectionMessage);

  Select("Brutus");
  SendMessageW(Main(cmdLoad), BM_CLICK, 0, 0);
  EXPECT_EQ(WindowText(Main(lblLoaded)), "Brutus");

  SendMessageW(Main(cmdLaunch), BM_CLICK, 0, 0);
  EXPECT_EQ(prompt.messages.size(), 2u) << "no game is installed, so Launch reports it";

  prompt.QueueFileChoice(std::nullopt);
  Menu(mnuConfig);
  EXPECT_EQ(prompt.file_dialogs.size(), 2u);
}

TEST_F(Win32WindowsTest, PointerRestingOnACharacterShowsItsNewestScreenshotUntilItMovesOff) {
  // An odd width pads each of the picture's rows.
  HeaderFields fields;
  fields.width = 37;
  fields.height = 21;
  WriteFile(temp_.path() / "Saves" / "Brutus" / "Save 2 - Brutus - Bravil.ess",
            SaveHeaderBytes(fields));
  HWND list = Main(lstChars);
  const RECT row = HoverRow("Brutus");
  ASSERT_NE(row.bottom, 0) << "no row for Brutus";

  const std::vector<HWND> tips = WindowsOfClass(kTipClass);
  ASSERT_EQ(tips.size(), 1u);
  ASSERT_TRUE(IsWindowVisible(tips[0]));
  RECT client{};
  GetClientRect(tips[0], &client);
  EXPECT_GE(client.right, 37);
  EXPECT_GE(client.bottom, 21);
  // Red, green and blue in place, on the first and the last row.
  const ClientPicture picture(tips[0]);
  const int margin = TwipsToPixels(kTipMarginTwips, window.dpi());
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{36, 20}}) {
    const std::size_t at = 3 * (static_cast<std::size_t>(y) * 37 + x);
    EXPECT_EQ(picture.Pixel(margin + x, margin + y),
              RGB(PixelByte(at), PixelByte(at + 1), PixelByte(at + 2)))
        << x << "," << y;
  }

  RECT below_rows{};
  GetClientRect(list, &below_rows);
  SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(row.left + 4, below_rows.bottom - 2));
  EXPECT_FALSE(IsWindowVisible(tips[0]));
}

TEST_F(Win32WindowsTest, TipMarksAMissingAndAnInactivePlugin) {
  HeaderFields fields;
  fields.width = 2;
  fields.height = 1;
  WriteFile(temp_.path() / "Saves" / "Brutus" / "Save 3 - Brutus - Bravil.ess",
            SaveHeaderBytes(fields) + PluginListBytes({"Oblivion.esm", "Gone.esp", "Off.esp"}),
            2'000'000'000);
  InstallPlugins({"Oblivion.esm", "Off.esp"}, "Oblivion.esm\r\n");
  Select("Brutus");
  SendMessageW(Main(cmdLoad), BM_CLICK, 0, 0);  // the lists are read again

  ASSERT_NE(HoverRow("Brutus").bottom, 0) << "no row for Brutus";
  const std::vector<HWND> tips = WindowsOfClass(kTipClass);
  ASSERT_EQ(tips.size(), 1u);
  ASSERT_TRUE(IsWindowVisible(tips[0]));
  const std::string text = WindowText(tips[0]);
  for (const std::string& line :
       {std::string(kMissingMark) + "Gone.esp", std::string(kInactiveMark) + "Off.esp"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
}

TEST_F(Win32WindowsTest, TabMovesFromLoadSaveToTheListToLaunchAndEnterOrEscapePressNothing) {
  SetForegroundWindow(window.hwnd());
  ASSERT_EQ(GetFocus(), Main(cmdLoad));
  Press(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), Main(lstChars));
  Press(WM_KEYDOWN, VK_TAB);
  ASSERT_EQ(GetFocus(), Main(cmdLaunch));
  Press(WM_KEYDOWN, VK_RETURN);
  Press(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages[0].text;
  EXPECT_TRUE(IsWindowVisible(window.hwnd()));
  for (const MainControl button : {cmdLoad, cmdLaunch}) {
    EXPECT_EQ(GetWindowLongW(Main(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON)
        << LayoutOf(button).name;
  }
  // Tabbing through the list selects no character.
  EXPECT_EQ(SendMessageW(Main(lstChars), LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(Win32WindowsTest, TextsShowAsTheyStandInTheWindowFontWithBoldFrameCaptions) {
  window.SetCharacterList({"Zed & Co", "Abe"});
  wchar_t first[32] = {};
  SendMessageW(Main(lstChars), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_STREQ(first, L"Zed & Co") << "the list keeps the behaviour's order";
  window.SetLoadedName("Zed & Co");
  EXPECT_EQ(WindowText(Main(lblLoaded)), "Zed & Co");
  EXPECT_TRUE(GetWindowLongW(Main(lblLoaded), GWL_STYLE) & SS_NOPREFIX);

  for (const ControlLayout& control : kMainWindowLayout.controls) {
    const LOGFONTW font = FontOf(GetDlgItem(window.hwnd(), ControlId(control)));
    EXPECT_EQ(Utf8FromWide(font.lfFaceName), kWindowFontFamily) << control.name;
    EXPECT_EQ(font.lfWeight >= FW_BOLD, control.bold) << control.name;
  }
}

TEST_F(Win32WindowsTest, AboutIsOneUnownedWindowWithItsKeys) {
  Menu(mnuAbout);
  Menu(mnuAbout);
  ASSERT_EQ(WindowsOfClass(L"frmAbout").size(), 1u);
  ASSERT_TRUE(IsWindowVisible(About()));
  EXPECT_EQ(GetWindow(About(), GW_OWNER), nullptr);
  EXPECT_EQ(GetAncestor(About(), GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetForegroundWindow(), About());
  EXPECT_EQ(GetFocus(), AboutChild(cmdOK));
  EXPECT_NE(WindowText(About()).find("Pelloquin"), std::string::npos);
  EXPECT_TRUE(GetWindowLongW(AboutChild(lblDescription), GWL_STYLE) & SS_NOPREFIX);

  // Alt+S presses System Info, which finds no registry here and says so.
  Press(WM_SYSCHAR, 's');
  EXPECT_EQ(prompt.messages.size(), 1u);
  Press(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(About()));
  EXPECT_FALSE(program->about.IsLoaded());

  Menu(mnuAbout);
  SendMessageW(AboutChild(cmdOK), BM_CLICK, 0, 0);
  EXPECT_FALSE(program->about.IsLoaded());
}

TEST_F(Win32WindowsTest, AboutDrawsItsEtchedRule) {
  Menu(mnuAbout);
  HWND about = About();
  ASSERT_NE(about, nullptr);
  const ClientPicture picture(about);
  const int dpi = WindowDpi(about);
  for (const LineLayout& line : kAboutLayout.lines) {
    const int x = TwipsToPixels((line.x1 + line.x2) / 2, dpi);
    EXPECT_EQ(picture.Pixel(x, TwipsToPixels(line.y1, dpi)),
              RGB(line.colour.red, line.colour.green, line.colour.blue))
        << "Line1(" << line.index << ")";
  }
}

TEST_F(Win32WindowsTest, ProgressWindowIsModalOverTheMainWindowUntilItEnds) {
  window.BeginProgress();
  window.AdvanceProgress("Loading Zed & Co\n1 of 4 saves", 1, 4);
  const std::vector<HWND> shown = WindowsOfClass(kProgressClass);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(IsWindowVisible(shown[0]));
  EXPECT_EQ(GetWindow(shown[0], GW_OWNER), window.hwnd());
  EXPECT_FALSE(IsWindowEnabled(window.hwnd()));
  HWND bar = FindWindowExW(shown[0], nullptr, PROGRESS_CLASSW, nullptr);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 4);
  EXPECT_EQ(WindowText(FindWindowExW(shown[0], nullptr, WC_STATICW, nullptr)),
            "Loading Zed & Co\n1 of 4 saves");

  window.EndProgress();
  EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
  EXPECT_TRUE(WindowsOfClass(kProgressClass).empty());
}

TEST_F(Win32WindowsTest, ADpiChangeLaysTheWindowOutAgain) {
  const int dpi = WindowDpi(window.hwnd());
  const int client_width = ClientWidth(window.hwnd());
  const int list_width = Width(Main(lstChars));
  const LONG font_height = FontOf(Main(lstChars)).lfHeight;

  RECT suggested{};
  GetWindowRect(window.hwnd(), &suggested);
  SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_NEAR(ClientWidth(window.hwnd()), 2 * client_width, 1);
  EXPECT_NEAR(Width(Main(lstChars)), 2 * list_width, 1);
  EXPECT_NEAR(FontOf(Main(lstChars)).lfHeight, 2 * font_height, 1);

  SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(ClientWidth(window.hwnd()), client_width);
}

TEST_F(Win32WindowsTest, EndingTheSessionWritesTheSettingsAndEndsTheLoop) {
  EXPECT_TRUE(SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, 0));
  ASSERT_FALSE(FileExists(state.IniPath));
  SendMessageW(window.hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(FileExists(state.IniPath));
  EXPECT_TRUE(QuitPosted());
}

// Windows may end the process as soon as its WM_ENDSESSION returns. Sent by
// another thread while Load Save's progress window is up, it returns only
// once the load is done and the settings name the loaded character.
TEST_F(Win32WindowsTest, TheEndOfTheSessionDuringLoadSaveWaitsForTheLoad) {
  for (int i = 0; i < 200; ++i) {
    WriteFile(temp_.path() / "Saves" / "Brutus" /
                  ("Save " + std::to_string(i + 10) + " - Brutus - Bravil.ess"),
              "save");
  }
  const auto started = std::chrono::steady_clock::now();
  services.clock = [started] {
    return started + (std::chrono::steady_clock::now() - started) * 20;
  };
  Select("Brutus");
  std::atomic<bool> done{false};
  bool sent_during_load = false;
  bool answered = false;
  std::string loaded_at_end;
  std::thread session([&] {
    constexpr UINT kPatienceMs = 60000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (WindowsOfClass(kProgressClass).empty() && std::chrono::steady_clock::now() < deadline) {
      Sleep(1);
    }
    sent_during_load = !WindowsOfClass(kProgressClass).empty();
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(window.hwnd(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL,
                                   kPatienceMs, &result) != 0 &&
               SendMessageTimeoutW(window.hwnd(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, kPatienceMs,
                                   &result) != 0;
    // What is on disk now is what the next start finds.
    loaded_at_end = ReadIni(kGeneralSection, kLoadedCharKey, state.IniPath);
    done = true;
  });
  program->main.LoadSave();
  // The message loop the program returns to, until the other thread's
  // messages have been answered or have timed out.
  MSG message;
  while (!done) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != WM_QUIT) DispatchWindowMessage(message);
    }
    Sleep(1);
  }
  session.join();
  ASSERT_TRUE(sent_during_load) << "the progress window had not shown after 60 s";
  ASSERT_TRUE(answered) << "WM_QUERYENDSESSION or WM_ENDSESSION unanswered after 60 s";
  EXPECT_EQ(state.LoadedChar, "Brutus");
  EXPECT_EQ(loaded_at_end, "Brutus");
}

TEST_F(Win32WindowsTest, ClosingWritesTheSettingsHidesTheWindowAndEndsTheLoop) {
  ASSERT_FALSE(FileExists(state.IniPath));
  SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(FileExists(state.IniPath));
  EXPECT_FALSE(IsWindowVisible(window.hwnd()));
  EXPECT_TRUE(QuitPosted());
}

}  // namespace
}  // namespace pelloquin
