// Message boxes and the open-file dialog, shown with Qt.
#include "ui/qt_prompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/qt_widgets.h"

namespace pelloquin {

namespace {

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

void QtPrompt::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                           std::string_view details) {
  QMessageBox box(QtIcon(icon), FromUtf8(title), FromUtf8(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  // Paths and names may look like markup; Qt would then drop them and the line breaks.
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setDetailedText(FromUtf8(details));
  box.exec();
}

std::optional<std::string> QtPrompt::ChooseFile(std::string_view filter_description,
                                                std::string_view filter_pattern,
                                                std::string_view start_folder) {
  const QString filter = FromUtf8(filter_description) + " (" + FromUtf8(filter_pattern) + ")";
  const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                      FromUtf8(start_folder), filter);
  if (chosen.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen).toStdString();
}

}  // namespace pelloquin
