// What both Qt windows share: the program's icon, the window font, the
// screen's dpi, and the controls made from a layout table.
#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>
#include <map>
#include <string_view>

#include "layout.h"

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
// with tab index 0 gets the focus. Buttons press on a click only.
std::map<std::string_view, QWidget*> MakeControls(QWidget* client, const WindowLayout& window,
                                                  int dpi);

}  // namespace pelloquin
