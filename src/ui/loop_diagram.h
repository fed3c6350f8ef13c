#pragma once

#include <QWidget>

namespace velmora::ui {

// A small drawing of a loop: the panel on the left, the two wires of the loop running out and
// back, and the devices as circles, either all at one place at the far end or spread along the
// wires. The fields of the drawing are placed on it by their owner at FieldSlot().
class LoopDiagram : public QWidget {
  Q_OBJECT

 public:
  enum class Kind { kOneLocation, kSpread };
  // Where a field sits in the drawing.
  enum class Slot { kUpperNearPanel, kLowerNearPanel, kUpperBetween, kLowerBetween };

  static constexpr int kWidth = 348;
  static constexpr int kHeight = 84;

  explicit LoopDiagram(Kind kind, QWidget* parent = nullptr);

  static QRect FieldSlot(Slot slot);

  // Keeps a drawing centred in the space to the right of its check box: its left edge is (space
  // width - drawing width) div 2.
  static int CentredLeft(int space_width, int diagram_width);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
};

}  // namespace velmora::ui
