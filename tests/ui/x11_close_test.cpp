// Under a real X server: after the first run's message box and file dialog and
// the box saying the game is missing, all answered, the main window honours
// the window manager's close request at once. (Those boxes share the main
// window's title and come before it: a close request sent to "the window
// called Pelloquin" during start-up reaches a box, not the main window.)
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <memory>

#include "app/program.h"
#include "qt_environment.h"
#include "support/platform_doubles.h"
#include "support/temp_folder.h"
#include "support/watchdog.h"
#include "ui/frm_main.h"
#include "ui/qt_desktop.h"
#include "ui/qt_prompt.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name),
      nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  free(reply);
  return atom;
}

// What a window manager sends when the user clicks the close button.
void SendDeleteWindow(xcb_connection_t* connection, xcb_window_t window) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = Atom(connection, "WM_PROTOCOLS");
  event.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection);
}

TEST(X11, MainWindowClosesAtOnceAfterTheFirstRunDialogs) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  ASSERT_NE(x11, nullptr) << "not on an X server";
  for (int attempt = 0; attempt < 5; ++attempt) {
    SCOPED_TRACE(attempt);
    TempFolder temp;
    WriteFile(temp.path() / "Saves" / "autosave.ess", "a");
    WriteFile(temp.path() / "Saves" / "Save 1 - Bob - Here.ess", "s");
    const QString autosave = QString::fromStdString(temp.text() + "/Saves/autosave.ess");
    // The user answers the first run's box and types the autosave's path into
    // the File name box. (QFileDialog::selectFile leaves that box alone while
    // it has the keyboard focus, which it has as soon as the dialog is active.)
    // Past the deadline every dialog is cancelled, so the start-up ends and
    // the checks below say what never came.
    std::string waited_for;
    QElapsedTimer answering;
    answering.start();
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      const bool late = answering.elapsed() > 20000;
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog == nullptr || !dialog->isVisible()) continue;
        auto* file_dialog = qobject_cast<QFileDialog*>(dialog);
        if (late) {
          if (waited_for.empty()) {
            waited_for = file_dialog != nullptr
                             ? "the Open dialog to take " + autosave.toStdString()
                             : "a message box to close";
          }
          dialog->reject();
        } else if (qobject_cast<QMessageBox*>(dialog) != nullptr) {
          dialog->accept();
        } else if (file_dialog != nullptr) {
          auto* name = file_dialog->findChild<QLineEdit*>("fileNameEdit");
          if (name != nullptr && name->text() != autosave) name->setText(autosave);
          if (file_dialog->selectedFiles().value(0) == autosave) {
            QMetaObject::invokeMethod(file_dialog, "accept");
          }
        }
      }
    });
    answer.start(20);
    // The last resort, should a dialog ignore even its cancelling.
    Watchdog watchdog("the first run's dialogs to be answered", std::chrono::seconds(60));

    SharedState state;
    QtPrompt prompt;
    RecordingStarter starter;
    // A registry without the game: start-up ends with the box that says so.
    AppServices services{state, prompt, starter,
                         [](std::string_view) { return std::make_unique<FakeRegistry>(); },
                         temp.text() + "/pelloquin.ini"};
    // Records the end instead of leaving the event loop, which would end every later dialog too.
    struct : QtDesktop {
      void Quit() override {}
    } desktop;
    Program program(services, desktop);
    frmMain window(program.main);
    program.main.StartUp();
    answer.stop();
    ASSERT_EQ(waited_for, "") << "gave up waiting for " << waited_for;
    ASSERT_EQ(state.SavePath, temp.text() + "/Saves");
    window.show();
    ASSERT_TRUE(window.windowHandle() != nullptr);

    SendDeleteWindow(x11->connection(), static_cast<xcb_window_t>(window.winId()));
    QElapsedTimer waited;
    waited.start();
    while (!program.lifetime.Ended() && waited.elapsed() < 3000) {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(program.lifetime.Ended())
        << "close request ignored for " << waited.elapsed() << " ms";
  }
}

// The X server of the run (xvfb-run), never the offscreen platform.
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment("xcb"));

}  // namespace
}  // namespace pelloquin
