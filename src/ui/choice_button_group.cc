#include "ui/choice_button_group.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include "site/images.h"

namespace velmora::ui {
namespace {

// The three states of a choice: an empty white box, a box with a black tick, a grey hatched box.
QPixmap DrawState(int image) {
  QImage picture(16, 16, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box(2.5, 2.5, 11, 11);
  if (image == site::kImageNotAvailable) {
    p.setPen(QPen(QColor(0x9e, 0x9e, 0x9e), 1.0));
    p.setBrush(QBrush(QColor(0xbd, 0xbd, 0xbd), Qt::BDiagPattern));
    p.fillRect(box, QColor(0xee, 0xee, 0xee));
    p.drawRect(box);
  } else {
    p.setPen(QPen(QColor(0x45, 0x5a, 0x64), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(box);
    if (image == site::kImageTicked) {
      QPen tick(Qt::black, 1.8);
      tick.setCapStyle(Qt::RoundCap);
      tick.setJoinStyle(Qt::RoundJoin);
      p.setPen(tick);
      const QPointF points[] = {{4.5, 8.0}, {7.0, 10.5}, {11.5, 5.0}};
      p.drawPolyline(points, 3);
    }
  }
  p.end();
  return QPixmap::fromImage(picture);
}

}  // namespace

ChoiceButtonGroup::ChoiceButtonGroup(QWidget* parent) : QWidget(parent) {}

QIcon ChoiceButtonGroup::StateIcon(int image) {
  if (image != site::kImageTicked && image != site::kImageUnticked &&
      image != site::kImageNotAvailable)
    return QIcon();
  return QIcon(DrawState(image));
}

QToolButton* ChoiceButtonGroup::Button(int i) const {
  return i >= 0 && i < Count() ? buttons_[i] : nullptr;
}

void ChoiceButtonGroup::Render(const std::vector<panel::ChoiceButton>& buttons) {
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
