#include "loop/device_rows.h"

#include <algorithm>

#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"

namespace velmora::loop {
namespace {

using electrical::IntAt;
using electrical::TextAt;
using i18n::Msg;

// A type or sub-type cell with nothing chosen (a new row holds a single blank).
bool IsBlank(const QString& text) { return text.trimmed().isEmpty(); }

int ProtocolOf(SiteData& data, int panel) {
  const std::vector<site::Row> panels = data.doc.Db().Select("Panels", electrical::PanelKey(panel));
  return panels.empty() ? -1
                        : electrical::LastTrueFlag(panels.front(), data.Cols().panels.protocols);
}

Outcome NoRow(int position) {
  return Outcome::Refused(i18n::Tr(N_("The loop has no device row %1.")).arg(position));
}

QString LimitNote(qint64 limit, qint64 would_be) {
  return i18n::Tr(N_("The limit is %1; this would make %2.")).arg(limit).arg(would_be);
}

// The loop's rows as quantity and sub-type, with the limits of the loop's protocol: the
// detector and module counts of the loop (CheckLoopGroupLimits) and each row against its
// device's MaxPerLoop (CheckDeviceTypeLimits). One message for all that fail, empty when every
// limit holds.
struct RowForLimits {
  qint64 quantity = 0;
  QString sub_type;
};
QString LimitProblems(const std::vector<RowForLimits>& rows, const catalogue::DeviceTable& table,
                      const electrical::ProtocolLimits& limits) {
  QStringList problems;
  if (limits.max_detectors && limits.max_modules) {
    const qint64 max_detectors = *limits.max_detectors;
    const qint64 max_modules = *limits.max_modules;
    qint64 detectors = 0;
    qint64 modules = 0;
    for (const RowForLimits& row : rows) {
      const catalogue::Device* device = table.FirstOfCode(row.sub_type);
      if (device == nullptr) continue;
      const qint64 counted = row.quantity * device->count;
      if (device->group == u"all" || device->group == u"det") {
        detectors += counted;
      } else if (device->group == u"mod") {
        modules += counted;
      }
    }
    if (max_modules != 0) {
      if (detectors > max_detectors)
        problems << i18n::Text(Msg::kTooManyDetectorsPerLoop) + "\n" +
                        LimitNote(max_detectors, detectors);
      if (modules > max_modules)
        problems << i18n::Text(Msg::kTooManyModulesPerLoop) + "\n" +
                        LimitNote(max_modules, modules);
    } else if (detectors > max_detectors) {
      // Without a module limit every counted device is one of the loop's devices.
      problems << i18n::Text(Msg::kTooManyDevicePerLoop) + "\n" +
                      LimitNote(max_detectors, detectors);
    }
  }
  for (const RowForLimits& row : rows) {
    const catalogue::Device* device = table.FirstOfCode(row.sub_type);
    if (device == nullptr || row.quantity <= device->max_per_loop) continue;
    problems << i18n::Text(Msg::kTooManyDeviceOfType) + " " + row.sub_type + " " +
                    i18n::Text(Msg::kDecreaseSpecificType) + "\n" +
                    LimitNote(device->max_per_loop, row.quantity);
  }
  return problems.join("\n\n");
}

std::vector<RowForLimits> LimitRows(SiteData& data, const std::vector<site::Row>& rows) {
  const site::DeviceColumns& c = data.Cols().devices;
  std::vector<RowForLimits> out;
  for (const site::Row& row : rows)
    out.push_back({IntAt(row, c.quantity), TextAt(row, c.sub_type)});
  return out;
}

QString CheckLimits(SiteData& data, int panel, const std::vector<RowForLimits>& rows) {
  return LimitProblems(rows, PanelDevices(data, panel), electrical::PanelLimits(data, panel));
}

}  // namespace

const catalogue::DeviceTable& PanelDevices(SiteData& data, int panel) {
  return data.catalogue.ProtocolDevices(ProtocolOf(data, panel));
}

QString LoopLimitProblems(SiteData& data, int panel, int loop) {
  return CheckLimits(data, panel, LimitRows(data, LoopDeviceRows(data, panel, loop)));
}

std::vector<site::Row> LoopDeviceRows(SiteData& data, int panel, int loop) {
  return data.doc.Db().Select("Devices", electrical::DevicesOfLoop(panel, loop));
}

std::optional<site::Row> DeviceRowAt(SiteData& data, int panel, int loop, int position) {
  std::vector<site::Row> rows = LoopDeviceRows(data, panel, loop);
  if (position < 1 || position > int(rows.size())) return std::nullopt;
  return std::move(rows[position - 1]);
}

bool IsCompleteRow(SiteData& data, const site::Row& row) {
  const site::DeviceColumns& c = data.Cols().devices;
  return !electrical::IsEmptyAt(row, c.quantity) && IntAt(row, c.quantity) >= 1 &&
         !IsBlank(TextAt(row, c.type_text)) && !IsBlank(TextAt(row, c.sub_type));
}

Outcome AddDeviceRow(SiteData& data, int panel, int loop) {
  if (data.doc.Db().Count("Loops", electrical::LoopKey(panel, loop)) == 0)
    return Outcome::Refused(i18n::Tr(N_("Panel %1 has no loop %2.")).arg(panel).arg(loop));
  electrical::AppendBlankDeviceRow(data.doc.Db(), data.Cols().devices, panel, loop);
  return {};
}

bool CanDeleteDeviceRow(SiteData& data, int panel, int loop) {
  return data.doc.Db().Count("Devices", electrical::DevicesOfLoop(panel, loop)) >= 2;
}

Outcome DeleteDeviceRow(SiteData& data, int panel, int loop, int position) {
  std::optional<site::Row> row = DeviceRowAt(data, panel, loop, position);
  if (!row) return NoRow(position);
  if (!CanDeleteDeviceRow(data, panel, loop))
    return Outcome::Refused(i18n::Text(Msg::kLastItemCannotBeDeleted));
  data.doc.Db().Delete("Devices", row->rowid);
  return {};
}

Outcome SetDeviceQuantity(SiteData& data, int panel, int loop, int position, qint64 quantity) {
  std::vector<site::Row> rows = LoopDeviceRows(data, panel, loop);
  if (position < 1 || position > int(rows.size())) return NoRow(position);
  if (quantity < 0)
    return Outcome::Refused(i18n::Tr(N_("A quantity of devices cannot be negative.")));
  if (quantity > kMaxQuantity)
    return Outcome::Refused(i18n::Tr(N_("A row holds at most %1 devices.")).arg(kMaxQuantity));
  const site::DeviceColumns& c = data.Cols().devices;
  site::Row& row = rows[position - 1];
  // A row without its device is stored as it is, with nothing to check.
  if (!IsBlank(TextAt(row, c.type_text)) && !IsBlank(TextAt(row, c.sub_type))) {
    std::vector<RowForLimits> limit_rows = LimitRows(data, rows);
    limit_rows[position - 1].quantity = quantity;
    const QString problems = CheckLimits(data, panel, limit_rows);
    if (!problems.isEmpty()) return Outcome::Refused(problems);
  }
  electrical::RowEdit edit(data.doc.Db(), "Devices", row);
  edit.Set(c.quantity, quantity);
  edit.Store();
  return {};
}

Outcome SetDeviceType(SiteData& data, int panel, int loop, int position, const QString& type) {
  std::optional<site::Row> row = DeviceRowAt(data, panel, loop, position);
  if (!row) return NoRow(position);
  const site::DeviceColumns& c = data.Cols().devices;
  electrical::RowEdit edit(data.doc.Db(), "Devices", *row);
  if (IsBlank(type)) {
    edit.Set(c.type_text, type);
    edit.Set(c.sub_type, QVariant());
    edit.Store();
    return {};
  }
  const catalogue::DeviceTable& table = PanelDevices(data, panel);
  site::Table& lookup = data.catalogue.Translation();
  if (!catalogue::ListDeviceTypes(table, lookup).contains(type))
    return Outcome::Refused(i18n::Text(Msg::kNotAValidValue));
  edit.Set(c.type_text, type);
  edit.Set(c.sub_type, QVariant());
  edit.Set(c.row_q, 0.0);
  edit.Set(c.row_a, 0.0);
  // A type with no offered device keeps the row's old code.
  const QStringList offered = catalogue::ListDeviceSubTypes(table, lookup, type);
  const std::optional<qint64> code = catalogue::DeviceTypeCodeOfText(lookup, type);
  if (!offered.isEmpty() && code) edit.Set(c.type_code, *code);
  edit.Store();
  return {};
}

Outcome SetDeviceSubType(SiteData& data, int panel, int loop, int position, const QString& code) {
  std::vector<site::Row> rows = LoopDeviceRows(data, panel, loop);
  if (position < 1 || position > int(rows.size())) return NoRow(position);
  const site::DeviceColumns& c = data.Cols().devices;
  site::Row& row = rows[position - 1];
  if (!IsBlank(code)) {
    const QString type_text = TextAt(row, c.type_text);
    const catalogue::DeviceTable& table = PanelDevices(data, panel);
    if (IsBlank(type_text) ||
        !catalogue::ListDeviceSubTypes(table, data.catalogue.Translation(), type_text)
             .contains(code))
      return Outcome::Refused(i18n::Text(Msg::kNotAValidValue));
    std::vector<RowForLimits> limit_rows = LimitRows(data, rows);
    limit_rows[position - 1].sub_type = code;
    const QString problems = CheckLimits(data, panel, limit_rows);
    if (!problems.isEmpty()) return Outcome::Refused(problems);
  }
  electrical::RowEdit edit(data.doc.Db(), "Devices", row);
  edit.Set(c.sub_type, IsBlank(code) ? QVariant() : QVariant(code));
  edit.Store();
  return {};
}

Outcome CopyLoopDevices(SiteData& data, int panel, int loop, int to_panel, int to_loop) {
  if (data.doc.Db().Count("Loops", electrical::LoopKey(panel, loop)) == 0)
    return Outcome::Refused(i18n::Tr(N_("Panel %1 has no loop %2.")).arg(panel).arg(loop));
  if (data.doc.Db().Count("Loops", electrical::LoopKey(to_panel, to_loop)) == 0)
    return Outcome::Refused(i18n::Tr(N_("Panel %1 has no loop %2.")).arg(to_panel).arg(to_loop));
  if (panel == to_panel && loop == to_loop)
    return Outcome::Refused(i18n::Tr(N_("A loop's devices cannot be copied onto that loop.")));
  const site::DeviceColumns& c = data.Cols().devices;
  std::vector<site::Row> from;
  for (site::Row& row : LoopDeviceRows(data, panel, loop)) {
    if (IsCompleteRow(data, row)) from.push_back(std::move(row));
  }
  if (from.empty())
    return Outcome::Refused(
        i18n::Tr(N_("Loop %1 of panel %2 has no devices to copy.")).arg(loop).arg(panel));
  const catalogue::DeviceTable& table = PanelDevices(data, to_panel);
  for (const site::Row& row : from) {
    if (table.FirstOfTypeAndCode(IntAt(row, c.type_code), TextAt(row, c.sub_type)) == nullptr)
      return Outcome::Refused(
          i18n::Tr(N_("The device %1 is not in the device list of the protocol of panel %2."))
              .arg(TextAt(row, c.sub_type))
              .arg(to_panel));
  }
  std::vector<site::Row> kept;
  for (site::Row& row : LoopDeviceRows(data, to_panel, to_loop)) {
    if (IsCompleteRow(data, row)) kept.push_back(std::move(row));
  }
  std::vector<RowForLimits> limit_rows = LimitRows(data, kept);
  for (const RowForLimits& row : LimitRows(data, from)) limit_rows.push_back(row);
  const QString problems = CheckLimits(data, to_panel, limit_rows);
  if (!problems.isEmpty()) return Outcome::Refused(problems);

  site::Database& db = data.doc.Db();
  for (const site::Row& row : LoopDeviceRows(data, to_panel, to_loop)) {
    if (!IsCompleteRow(data, row)) db.Delete("Devices", row.rowid);
  }
  for (const site::Row& row : from) {
    std::vector<std::pair<int, QVariant>> values;
    for (int i = 0; i < int(row.values.size()); ++i) {
      if (i == c.id) continue;
      if (i == c.panel) {
        values.emplace_back(i, qint64(to_panel));
      } else if (i == c.loop) {
        values.emplace_back(i, qint64(to_loop));
      } else {
        values.emplace_back(i, row.values[i]);
      }
    }
    db.Insert("Devices", values);
  }
  return {};
}

QStringList SubTypesForGrid(SiteData& data, int panel, const QString& type_text) {
  if (IsBlank(type_text) || type_text == i18n::Text(Msg::kNone)) return {};
  QStringList codes = catalogue::ListDeviceSubTypes(PanelDevices(data, panel),
                                                    data.catalogue.Translation(), type_text);
  std::sort(codes.begin(), codes.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  return codes;
}

}  // namespace velmora::loop
