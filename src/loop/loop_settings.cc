#include "loop/loop_settings.h"

#include <algorithm>

#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "electrical/calc.h"
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "site/cables.h"

namespace velmora::loop {
namespace {

using electrical::BoolAt;
using electrical::IntAt;
using i18n::Msg;

std::optional<site::Row> LoopRow(SiteData& data, int panel, int loop) {
  std::vector<site::Row> rows = data.doc.Db().Select("Loops", electrical::LoopKey(panel, loop));
  if (rows.empty()) return std::nullopt;
  return std::move(rows.front());
}

Outcome NoLoop(int panel, int loop) {
  return Outcome::Refused(i18n::Tr(N_("Panel %1 has no loop %2.")).arg(panel).arg(loop));
}

Outcome OutOfRange(qint64 low, qint64 high) {
  return Outcome::Refused(
      i18n::Tr(N_("The value must be a whole number from %1 to %2.")).arg(low).arg(high));
}

void Write(SiteData& data, site::Row& row, std::initializer_list<std::pair<int, QVariant>> cells) {
  electrical::RowEdit edit(data.doc.Db(), "Loops", row);
  for (const auto& [column, value] : cells) edit.Set(column, value);
  edit.Store();
}

// The V1 check: a distance that leaves nothing of the loop behind it is halved from the length,
// with a warning each time, until it stands.
qint64 CheckedV1(qint64 length, qint64 v1, Outcome* outcome) {
  while (length - v1 <= 0) {
    outcome->Tell(i18n::Text(Msg::kValueTooLargeHalfLength));
    const qint64 halved =
        std::clamp<qint64>(length / 2, LoopFormModel::kMinV1, LoopFormModel::kMaxV1);
    if (halved == v1) break;
    v1 = halved;
  }
  return v1;
}

// The V3 check: a distance longer than half the loop is cut to a tenth, with a warning each time,
// until it fits.
qint64 CheckedV3(qint64 length, qint64 v3, Outcome* outcome) {
  while (length < 2 * v3) {
    outcome->Tell(i18n::Text(Msg::kValueTooLargeHalfLength));
    const qint64 cut = v3 / 10;
    if (cut == v3) break;
    v3 = cut;
  }
  return v3;
}

}  // namespace

std::optional<qint64> MaxLoopLength(SiteData& data, int panel) {
  const electrical::ProtocolLimits limits = electrical::PanelLimits(data, panel);
  return limits.max_length;
}

Outcome SetCable(SiteData& data, int panel, int loop, int cable_index) {
  std::optional<site::Row> row = LoopRow(data, panel, loop);
  if (!row) return NoLoop(panel, loop);
  const std::optional<site::Cable> cable = site::CableAt(cable_index);
  if (!cable) return Outcome::Refused(i18n::Tr(N_("There is no such cable.")));
  const site::LoopColumns& c = data.Cols().loops;
  Write(data, *row, {{c.cable, qint64(cable_index)}, {c.resistance, cable->ohm_per_km}});
  return {};
}

Outcome SetLength(SiteData& data, int panel, int loop, qint64 length) {
  std::optional<site::Row> row = LoopRow(data, panel, loop);
  if (!row) return NoLoop(panel, loop);
  if (length < 0) return Outcome::Refused(i18n::Tr(N_("A loop length cannot be negative.")));
  Outcome outcome;
  // An empty length, or 0, stores nothing.
  if (length == 0) return outcome;
  const site::LoopColumns& c = data.Cols().loops;
  const std::optional<qint64> max = MaxLoopLength(data, panel);
  if (max && length > *max) {
    outcome.Tell(i18n::Text(Msg::kValueTooLargeMaxLength) + " " + QString::number(*max) + "m");
    length = *max;
  } else {
    const qint64 v1 = IntAt(*row, c.one_location_length);
    const qint64 v3 = IntAt(*row, c.spread_length);
    if (BoolAt(*row, c.one_location) && length < 2 * v1) length = 2 * v1;
    if (BoolAt(*row, c.spread) && length < 2 * v3) length = 2 * v3;
  }
  Write(data, *row, {{c.length, length}});
  return outcome;
}

Outcome SetAlarmIndicators(SiteData& data, int panel, int loop, qint64 count) {
  std::optional<site::Row> row = LoopRow(data, panel, loop);
  if (!row) return NoLoop(panel, loop);
  if (count < LoopFormModel::kMinAlarmIndicators || count > LoopFormModel::kMaxAlarmIndicators)
    return OutOfRange(LoopFormModel::kMinAlarmIndicators, LoopFormModel::kMaxAlarmIndicators);
  Write(data, *row, {{data.Cols().loops.alarm_indicators, count}});
  return {};
}

Outcome SetDistribution(SiteData& data, int panel, int loop, bool one_location) {
  std::optional<site::Row> row = LoopRow(data, panel, loop);
  if (!row) return NoLoop(panel, loop);
  const site::LoopColumns& c = data.Cols().loops;
  Write(data, *row,
        {{c.one_location, qint64(one_location ? 1 : 0)}, {c.spread, qint64(one_location ? 0 : 1)}});
  return {};
}

Outcome SetOneLocationDistance(SiteData& data, int panel, int loop, qint64 v1) {
  std::optional<site::Row> row = LoopRow(data, panel, loop);
  if (!row) return NoLoop(panel, loop);
  if (v1 < LoopFormModel::kMinV1 || v1 > LoopFormModel::kMaxV1)
    return OutOfRange(LoopFormModel::kMinV1, LoopFormModel::kMaxV1);
  const site::LoopColumns& c = data.Cols().loops;
  const qint64 length = IntAt(*row, c.length);
  Outcome outcome;
  v1 = CheckedV1(length, v1, &outcome);
  // V3 follows as far as its range allows, with its own check; it is not copied back.
  qint64 v3 = IntAt(*row, c.spread_length);
  const qint64 copy = std::clamp<qint64>(v1, LoopFormModel::kMinV3, LoopFormModel::kMaxV3);
  if (copy != v3) v3 = CheckedV3(length, copy, &outcome);
  Write(data, *row, {{c.one_location_length, v1}, {c.spread_length, v3}});
  return outcome;
}

Outcome SetSpreadDistance(SiteData& data, int panel, int loop, qint64 v3) {
  std::optional<site::Row> row = LoopRow(data, panel, loop);
  if (!row) return NoLoop(panel, loop);
  if (v3 < LoopFormModel::kMinV3 || v3 > LoopFormModel::kMaxV3)
    return OutOfRange(LoopFormModel::kMinV3, LoopFormModel::kMaxV3);
  const site::LoopColumns& c = data.Cols().loops;
  const qint64 length = IntAt(*row, c.length);
  Outcome outcome;
  v3 = CheckedV3(length, v3, &outcome);
  qint64 v1 = IntAt(*row, c.one_location_length);
  const qint64 copy = std::clamp<qint64>(v3, LoopFormModel::kMinV1, LoopFormModel::kMaxV1);
  if (copy != v1) v1 = CheckedV1(length, copy, &outcome);
  Write(data, *row, {{c.one_location_length, v1}, {c.spread_length, v3}});
  return outcome;
}

void RenderLoopForm(SiteData& data, int panel, int loop, LoopFormModel& form) {
  form.panel = panel;
  form.loop = loop;
  std::optional<site::Row> row = LoopRow(data, panel, loop);
  if (!row) {
    form.panel = form.loop = 0;
    form.device_types.clear();
    return;
  }
  const site::LoopColumns& c = data.Cols().loops;
  const qint64 cable = IntAt(*row, c.cable);
  form.cable_index = site::CableAt(cable) ? int(cable) : -1;
  const qint64 length = IntAt(*row, c.length);
  form.length_text = QString::number(length);
  form.alarm_indicators =
      int(std::clamp<qint64>(IntAt(*row, c.alarm_indicators), LoopFormModel::kMinAlarmIndicators,
                             LoopFormModel::kMaxAlarmIndicators));
  form.one_location = BoolAt(*row, c.one_location);
  form.spread = BoolAt(*row, c.spread);
  form.v1 = int(std::clamp<qint64>(IntAt(*row, c.one_location_length), LoopFormModel::kMinV1,
                                   LoopFormModel::kMaxV1));
  form.last_device_one_location = QString::number(length - form.v1);
  form.v3 = int(std::clamp<qint64>(IntAt(*row, c.spread_length), LoopFormModel::kMinV3,
                                   LoopFormModel::kMaxV3));
  form.last_device_spread = QString::number(form.v3);
  form.device_spacing = electrical::DeviceSpacingText(
      electrical::SpacingDeviceCount(data, panel, loop), length, form.v3);
  std::vector<site::Row> panels = data.doc.Db().Select("Panels", electrical::PanelKey(panel));
  const int protocol =
      panels.empty() ? -1 : electrical::LastTrueFlag(panels.front(), data.Cols().panels.protocols);
  form.device_types = catalogue::ListDeviceTypes(data.catalogue.ProtocolDevices(protocol),
                                                 data.catalogue.Translation());
}

}  // namespace velmora::loop
