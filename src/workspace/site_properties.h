#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

#include "panel/panel_form_model.h"
#include "site/detail_view.h"

namespace velmora::workspace {

class Workspace;

// One field of the site view: its Site column and the text it shows.
struct SiteField {
  const char* column;
  QString text;
};

// What the site properties view shows and its rules read and write: the text fields of the Site
// row and the three drop-down lists with their selections. Widgets render it and forward edits.
class SiteFormModel : public QObject {
  Q_OBJECT

 public:
  // The text fields, top to bottom: SiteName, SiteDate, ContactName, AddressLine1, AddressLine2,
  // City, State/Province, PostalCode, Country, Phone, Fax, Email, Comment.
  static const std::vector<const char*>& TextColumns();

  panel::ChoiceBox& SalesChannels() { return sales_channels_; }  // ComboBoxSalesChannel
  panel::ChoiceBox& StandbyTimes() { return standby_times_; }    // ComboBoxStandbyTime
  panel::ChoiceBox& AlarmTimes() { return alarm_times_; }        // ComboBoxAlarmTime

  // The text a field shows; empty for a column that is not a text field.
  QString FieldText(const QString& column) const;
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

// The site properties view's rules over the single Site row: the three lists, loading the row
// into the view, storing every edit at once, the standby and alarm time changes with the
// site-wide recalculation, and the sales channel change that resets the whole site.
class SiteProperties : public QObject {
  Q_OBJECT

 public:
  // Fills the three lists (the view is created) and follows the view on show: each time the
  // site view is shown after another one, and after a new or opened site, the Site row is loaded
  // into it.
  explicit SiteProperties(Workspace& workspace);

  SiteFormModel& Form() { return form_; }

  // The three lists from the catalogue: the sales channels of the whole compatibility table
  // except "All", the standby and the alarm time texts of the lookup table.
  void FillLists();
  // The Site row into the view: the text fields, the list entries matching the stored channel,
  // standby and alarm time (none when nothing matches), and the compatibility table filtered on
  // the site's channel. Runs no change handling.
  void LoadSiteIntoView();

  // A text field changed (every keystroke), or the date field left. Unless the run is loading:
  // stored into the Site row, and the document marked as changed; the site name also becomes
  // the caption of the site tree window.
  void OnTextChanged(const QString& column, const QString& text);

  // A list entry chosen by the user.
  void OnStandbyTimeChosen(int index);
  void OnAlarmTimeChosen(int index);
  // A different channel than the stored one asks "All site data will de deleted?"; on OK the
  // site is emptied and reset to the new channel, on Cancel the stored channel is selected again.
  void OnSalesChannelChosen(int index);

 private:
  void OnViewChanged(site::DetailView view);
  void ReadFields();
  void StoreSiteValue(const QString& column, const QVariant& value);
  void TimeChosen(const char* column, double hours);
  void SelectStoredChannel();
  bool ResetForChannel(const QString& channel);

  Workspace& workspace_;
  SiteFormModel form_;
  site::DetailView shown_ = site::DetailView::kNone;
};

}  // namespace velmora::workspace
