// What both Qt windows share: the program's icon, the window font, the
// screen's dpi, and the controls made from a layout table.
#pragma once

#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <string_view>
#include <vector>

#include "app/layout.h"

class QWidget;

namespace pelloquin {

QIcon ProgramIcon();

// "MS Sans Serif" 8.25 pt where installed, else the system's UI font at that size.
QFont WindowFont();

// The one place the Qt windows learn the screen's logical dots per inch.
int ScreenDpi(const QWidget& widget);

inline QRect ToQRect(const PixelRect& rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Makes the window's controls on `client`, named as in the table, placed in
// twips at `dpi`, inside their frames, in the table's tab order; the control
// with tab index 0 gets the focus. Buttons press on a click only. Returns
// them in the table's order.
std::vector<QWidget*> MakeControls(QWidget* client, const WindowLayout& window, int dpi);

// The Qt class each kind of control is made as.
template <ControlKind kind>
struct QtClassOf;
template <>
struct QtClassOf<ControlKind::Frame> {
  using type = QGroupBox;
};
template <>
struct QtClassOf<ControlKind::ListBox> {
  using type = QListWidget;
};
template <>
struct QtClassOf<ControlKind::Label> {
  using type = QLabel;
};
template <>
struct QtClassOf<ControlKind::Picture> {
  using type = QLabel;
};
template <>
struct QtClassOf<ControlKind::Button> {
  using type = QPushButton;
};

// One window's controls, made from its table, each reached by its name as
// the class its kind is made as.
template <ControlName Name>
class Controls {
 public:
  Controls(QWidget* client, int dpi) : widgets_(MakeControls(client, WindowOf(Name{}), dpi)) {}

  template <Name name>
  auto* Get() const {
    using Class = typename QtClassOf<LayoutOf(name).kind>::type;
    return static_cast<Class*>(widgets_[static_cast<std::size_t>(Row(name))]);
  }

 private:
  std::vector<QWidget*> widgets_;
};

}  // namespace pelloquin
