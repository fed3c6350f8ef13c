#include "workspace/defaults.h"

#include <QJsonArray>

#include "catalogue/lookup.h"
#include "electrical/site_rows.h"
#include "i18n/tr.h"
#include "loop/loop_form_model.h"
#include "site/cables.h"

namespace velmora::workspace {
namespace {

Outcome Unknown(const QString& what, const QString& text) {
  return Outcome::Refused(i18n::Tr(N_("There is no %1 \"%2\".")).arg(what, text));
}

std::optional<int> IndexOf(const QStringList& list, const QString& text) {
  const int index = int(list.indexOf(text));
  return index < 0 ? std::nullopt : std::optional<int>(index);
}

}  // namespace

Outcome WriteDefaults(SiteData& data, const i18n::Settings& settings, const QJsonObject& v,
                      QString* old_country_code) {
  catalogue::Catalogue& catalogue = data.catalogue;
  site::Table& lookup = catalogue.Translation();
  site::Database& db = catalogue.DataDb();
  const QString table = catalogue::kDefaultPanelTable;
  const catalogue::FlagCounts flags = data.Flags();
  std::vector<std::pair<QString, QVariant>> cells;

  if (v.contains("sales_channel")) {
    const QString channel = v["sales_channel"].toString();
    if (!catalogue.SalesChannels().contains(channel))
      return Unknown(i18n::Tr(N_("sales channel")), channel);
    cells.emplace_back("SalesChannel", channel);
  }
  if (v.contains("standby_time")) {
    const auto index = IndexOf(catalogue::StandbyTimeTexts(lookup), v["standby_time"].toString());
    if (!index) return Unknown(i18n::Tr(N_("standby time")), v["standby_time"].toString());
    cells.emplace_back("StandbyTime", catalogue::StandbyTimeNumber(lookup, *index));
  }
  if (v.contains("alarm_time")) {
    const auto index = IndexOf(catalogue::AlarmTimeTexts(lookup), v["alarm_time"].toString());
    if (!index) return Unknown(i18n::Tr(N_("alarm time")), v["alarm_time"].toString());
    cells.emplace_back("AlarmTime", catalogue::AlarmTimeNumber(lookup, *index));
  }
  if (v.contains("type")) {
    const auto id = catalogue::PanelTypeId(lookup, v["type"].toString());
    if (!id) return Unknown(i18n::Tr(N_("panel type")), v["type"].toString());
    cells.emplace_back("ID1", *id);
  }
  if (v.contains("housing")) {
    const auto id = catalogue::HousingId(lookup, v["housing"].toString());
    if (!id) return Unknown(i18n::Tr(N_("housing")), v["housing"].toString());
    cells.emplace_back("ID2", *id);
  }
  if (v.contains("protocol")) {
    const auto protocol = catalogue::ProtocolOfName(lookup, v["protocol"].toString());
    if (!protocol) return Unknown(i18n::Tr(N_("protocol")), v["protocol"].toString());
    for (int i = 0; i < flags.protocols; ++i)
      cells.emplace_back(catalogue::ProtocolKey(i), catalogue::ProtocolKey(i) == protocol->key);
  }
  if (v.contains("power_supply")) {
    const QString caption = v["power_supply"].toString();
    int chosen = -1;
    for (int i = 0; i < flags.power_supplies; ++i) {
      if (catalogue::PowerSupplyCaption(lookup, i).value_or(QString()) == caption) chosen = i;
    }
    if (chosen < 0 && !caption.isEmpty()) return Unknown(i18n::Tr(N_("power supply")), caption);
    for (int i = 0; i < flags.power_supplies; ++i)
      cells.emplace_back("Psu" + QString::number(i), i == chosen);
  }
  if (v.contains("option_boards")) {
    std::vector<bool> fitted(size_t(flags.options), false);
    for (const QJsonValue& board : v["option_boards"].toArray()) {
      int found = -1;
      for (int i = 0; i < flags.options; ++i) {
        if (catalogue::OptionCaption(lookup, i).value_or(QString()) == board.toString()) found = i;
      }
      if (found < 0) return Unknown(i18n::Tr(N_("option board")), board.toString());
      fitted[found] = true;
    }
    for (int i = 0; i < flags.options; ++i)
      cells.emplace_back("Opt" + QString::number(i), bool(fitted[i]));
  }
  if (v.contains("cable")) {
    const auto index = site::CableIndexOfText(v["cable"].toString());
    if (!index) return Unknown(i18n::Tr(N_("cable")), v["cable"].toString());
    cells.emplace_back("CableSpec", *index);
  }
  auto whole = [&](const char* key, qint64 low, qint64 high, const char* column) -> bool {
    if (!v.contains(key)) return true;
    const double d = v[key].toDouble(-1);
    if (!v[key].isDouble() || d != qint64(d) || d < low || d > high) return false;
    cells.emplace_back(column, qint64(d));
    return true;
  };
  using loop::LoopFormModel;
  if (!whole("length", 1, 1000000, "CableLength") ||
      !whole("alarm_indicators", LoopFormModel::kMinAlarmIndicators,
             LoopFormModel::kMaxAlarmIndicators, "AlarmIndicators") ||
      !whole("one_location_length", LoopFormModel::kMinV1, LoopFormModel::kMaxV1,
             "OneLocationLength") ||
      !whole("spread_length", LoopFormModel::kMinV3, LoopFormModel::kMaxV3, "SpreadLength"))
    return Outcome::Refused(i18n::Tr(N_("A loop default is out of range.")));
  if (v.contains("distribution")) {
    const QString d = v["distribution"].toString();
    if (d != u"one location" && d != u"spread")
      return Outcome::Refused(i18n::Tr(N_("The distribution is \"one location\" or \"spread\".")));
    cells.emplace_back("OneLocation", d == u"one location");
    cells.emplace_back("Spread", d == u"spread");
  }

  if (!db.IsOpen() || !db.HasTable(table))
    return Outcome::Refused(i18n::Tr(N_("The catalogue has no table of defaults.")));
  std::vector<site::Row> rows = db.Select(table);
  if (rows.empty()) {
    db.Insert(table, {});
    rows = db.Select(table);
  }
  electrical::RowEdit edit(db, table, rows.front());
  for (const auto& [column, value] : cells) {
    // Older tables may lack a column: what they do not hold is not written.
    const int index = db.ColumnIndex(table, column);
    if (index < 0) continue;
    edit.Set(index, site::Table::Convert(db.Columns(table)[index], value));
  }
  edit.Store();
  *old_country_code = settings.CountryCode();
  if (v.contains("country_code")) settings.WriteCountryCode(v["country_code"].toString());
  return {};
}

}  // namespace velmora::workspace
