// The About dialog: title, version, description, and the System Info button.
#pragma once

#include <QWidget>

#include "app_services.h"

namespace pelloquin {

class frmAbout : public QWidget {
  Q_OBJECT

 public:
  explicit frmAbout(AppServices& services);
  ~frmAbout() override;

  bool IsLoaded() const { return loaded_; }

 private:
  AppServices& services_;
  bool loaded_ = false;
};

// Opens the program's one About dialog: created on first use, loaded unless it
// is loaded already, shown modeless with no owner and brought to the front.
void ShowAbout(AppServices& services);

}  // namespace pelloquin
