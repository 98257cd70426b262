// A modal progress dialog for file work that takes long enough to be noticed.
#include "save_progress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressDialog>
#include <algorithm>
#include <utility>

#include "app_info.h"

namespace pelloquin {

SaveProgress::SaveProgress(QWidget* parent, QString label, int delay_ms)
    : parent_(parent), label_(std::move(label)), delay_ms_(delay_ms) {
  timer_.start();
}

SaveProgress::~SaveProgress() = default;

ProgressFn SaveProgress::Callback() {
  return [this](std::size_t done, std::size_t total) { Report(done, total); };
}

void SaveProgress::Report(std::size_t done, std::size_t total) {
  if (!dialog_) {
    if (done >= total || timer_.elapsed() < delay_ms_) return;
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    // The label holds a character's name, which may look like markup.
    auto* label = new QLabel(dialog_.get());
    label->setTextFormat(Qt::PlainText);
    dialog_->setLabel(label);
    dialog_->setWindowTitle(QString::fromUtf8(kAppTitle));
    dialog_->setCancelButton(nullptr);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
  }
  const int maximum = static_cast<int>(total);
  const int value = static_cast<int>(std::min(done, total));
  dialog_->setMaximum(maximum);
  dialog_->setLabelText(QStringLiteral("%1\n%2 of %3 saves").arg(label_).arg(value).arg(maximum));
  dialog_->setValue(value);
  if (!dialog_->isVisible()) dialog_->show();
  // Input is blocked by the modality; this only lets the dialog paint.
  QCoreApplication::processEvents();
}

}  // namespace pelloquin
