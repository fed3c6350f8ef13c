#include "workspace/site_properties.h"

#include <QDate>
#include <QRegularExpression>
#include <QVariant>

#include "catalogue/lookup.h"
#include "electrical/site_rows.h"
#include "i18n/display_format.h"
#include "i18n/tr.h"

namespace velmora::workspace {
namespace {

const char* const kBlankSiteColumns[] = {
    "SiteName",       "ContactName", "AddressLine1", "AddressLine2", "City",
    "State/Province", "PostalCode",  "Country",      "Phone",        "Fax",
    "Email",          "Comment",     "SalesChannel"};

// The Site row, appended when the table has none.
site::Row SiteRow(SiteData& data) {
  site::Database& db = data.doc.Db();
  std::vector<site::Row> rows = db.Select("Site");
  if (rows.empty()) {
    db.Insert("Site", {});
    rows = db.Select("Site");
  }
  return std::move(rows.front());
}

void StoreSiteValues(SiteData& data, const std::vector<std::pair<QString, QVariant>>& values) {
  site::Database& db = data.doc.Db();
  site::Row row = SiteRow(data);
  electrical::RowEdit edit(db, "Site", row);
  for (const auto& [column, value] : values) {
    const int index = db.ColumnIndex("Site", column);
    if (index < 0) continue;
    edit.Set(index, site::Table::Convert(db.Columns("Site")[index], value));
  }
  edit.Store();
}

}  // namespace

const std::vector<const char*>& SiteFormModel::TextColumns() {
  static const std::vector<const char*> columns = {
      "SiteName", "SiteDate",       "ContactName", "AddressLine1", "AddressLine2",
      "City",     "State/Province", "PostalCode",  "Country",      "Phone",
      "Fax",      "Email",          "Comment"};
  return columns;
}

std::vector<SiteField> SiteFormModel::MakeFields() {
  std::vector<SiteField> fields;
  for (const char* column : TextColumns()) fields.push_back({column, QString()});
  return fields;
}

QString SiteFormModel::FieldText(const QString& column) const {
  for (const SiteField& field : fields_) {
    if (column == QLatin1String(field.column)) return field.text;
  }
  return QString();
}

QString SiteFormModel::ShownText(const QString& column) const {
  const QString stored = FieldText(column);
  if (column != u"SiteDate") return stored;
  // Stored as the store writes dates, possibly with the time of day that older files hold; a
  // text that is no date is shown as it is.
  static const QRegularExpression kStoredDate(
      QStringLiteral("^\\d{4}-\\d{2}-\\d{2}([ T]\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?)?$"));
  if (!kStoredDate.match(stored).hasMatch()) return stored;
  const QDate date = QDate::fromString(stored.left(10), Qt::ISODate);
  return date.isValid() ? i18n::FormatDate(date) : stored;
}

void SiteFormModel::SetFieldText(const QString& column, const QString& text) {
  for (SiteField& field : fields_) {
    if (column == QLatin1String(field.column)) field.text = text;
  }
}

void FillSiteLists(SiteData& data, SiteFormModel& form) {
  catalogue::Catalogue& catalogue = data.catalogue;
  form.SalesChannels().Clear();
  form.StandbyTimes().Clear();
  form.AlarmTimes().Clear();
  for (const QString& channel : catalogue.SalesChannels()) form.SalesChannels().Append(channel);
  if (catalogue.Translation().IsOpen()) {
    for (const QString& text : catalogue::StandbyTimeTexts(catalogue.Translation()))
      form.StandbyTimes().Append(text);
    for (const QString& text : catalogue::AlarmTimeTexts(catalogue.Translation()))
      form.AlarmTimes().Append(text);
  }
}

QString SiteChannel(SiteData& data) { return data.SalesChannel(); }

void RenderSiteForm(SiteData& data, SiteFormModel& form) {
  if (!data.doc.IsOpen()) return;
  const std::vector<site::Row> rows = data.doc.Db().Select("Site");
  const site::Row* row = rows.empty() ? nullptr : &rows.front();
  const site::SiteRowColumns& c = data.Cols().site;
  for (int i = 0; i < int(SiteFormModel::TextColumns().size()); ++i) {
    QString text = row ? electrical::TextAt(*row, c.texts[i]) : QString();
    // A new site's fields hold a single blank; they show as the empty fields they are.
    if (text == u" ") text.clear();
    form.SetFieldText(SiteFormModel::TextColumns()[i], text);
  }
  const QString channel = row ? electrical::TextAt(*row, c.channel) : QString();
  panel::ChoiceBox& channels = form.SalesChannels();
  channels.selected = int(channels.entries.lastIndexOf(channel));
  site::Table& lookup = data.catalogue.Translation();
  const std::optional<int> standby =
      row ? catalogue::StandbyTimeIndex(lookup, electrical::RealAt(*row, c.standby)) : std::nullopt;
  form.StandbyTimes().SelectIndex(standby.value_or(-1));
  const std::optional<int> alarm =
      row ? catalogue::AlarmTimeIndex(lookup, electrical::RealAt(*row, c.alarm)) : std::nullopt;
  form.AlarmTimes().SelectIndex(alarm.value_or(-1));
}

Outcome SetSiteField(SiteData& data, const QString& column, const QString& text) {
  const std::vector<const char*>& columns = SiteFormModel::TextColumns();
  const auto it = std::find_if(columns.begin(), columns.end(),
                               [&](const char* c) { return column == QLatin1String(c); });
  if (it == columns.end())
    return Outcome::Refused(i18n::Tr(N_("The site has no field %1.")).arg(column));
  const int limit = column == QLatin1String("Comment") ? kMaxSiteComment : kMaxSiteText;
  if (text.size() > limit)
    return Outcome::Refused(i18n::Tr(N_("This field takes at most %1 characters.")).arg(limit));
  if (column == u"SiteDate") {
    if (const std::optional<QDate> date = i18n::ParseDate(text)) {
      StoreSiteValues(data, {{column, *date}});
      return {};
    }
  }
  StoreSiteValues(data, {{column, text}});
  return {};
}

Outcome SetStandbyTime(SiteData& data, int index) {
  site::Table& lookup = data.catalogue.Translation();
  if (index < 0 || index >= catalogue::StandbyTimeTexts(lookup).size())
    return Outcome::Refused(i18n::Tr(N_("There is no such standby time.")));
  StoreSiteValues(data, {{"StandbyTime", catalogue::StandbyTimeNumber(lookup, index)}});
  return {};
}

Outcome SetAlarmTime(SiteData& data, int index) {
  site::Table& lookup = data.catalogue.Translation();
  if (index < 0 || index >= catalogue::AlarmTimeTexts(lookup).size())
    return Outcome::Refused(i18n::Tr(N_("There is no such alarm time.")));
  StoreSiteValues(data, {{"AlarmTime", catalogue::AlarmTimeNumber(lookup, index)}});
  return {};
}

void WriteSiteDefaults(SiteData& data) {
  std::vector<std::pair<QString, QVariant>> values;
  for (const char* column : kBlankSiteColumns) values.emplace_back(column, QStringLiteral(" "));
  values.emplace_back("SiteDate", QDate::currentDate());
  values.emplace_back("StandbyTime", 0.0);
  values.emplace_back("AlarmTime", 0.0);
  StoreSiteValues(data, values);
}

void ApplyDefaultSiteTimes(SiteData& data) {
  site::Database& db = data.catalogue.DataDb();
  if (!db.IsOpen() || !db.HasTable(catalogue::kDefaultPanelTable)) return;
  const std::vector<site::Row> rows = db.Select(catalogue::kDefaultPanelTable);
  if (rows.empty()) return;
  auto cell = [&](const char* column) {
    return electrical::CellAt(rows.front(), db.ColumnIndex(catalogue::kDefaultPanelTable, column));
  };
  StoreSiteValues(data, {{"StandbyTime", cell("StandbyTime")},
                         {"AlarmTime", cell("AlarmTime")},
                         {"SalesChannel", cell("SalesChannel")}});
}

Outcome ResetSiteForChannel(SiteData& data, const QString& channel) {
  if (!data.catalogue.SalesChannels().contains(channel))
    return Outcome::Refused(i18n::Tr(N_("There is no sales channel %1.")).arg(channel));
  site::Database& db = data.doc.Db();
  for (const char* table : {"Panels", "Loops", "Devices", "Outputs", "Currents"})
    db.DeleteWhere(table);
  WriteSiteDefaults(data);
  ApplyDefaultSiteTimes(data);
  StoreSiteValues(data, {{"SalesChannel", channel}});
  return {};
}

}  // namespace velmora::workspace
