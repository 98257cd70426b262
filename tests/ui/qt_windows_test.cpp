// What only the Qt windows can get wrong: wiring the controls to the
// behaviour, focus and keys, fonts, accessibility, plain text, and the end of
// a session by a signal. The behaviour itself is tested without Qt.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <chrono>
#include <csignal>

#include "save_header_bytes.h"
#include "support/program_test.h"
#include "support/watchdog.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"
#include "ui/qt_desktop.h"
#include "ui/qt_prompt.h"
#include "ui/qt_widgets.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using enum MainControl;
using enum MainMenuItem;
using enum AboutControl;

class QtWindowsTest : public ProgramTest<QtDesktop> {
 protected:
  QtWindowsTest() {
    WriteFile(temp_.path() / "Saves" / "Save 1 - Brutus - Weye.ess", "save");
    window.show();
    StartFirstRun(temp_.text() + "/Saves/autosave.ess");
  }

  template <typename T, typename Name>
  T* Child(QWidget* parent, Name name) {
    T* child = parent->findChild<T*>(FromUtf8(LayoutOf(name).name));
    EXPECT_NE(child, nullptr) << LayoutOf(name).name;
    return child;
  }
  frmAbout* About() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* about = qobject_cast<frmAbout*>(widget)) return about;
    }
    return nullptr;
  }

  frmMain window{program->main};
};

TEST_F(QtWindowsTest, ControlsReachTheBehaviour) {
  Child<QPushButton>(&window, cmdLoad)->click();
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kNoSelectionMessage);

  Child<QListWidget>(&window, lstChars)->item(0)->setSelected(true);
  Child<QPushButton>(&window, cmdLoad)->click();
  EXPECT_EQ(Child<QLabel>(&window, lblLoaded)->text(), "Brutus");

  Child<QAction>(&window, mnuAbout)->trigger();
  ASSERT_NE(About(), nullptr);
  EXPECT_TRUE(About()->isVisible());
  Child<QPushButton>(About(), cmdOK)->click();
  EXPECT_FALSE(About()->isVisible());
  EXPECT_FALSE(program->about.IsLoaded());
}

TEST_F(QtWindowsTest, PointerRestingOnACharacterShowsItsLatestSave) {
  auto* list = Child<QListWidget>(&window, lstChars);
  const QPoint pos = list->visualItemRect(list->item(0)).center();
  QHelpEvent event(QEvent::ToolTip, pos, list->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(list->viewport(), &event);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_TRUE(QToolTip::text().contains("Save 1 - Brutus - Weye.ess"))
      << QToolTip::text().toStdString();
  QToolTip::hideText();
}

TEST_F(QtWindowsTest, TipMarksAMissingAndAnInactivePlugin) {
  HeaderFields fields;
  fields.width = 2;
  fields.height = 1;
  WriteFile(temp_.path() / "Saves" / "Brutus" / "Save 2 - Brutus - Bravil.ess",
            SaveHeaderBytes(fields) + PluginListBytes({"Oblivion.esm", "Gone.esp", "Off.esp"}),
            2'000'000'000);
  InstallPlugins({"Oblivion.esm", "Off.esp"}, "Oblivion.esm\n");
  auto* list = Child<QListWidget>(&window, lstChars);
  list->item(0)->setSelected(true);
  Child<QPushButton>(&window, cmdLoad)->click();  // the lists are read again

  const QPoint pos = list->visualItemRect(list->item(0)).center();
  QHelpEvent event(QEvent::ToolTip, pos, list->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(list->viewport(), &event);
  ASSERT_TRUE(QToolTip::isVisible());
  const QString text = QToolTip::text();
  for (const std::string& line :
       {std::string(kMissingMark) + "Gone.esp", std::string(kInactiveMark) + "Off.esp"}) {
    EXPECT_TRUE(text.contains(FromUtf8(line).toHtmlEscaped())) << line << "\n"
                                                               << text.toStdString();
  }
  QToolTip::hideText();
}

TEST_F(QtWindowsTest, TabMovesFromLoadSaveToTheListToLaunchAndEnterPressesNothing) {
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(&window, cmdLoad));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(&window, lstChars));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(&window, cmdLaunch));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(starter.starts.empty());
  // Tabbing through the list selects no character.
  EXPECT_TRUE(Child<QListWidget>(&window, lstChars)->selectedItems().isEmpty());
}

TEST_F(QtWindowsTest, MainWindowIsTheMenuBarOverAFixedClientArea) {
  QWidget* client = window.centralWidget();
  EXPECT_GE(client->y(), window.menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(window.height(), client->y() + client->height());
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowIcon().availableSizes().isEmpty());
  // Frame captions are bold; the name inside a frame is not.
  EXPECT_TRUE(Child<QGroupBox>(&window, Frame1)->font().bold());
  EXPECT_FALSE(Child<QLabel>(&window, lblLoaded)->font().bold());
  EXPECT_FALSE(Child<QWidget>(&window, lstChars)->font().bold());
}

TEST_F(QtWindowsTest, ScreenReadersMeetADialogAndANamedLabel) {
  Child<QAction>(&window, mnuAbout)->trigger();
  QAccessibleInterface* about = QAccessible::queryAccessibleInterface(About());
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->role(), QAccessible::Dialog);
  EXPECT_EQ(About()->windowHandle()->transientParent(), nullptr);
  EXPECT_EQ(Child<QPushButton>(About(), cmdSysInfo)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
  QLabel* description = Child<QLabel>(About(), lblDescription);
  EXPECT_LE(description->heightForWidth(description->width()), description->height());

  QAccessibleInterface* label =
      QAccessible::queryAccessibleInterface(Child<QLabel>(&window, lblLoaded));
  EXPECT_NE(label->text(QAccessible::Name), "Loaded Character");
}

// Text that Qt would take for rich text: a tag on the first line.
const char kMarkupLike[] = "Some saves of <b>Bob</b> could not be loaded:\n\n/saves/a.ess: gone";

TEST_F(QtWindowsTest, MessagesAndProgressShowMarkupLikeTextAsItStands) {
  ASSERT_TRUE(Qt::mightBeRichText(QString::fromUtf8(kMarkupLike)));
  QtPrompt real_prompt;
  QMessageBox* seen = nullptr;
  Qt::TextFormat format = Qt::AutoText;
  QString details;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      seen = box;
      format = box->textFormat();
      details = box->detailedText();
      box->accept();
    }
  });
  poll.start(10);
  {
    Watchdog watchdog("the message box to be answered", std::chrono::seconds(30));
    real_prompt.ShowMessage(kMarkupLike, MessageIcon::Critical, "Pelloquin", "every line");
  }
  poll.stop();
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(details, "every line");

  window.BeginProgress();
  window.AdvanceProgress("Loading <b>Bob</b>\n1 of 4 saves", 1, 4);
  auto* progress = window.findChild<QProgressDialog*>();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->isModal());
  auto* label = progress->findChild<QLabel*>();
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_TRUE(label->text().contains(QStringLiteral("<b>Bob</b>")));
  window.EndProgress();
  EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr);
}

TEST(QtSession, ATerminationSignalEndsTheSessionFromTheEventLoop) {
  int ended = 0;
  EndSessionOnSignals([&ended] {
    ++ended;
    QCoreApplication::exit(0);
  });
  QTimer::singleShot(0, [] { std::raise(SIGTERM); });
  // Only a watchdog: without it a signal that never arrived would hang the test.
  QTimer::singleShot(30000, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(ended, 1);
}

}  // namespace
}  // namespace pelloquin
