// What both Qt windows share.
#include "ui/qt_widgets.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <vector>

namespace pelloquin {

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/pelloquin-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

QFont WindowFont() {
  QFont font = QApplication::font();
  const QString family = FromUtf8(kWindowFontFamily);
  if (QFontDatabase::families().contains(family)) font = QFont(family);
  font.setPointSizeF(kWindowFontPoints);
  return font;
}

int ScreenDpi(const QWidget& widget) {
  const QScreen* screen = widget.screen();
  return screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInch()))
                           : kStandardDpi;
}

namespace {

QWidget* MakeControl(const ControlLayout& control, QWidget* parent) {
  const QString text = FromUtf8(control.text);
  switch (control.kind) {
    case ControlKind::Frame:
      return new QGroupBox(text, parent);
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setSortingEnabled(false);
      return list;
    }
    case ControlKind::Label:
    case ControlKind::Picture: {
      auto* label = new QLabel(text, parent);
      // Names may look like markup; they are shown as they stand.
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(text, parent);
      button->setAutoDefault(false);
      button->setDefault(false);
      return button;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<QWidget*> MakeControls(QWidget* client, const WindowLayout& window, int dpi) {
  std::vector<QWidget*> controls;
  std::vector<std::pair<int, QWidget*>> tab_order;
  QFont bold = client->font();
  bold.setBold(true);
  for (const ControlLayout& control : window.controls) {
    // The table lists a frame before what lies in it.
    QWidget* parent = control.container == kClientArea
                          ? client
                          : controls.at(static_cast<std::size_t>(control.container));
    QWidget* widget = MakeControl(control, parent);
    widget->setObjectName(FromUtf8(control.name));
    // Set on every control, or a frame's children would take its bold caption.
    QFont font = client->font();
    font.setBold(control.bold);
    widget->setFont(font);
    widget->setGeometry(ToQRect(TwipsToPixels(control.twips, dpi)));
    if (control.tab_index != kNoTabStop) tab_order.emplace_back(control.tab_index, widget);
    controls.push_back(widget);
  }
  std::sort(tab_order.begin(), tab_order.end());
  for (std::size_t i = 1; i < tab_order.size(); ++i) {
    QWidget::setTabOrder(tab_order[i - 1].second, tab_order[i].second);
  }
  if (!tab_order.empty()) tab_order.front().second->setFocus();
  return controls;
}

}  // namespace pelloquin
