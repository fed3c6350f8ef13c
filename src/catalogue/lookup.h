#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "site/table.h"

namespace velmora::catalogue {

// Readers of the lookup table Translation_Text. Every read scans the table from its first row in
// stored order; `Pick` says whether the first or the last matching row wins where the rules of
// a caller differ. Integer keys compare with integers and text keys with texts.
enum class Pick { kFirst, kLast };

std::optional<qint64> PanelTypeId(site::Table& lookup, const QString& name,
                                  Pick pick = Pick::kFirst);
// Empty when there is no row with that ID1.
QString PanelTypeName(site::Table& lookup, qint64 id);
std::optional<qint64> HousingId(site::Table& lookup, const QString& name, Pick pick = Pick::kFirst);
QString HousingName(site::Table& lookup, qint64 id);

struct Protocol {
  QString key;   // ID3: "Prot0" ...
  QString name;  // Protocol
  QString file;  // ProtocolFile: the device table of the protocol
  qint64 max_loop_length = 0;
  double lowest_v = 0.0;
  qint64 max_detector_count = 0;
  qint64 max_module_count = 0;
  double resistance_to_device = 0.0;
};
// The first row whose ID3 equals the key ("Prot" + index).
std::optional<Protocol> ProtocolOfKey(site::Table& lookup, const QString& key);
// The first row whose Protocol equals the name.
std::optional<Protocol> ProtocolOfName(site::Table& lookup, const QString& name);
// "Prot" followed by the index.
QString ProtocolKey(int index);

// Button captions: Options of the row with ID4 "Opt"+i, PowerSupply of the row with ID5 "Psu"+i;
// nothing when there is no such row (the button then has no caption and no image).
std::optional<QString> OptionCaption(site::Table& lookup, int index);
std::optional<QString> PowerSupplyCaption(site::Table& lookup, int index);

// LookupDeviceTypeText: "Device Type Text" of the first row with that ID6, or "MissingDev"
// followed by the code when there is no such row or it has no text.
QString LookupDeviceTypeText(site::Table& lookup, qint64 code);
// ID6 of the first row whose "Device Type Text" equals the text.
std::optional<qint64> DeviceTypeCodeOfText(site::Table& lookup, const QString& text);

// Outputs text of the first row whose ID9 equals the number, else "Output" (translated), a blank
// and the number.
QString OutputName(site::Table& lookup, qint64 number);

// The standby and alarm time lists: texts of the rows with an ID7 (ID8) in table order.
QStringList StandbyTimeTexts(site::Table& lookup);
QStringList AlarmTimeTexts(site::Table& lookup);
// The number of hours of list entry `index` (the row whose ID7 / ID8 equals it; the last such
// row wins); 0 when there is none.
double StandbyTimeNumber(site::Table& lookup, int index);
double AlarmTimeNumber(site::Table& lookup, int index);
// The list entry for a stored number of hours (the ID7 / ID8 of the last row whose number equals
// it); nothing when none matches.
std::optional<int> StandbyTimeIndex(site::Table& lookup, double hours);
std::optional<int> AlarmTimeIndex(site::Table& lookup, double hours);
// StandbyTimeText / AlarmTimeText of the first row whose number equals the hours; empty if none.
QString StandbyTimeTextOfNumber(site::Table& lookup, double hours);
QString AlarmTimeTextOfNumber(site::Table& lookup, double hours);

}  // namespace velmora::catalogue
