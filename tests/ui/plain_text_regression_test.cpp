// Names of saves, characters and folders reach the user's eyes as they are,
// even when they look like markup.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include "qt_prompt.h"
#include "save_progress.h"

namespace pelloquin {
namespace {

// Text that Qt would take for rich text: a tag on the first line.
const char kMarkupLike[] = "Some saves of <b>Bob</b> could not be loaded:\n\n/saves/a.ess: gone";

TEST(PlainText, MessageBoxShowsMarkupLikeTextAsItStands) {
  ASSERT_TRUE(Qt::mightBeRichText(QString::fromUtf8(kMarkupLike)));
  QtPrompt prompt;
  bool found = false;
  Qt::TextFormat format = Qt::AutoText;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      found = true;
      format = box->textFormat();
      box->accept();
    }
  });
  poll.start(10);
  prompt.ShowMessage(kMarkupLike, MessageIcon::Critical);
  poll.stop();
  ASSERT_TRUE(found);
  EXPECT_EQ(format, Qt::PlainText);
}

TEST(PlainText, ProgressDialogShowsMarkupLikeNamesAsTheyStand) {
  SaveProgress progress(nullptr, QString::fromUtf8("Loading <b>Bob</b>"), 0);
  progress.Report(1, 4);
  QProgressDialog* dialog = progress.Dialog();
  ASSERT_NE(dialog, nullptr);
  auto* label = dialog->findChild<QLabel*>();
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->text().contains(QStringLiteral("<b>Bob</b>")));
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace pelloquin
