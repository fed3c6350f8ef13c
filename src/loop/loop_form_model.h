#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace velmora::loop {

// The loop controls of the device view and the drop-down lists of its device grid. It is
// rendered from the loop's rows after every change (RenderLoopForm); the widgets render it and
// build the actions of the user's edits.
class LoopFormModel : public QObject {
  Q_OBJECT

 public:
  // Ranges of the spin fields.
  static constexpr int kMinAlarmIndicators = 0;
  static constexpr int kMaxAlarmIndicators = 128;
  static constexpr int kMinV1 = 1;
  static constexpr int kMaxV1 = 3000;
  static constexpr int kMinV3 = 0;
  static constexpr int kMaxV3 = 1500;

  // The loop the controls show; 0 for none.
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

  // The device grid's drop-down lists: the types of the panel's device table, and the sub-types
  // of the type of the row the user is at.
  QStringList device_types;
  QStringList device_sub_types;

  // The length field as a whole number; 0 when it holds none.
  qint64 LengthValue() const {
    bool ok = false;
    const qint64 length = length_text.trimmed().toLongLong(&ok);
    return ok ? length : 0;
  }

  void Touch() { emit Changed(); }

 signals:
  void Changed();
};

}  // namespace velmora::loop
