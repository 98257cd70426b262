// A modal progress dialog for file work that takes long enough to be noticed.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <memory>

#include "save_folder.h"

class QProgressDialog;
class QWidget;

namespace pelloquin {

inline constexpr int kProgressDelayMs = 500;

// Feeds the core's progress reports into a dialog that appears only once the
// work has run for `delay_ms`; the work stays on the one thread, so the
// dialog is repainted from inside the reports.
class SaveProgress {
 public:
  SaveProgress(QWidget* parent, QString label, int delay_ms = kProgressDelayMs);
  ~SaveProgress();
  SaveProgress(const SaveProgress&) = delete;
  SaveProgress& operator=(const SaveProgress&) = delete;

  ProgressFn Callback();
  void Report(std::size_t done, std::size_t total);

  // Null until the dialog has appeared.
  QProgressDialog* Dialog() const { return dialog_.get(); }

 private:
  QWidget* parent_;
  QString label_;
  int delay_ms_;
  QElapsedTimer timer_;
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace pelloquin
