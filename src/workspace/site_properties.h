#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "electrical/outcome.h"
#include "electrical/site_data.h"
#include "panel/panel_form_model.h"

namespace velmora::workspace {

// One field of the site view: its Site column and the text it shows.
struct SiteField {
  const char* column;
  QString text;
};

// What the site properties view shows: the text fields of the Site row and the three drop-down
// lists with their selections. It is rendered from the Site row after every change; widgets
// render it and build the actions of the user's edits.
class SiteFormModel : public QObject {
  Q_OBJECT

 public:
  // The text fields, top to bottom: SiteName, SiteDate, ContactName, AddressLine1, AddressLine2,
  // City, State/Province, PostalCode, Country, Phone, Fax, Email, Comment.
  static const std::vector<const char*>& TextColumns();

  panel::ChoiceBox& SalesChannels() { return sales_channels_; }  // ComboBoxSalesChannel
  panel::ChoiceBox& StandbyTimes() { return standby_times_; }    // ComboBoxStandbyTime
  panel::ChoiceBox& AlarmTimes() { return alarm_times_; }        // ComboBoxAlarmTime

  // The text of a field as stored; empty for a column that is not a text field.
  QString FieldText(const QString& column) const;
  // The text a field shows: the site's date in the language's form when it holds a date, every
  // other field as stored.
  QString ShownText(const QString& column) const;
  void SetFieldText(const QString& column, const QString& text);

  void NotifyChanged() { emit Changed(); }

 signals:
  void Changed();
  // Loading the site has selected an alarm time: the keyboard focus goes to the site tree.
  void FocusTree();

 private:
  std::vector<SiteField> fields_ = MakeFields();
  static std::vector<SiteField> MakeFields();

  panel::ChoiceBox sales_channels_;
  panel::ChoiceBox standby_times_;
  panel::ChoiceBox alarm_times_;
};

// The longest texts the site's fields take: the comment, and every other field.
inline constexpr int kMaxSiteComment = 4000;
inline constexpr int kMaxSiteText = 200;

// The site rules over the single Site row.

// The three lists from the catalogue: the sales channels of the whole compatibility table except
// "All", the standby and the alarm time texts of the lookup table.
void FillSiteLists(SiteData& data, SiteFormModel& form);
// The Site row into the view (LoadSiteIntoView): the text fields (a field holding only the
// blank of a new site shows empty), and the list entries matching the stored channel, standby
// and alarm time (none when nothing matches).
void RenderSiteForm(SiteData& data, SiteFormModel& form);

// A text field of the site; refused for a column that is no text field and for a text longer
// than the field takes. A site date typed as the view shows it (or in the stored form) is stored
// as the date it is, in the stored form; any other text of the date field is kept as typed.
Outcome SetSiteField(SiteData& data, const QString& column, const QString& text);
// The hours of a list entry of the standby or alarm time list (by its position).
Outcome SetStandbyTime(SiteData& data, int index);
Outcome SetAlarmTime(SiteData& data, int index);
// The site emptied for another sales channel (after the question): every panel with its loops,
// devices, outputs and current lines goes, the Site row is reset as for a new site with the
// catalogue's defaults, and the channel is stored.
Outcome ResetSiteForChannel(SiteData& data, const QString& channel);

// The site defaults of a new site in the single Site row (appended when missing), and the
// StandbyTime, AlarmTime and SalesChannel of DefaultPanel into it (ApplyDefaultSiteTimes).
void WriteSiteDefaults(SiteData& data);
void ApplyDefaultSiteTimes(SiteData& data);

// The stored sales channel of the site.
QString SiteChannel(SiteData& data);

}  // namespace velmora::workspace
