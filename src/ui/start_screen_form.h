#pragma once

#include <QDialog>

class QTextEdit;

namespace velmora::ui {

// The disclaimer as both the start screen and the about box show it: a read-only, centred,
// vertically scrolling text area of 450 x 160 pixels holding an empty line and then the two
// disclaimer texts of the message table, the second right after the first.
QTextEdit* MakeDisclaimerArea(QWidget* parent);
// The text the area holds.
QString DisclaimerText();

// TFormStartScreen: the disclaimer the user acknowledges once after every start, on top of the
// main window, closed with "Accept". It has no title-bar buttons.
class TFormStartScreen : public QDialog {
  Q_OBJECT

 public:
  explicit TFormStartScreen(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

// Places a window in the middle of the screen it is on.
void CentreOnScreen(QWidget* window);

}  // namespace velmora::ui
