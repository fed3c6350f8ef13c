#include "ui/choice_button_group.h"

#include <QMouseEvent>
#include <QToolButton>

#include "i18n/tr.h"
#include "site/images.h"
#include "ui/image_list.h"

namespace velmora::ui {

ChoiceButtonGroup::ChoiceButtonGroup(QWidget* parent) : QWidget(parent) {}

QIcon ChoiceButtonGroup::StateIcon(int image) {
  if (image != site::kImageTicked && image != site::kImageUnticked &&
      image != site::kImageNotAvailable)
    return QIcon();
  return ImageList::Icon(image);
}

QString ChoiceButtonGroup::UnavailableHint(const QString& code, bool board) {
  if (code.isEmpty()) {
    return board ? i18n::Tr(N_("This panel does not offer this option board."))
                 : i18n::Tr(N_("This panel does not offer this power supply."));
  }
  return (board ? i18n::Tr(N_("The %1 panel does not offer this option board."))
                : i18n::Tr(N_("The %1 panel does not offer this power supply.")))
      .arg(code);
}

QToolButton* ChoiceButtonGroup::Button(int i) const {
  return i >= 0 && i < Count() ? buttons_[i] : nullptr;
}

void ChoiceButtonGroup::Render(const std::vector<panel::ChoiceButton>& buttons,
                               const QString& unavailable) {
  while (Count() > int(buttons.size())) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (Count() < int(buttons.size())) {
    auto* button = new QToolButton(this);
    const int index = Count();
    button->setObjectName(QString("Button%1").arg(index));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    connect(button, &QToolButton::clicked, this, [this, index] {
      emit Clicked();
      emit ButtonClicked(index);
    });
    button->show();
    buttons_.push_back(button);
  }
  for (int i = 0; i < Count(); ++i) {
    // Captions come from the lookup table and are shown as they are stored.
    buttons_[i]->setText(buttons[i].caption);
    buttons_[i]->setIcon(StateIcon(buttons[i].image));
    buttons_[i]->setProperty("image", buttons[i].image);
    const bool available = buttons[i].image != site::kImageNotAvailable;
    buttons_[i]->setEnabled(available);
    buttons_[i]->setToolTip(available ? QString() : unavailable);
  }
  Arrange();
}

void ChoiceButtonGroup::SetButtonWidth(int width) {
  if (width == button_width_) return;
  button_width_ = width;
  Arrange();
}

void ChoiceButtonGroup::Arrange() {
  const int per_row = std::max(1, width() / std::max(1, button_width_));
  for (int i = 0; i < Count(); ++i) {
    buttons_[i]->setGeometry((i % per_row) * button_width_, (i / per_row) * kButtonHeight,
                             button_width_, kButtonHeight);
  }
}

void ChoiceButtonGroup::mousePressEvent(QMouseEvent* event) {
  emit Clicked();
  QWidget::mousePressEvent(event);
}

void ChoiceButtonGroup::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Arrange();
}

}  // namespace velmora::ui
