#pragma once

#include <QFrame>

class QLabel;

namespace velmora::action {
class Editor;
}

namespace velmora::ui {

// PanelLoopStatus: the status of the loop on show in the device view, with what it means. One
// line holds the status ("Loop Overload [E04]", or "Loop OK" with "near the limit" when the loop
// uses 90 % or more of a limit) and the headroom (the use of the protocol's current limit and the
// voltage left at the devices); below, one line per reason with this loop's numbers, or per limit
// the loop is near. An overload is red and bold, near a limit amber; the words say the same.
class LoopStatusPanel : public QFrame {
  Q_OBJECT

 public:
  explicit LoopStatusPanel(action::Editor& editor, QWidget* parent = nullptr);

  QLabel* Status() const { return status_; }
  QLabel* Headroom() const { return headroom_; }
  QLabel* Explanation() const { return explanation_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Shows the loop of the editor's loop form as its rows give it; while hidden it waits to be
  // shown.
  void Render();

  action::Editor& editor_;
  QLabel* status_ = nullptr;
  QLabel* headroom_ = nullptr;
  QLabel* explanation_ = nullptr;
  bool stale_ = true;
};

}  // namespace velmora::ui
