#include "ui/close_up_combo_box.h"

#include <QKeyEvent>
#include <QTimer>

namespace velmora::ui {

CloseUpComboBox::CloseUpComboBox(QWidget* parent) : QComboBox(parent) {}

void CloseUpComboBox::showPopup() {
  popup_open_ = true;
  QComboBox::showPopup();
}

void CloseUpComboBox::hidePopup() {
  QComboBox::hidePopup();
  if (!popup_open_) return;
  popup_open_ = false;
  // The list hides before the entry picked in it becomes current; the close-up is told once the
  // pick has landed.
  QTimer::singleShot(0, this, [this] { emit ClosedUp(currentIndex()); });
}

void CloseUpComboBox::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool typed = !text.isEmpty() && text.at(0).isPrint() &&
                     !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  QComboBox::keyPressEvent(event);
  if (opens_when_typed_into_ && typed && !popup_open_ && count() > 0) showPopup();
}

}  // namespace velmora::ui
