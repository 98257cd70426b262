// Message boxes and the open-file dialog, shown with Qt.
#include "qt_prompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace pelloquin {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtPrompt::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) {
  QMessageBox box(QtIcon(icon), FromUtf8(title), FromUtf8(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  // Paths and names may look like markup; Qt would then drop them and the line breaks.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

std::optional<std::string> QtPrompt::ChooseFile(std::string_view filter_description,
                                                std::string_view filter_pattern) {
  QString filter = FromUtf8(filter_description) + " (" + FromUtf8(filter_pattern) + ")";
  QString chosen =
      QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(), filter);
  if (chosen.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen).toStdString();
}

}  // namespace pelloquin
