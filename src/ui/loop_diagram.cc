#include "ui/loop_diagram.h"

#include <QPainter>

namespace velmora::ui {
namespace {

constexpr int kUpperWire = 22;
constexpr int kLowerWire = 62;
constexpr int kPanelRight = 34;
constexpr int kRadius = 6;

}  // namespace

LoopDiagram::LoopDiagram(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setFixedSize(kWidth, kHeight);
}

int LoopDiagram::CentredLeft(int space_width, int diagram_width) {
  return (space_width - diagram_width) / 2;
}

QRect LoopDiagram::FieldSlot(Slot slot) {
  constexpr int kFieldWidth = 56;
  constexpr int kFieldHeight = 20;
  switch (slot) {
    case Slot::kUpperNearPanel:
      return QRect(kPanelRight + 14, kUpperWire - kFieldHeight - 1, kFieldWidth, kFieldHeight);
    case Slot::kLowerNearPanel:
      return QRect(kPanelRight + 14, kLowerWire + 2, kFieldWidth, kFieldHeight);
    case Slot::kUpperBetween:
      return QRect(197, kUpperWire - kFieldHeight - 1, kFieldWidth, kFieldHeight);
    case Slot::kLowerBetween:
      return QRect(197, kLowerWire + 2, kFieldWidth, kFieldHeight);
  }
  return QRect();
}

void LoopDiagram::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor wire(0x37, 0x47, 0x4f);
  const QColor device(0xc6, 0x28, 0x28);

  // The panel.
  p.setPen(QPen(wire, 1.5));
  p.setBrush(QColor(0xec, 0xef, 0xf1));
  p.drawRect(QRectF(4.5, kUpperWire - 8.5, kPanelRight - 4, kLowerWire - kUpperWire + 17));

  // The two wires and the turn at the far end.
  const int far_end = kWidth - 10;
  p.setBrush(Qt::NoBrush);
  p.drawLine(kPanelRight, kUpperWire, far_end, kUpperWire);
  p.drawLine(kPanelRight, kLowerWire, far_end, kLowerWire);
  p.drawLine(far_end, kUpperWire, far_end, kLowerWire);

  p.setPen(QPen(device.darker(130), 1.2));
  p.setBrush(device);
  const auto circle = [&p](double x, double y) { p.drawEllipse(QPointF(x, y), kRadius, kRadius); };
  if (kind_ == Kind::kOneLocation) {
    // All devices together, where the loop turns back.
    for (int i = 0; i < 3; ++i) circle(far_end - 30 - i * 14, kUpperWire);
    for (int i = 0; i < 3; ++i) circle(far_end - 30 - i * 14, kLowerWire);
  } else {
    // Evenly along both wires; the distance field sits between two of them.
    for (int x : {112, 178, 272, 318}) {
      circle(x, kUpperWire);
      circle(x, kLowerWire);
    }
  }
}

}  // namespace velmora::ui
