#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace velmora::loop {

// The loop controls of the device view and the drop-down lists of its device grid, as the rules
// read and write them. The widgets render it and forward the user's events to LoopSettings and
// DeviceRowEditor; those change the fields and emit Changed.
class LoopFormModel : public QObject {
  Q_OBJECT

 public:
  // The cable list: "0.5 mm²" ... "2.5 mm²" at the positions stored as CableSpec.
  static constexpr int kCableCount = 6;
  static QString CableText(int index);
  // Ohm per km of a cable; 0 for a position outside the list.
  static double CableResistance(int index);

  // Ranges of the spin fields.
  static constexpr int kMinAlarmIndicators = 0;
  static constexpr int kMaxAlarmIndicators = 128;
  static constexpr int kMinV1 = 1;
  static constexpr int kMaxV1 = 3000;
  static constexpr int kMinV3 = 0;
  static constexpr int kMaxV3 = 1500;

  // The loop the controls were loaded from.
  int panel = 0;
  int loop = 0;

  int cable_index = 0;  // -1 when the stored CableSpec is not in the list
  QString length_text;
  int alarm_indicators = 10;
  bool one_location = true;
  bool spread = false;
  int v1 = 20;  // first-device distance with one location
  int v3 = 0;   // first-device distance when spread
  // Read-only texts of the two diagrams.
  QString last_device_one_location = QStringLiteral("0");
  QString last_device_spread = QStringLiteral("0");
  QString device_spacing = QStringLiteral("0");  // shown on both wires of the spread diagram

  // Set while the program copies V1 into V3 (or V3 into V1), so the copy is not copied back.
  bool copying_v1 = false;
  bool copying_v3 = false;

  // The device grid's drop-down lists.
  QStringList device_types;
  QStringList device_sub_types;

  // The length field as a whole number; 0 when it holds none.
  qint64 LengthValue() const;

  void Touch() { emit Changed(); }

 signals:
  void Changed();
  // The grid's focus goes to the quantity column of the current row.
  void FocusQuantity();
};

}  // namespace velmora::loop
