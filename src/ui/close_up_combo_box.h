#pragma once

#include <QComboBox>

namespace velmora::ui {

// A drop-down list that says when its list closes, whether or not the entry changed, after the
// entry picked in the list (if any) has become the current one. It can open its list when the
// user types into it.
class CloseUpComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit CloseUpComboBox(QWidget* parent = nullptr);

  void SetOpensWhenTypedInto(bool on) { opens_when_typed_into_ = on; }
  bool PopupOpen() const { return popup_open_; }

  void showPopup() override;
  void hidePopup() override;

 signals:
  void ClosedUp(int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool opens_when_typed_into_ = false;
  bool popup_open_ = false;
};

}  // namespace velmora::ui
