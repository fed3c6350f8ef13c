#pragma once

#include <QIcon>
#include <QWidget>
#include <vector>

#include "panel/panel_form_model.h"

class QToolButton;

namespace velmora::ui {

// A button group without bevel or border: one button per option board or power supply, its
// image showing its state (unticked, ticked, not available) with the caption beside it. The
// buttons are laid out left to right in rows of the group's width. A button that is not
// available is disabled, so it looks it and takes no click, and its tooltip says why.
class ChoiceButtonGroup : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kInitialButtonWidth = 180;
  static constexpr int kButtonHeight = 22;

  explicit ChoiceButtonGroup(QWidget* parent = nullptr);

  // One button per entry, captions and images as the model holds them; `unavailable` is the
  // tooltip of the buttons that cannot be chosen.
  void Render(const std::vector<panel::ChoiceButton>& buttons,
              const QString& unavailable = QString());
  void SetButtonWidth(int width);
  int ButtonWidth() const { return button_width_; }
  int Count() const { return int(buttons_.size()); }
  QToolButton* Button(int i) const;

  // Why a button of a panel whose order code is `code` cannot be chosen: an option board
  // (`board`) or a power supply.
  static QString UnavailableHint(const QString& code, bool board);

  // The picture of a button state from the main window's image list; none for another index.
  static QIcon StateIcon(int image);

 signals:
  void ButtonClicked(int index);
  // Any click in the group, on a button or beside the buttons.
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange();

  std::vector<QToolButton*> buttons_;
  int button_width_ = kInitialButtonWidth;
};

}  // namespace velmora::ui
