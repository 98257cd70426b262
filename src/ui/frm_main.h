// The main window in Qt: the controls of the layout table, showing what the
// main window's behaviour tells it and passing on the user's commands.
#pragma once

#include <QMainWindow>
#include <memory>

#include "app/main_window.h"
#include "app/views.h"

class QCloseEvent;
class QLabel;
class QListWidget;
class QProgressDialog;

namespace pelloquin {

class frmMain : public QMainWindow, public MainView {
  Q_OBJECT

 public:
  explicit frmMain(MainWindow& behaviour);
  ~frmMain() override;

  void SetCharacterList(const std::vector<std::string>& names) override;
  void SetLoadedName(std::string_view name) override;
  std::optional<std::size_t> SelectedRow() const override;
  void BeginProgress() override;
  void AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) override;
  void EndProgress() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Tooltips of the character list, made when the pointer rests on a row.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MainWindow& behaviour_;
  QListWidget* lstChars_ = nullptr;
  QLabel* lblLoaded_ = nullptr;
  std::unique_ptr<QProgressDialog> progress_;
  // The row whose tip is shown: Qt asks again at every move of the pointer
  // while a tip is up, and the tip reads the character's newest save.
  int tip_row_ = -1;
};

}  // namespace pelloquin
