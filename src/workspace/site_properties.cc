#include "workspace/site_properties.h"

#include <QVariant>

#include "catalogue/lookup.h"
#include "catalogue/panel_spec.h"
#include "i18n/messages.h"
#include "panel/panel_operation.h"
#include "workspace/tree_reactions.h"
#include "workspace/workspace.h"

namespace velmora::workspace {

using i18n::Msg;

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

void SiteFormModel::SetFieldText(const QString& column, const QString& text) {
  for (SiteField& field : fields_) {
    if (column == QLatin1String(field.column)) field.text = text;
  }
}

SiteProperties::SiteProperties(Workspace& workspace) : workspace_(workspace) {
  FillLists();
  connect(&workspace_.Views(), &site::DetailViewModel::Changed, this,
          &SiteProperties::OnViewChanged);
  connect(&workspace_, &Workspace::SiteReplaced, this, &SiteProperties::LoadSiteIntoView);
  shown_ = workspace_.Views().Current();
}

void SiteProperties::OnViewChanged(site::DetailView view) {
  const bool newly_shown = view == site::DetailView::kSite && shown_ != site::DetailView::kSite;
  shown_ = view;
  if (newly_shown) LoadSiteIntoView();
}

void SiteProperties::FillLists() {
  catalogue::Catalogue& catalogue = workspace_.Catalogue();
  form_.SalesChannels().Clear();
  form_.StandbyTimes().Clear();
  form_.AlarmTimes().Clear();
  if (catalogue.PanelSpec().IsOpen()) {
    for (const QString& channel : catalogue::SalesChannels(catalogue.PanelSpec()))
      form_.SalesChannels().Append(channel);
  }
  if (catalogue.Translation().IsOpen()) {
    for (const QString& text : catalogue::StandbyTimeTexts(catalogue.Translation()))
      form_.StandbyTimes().Append(text);
    for (const QString& text : catalogue::AlarmTimeTexts(catalogue.Translation()))
      form_.AlarmTimes().Append(text);
  }
  form_.NotifyChanged();
}

void SiteProperties::ReadFields() {
  site::Table& site = workspace_.Doc().Site();
  site.First();
  const bool has_row = !site.IsEmpty();
  for (const char* column : SiteFormModel::TextColumns()) {
    QString text;
    if (has_row && site.HasField(column)) text = site.Text(column);
    form_.SetFieldText(column, text);
  }
}

void SiteProperties::LoadSiteIntoView() {
  if (!workspace_.Doc().IsOpen()) return;
  ReadFields();
  site::Table& site = workspace_.Doc().Site();
  site.First();
  const QString channel = site.IsEmpty() ? QString() : site.Text("SalesChannel");
  panel::ChoiceBox& channels = form_.SalesChannels();
  channels.selected = int(channels.entries.lastIndexOf(channel));

  site::Table& lookup = workspace_.Catalogue().Translation();
  const std::optional<int> standby =
      site.IsEmpty() ? std::nullopt : catalogue::StandbyTimeIndex(lookup, site.Real("StandbyTime"));
  form_.StandbyTimes().SelectIndex(standby.value_or(-1));
  const std::optional<int> alarm =
      site.IsEmpty() ? std::nullopt : catalogue::AlarmTimeIndex(lookup, site.Real("AlarmTime"));
  form_.AlarmTimes().SelectIndex(alarm.value_or(-1));

  workspace_.Catalogue().FilterPanelSpec(channel);
  form_.NotifyChanged();
  if (form_.AlarmTimes().selected >= 0) emit form_.FocusTree();
}

void SiteProperties::StoreSiteValue(const QString& column, const QVariant& value) {
  site::Table& site = workspace_.Doc().Site();
  site.First();
  if (site.IsEmpty()) {
    site.Append();
  } else {
    site.Edit();
  }
  site.SetValue(column, value);
  site.Post();
}

void SiteProperties::OnTextChanged(const QString& column, const QString& text) {
  if (workspace_.State().Loading()) return;
  form_.SetFieldText(column, text);
  const bool stored = panel::RunPanelOperation(workspace_.R(), nullptr, [&] {
    StoreSiteValue(column, text);
    return true;
  });
  if (!stored) {
    // The field shows what the row holds again.
    ReadFields();
    form_.NotifyChanged();
    return;
  }
  if (column == QLatin1String("SiteName")) {
    workspace_.Tree().SetWindowCaption(i18n::Text(Msg::kSite) + " : " + text);
  }
  workspace_.State().MarkModified();
}

void SiteProperties::TimeChosen(const char* column, double hours) {
  Run& run = workspace_.R();
  panel::RunPanelOperation(run, &workspace_.PanelForm(), [&] {
    StoreSiteValue(column, hours);
    // Every panel's battery depends on the times: the whole site is recalculated and shown.
    ShowSiteView(run);
    return true;
  });
  workspace_.State().MarkModified();
}

void SiteProperties::OnStandbyTimeChosen(int index) {
  if (workspace_.State().Loading()) return;
  form_.StandbyTimes().SelectIndex(index);
  TimeChosen("StandbyTime",
             catalogue::StandbyTimeNumber(workspace_.Catalogue().Translation(), index));
}

void SiteProperties::OnAlarmTimeChosen(int index) {
  if (workspace_.State().Loading()) return;
  form_.AlarmTimes().SelectIndex(index);
  TimeChosen("AlarmTime", catalogue::AlarmTimeNumber(workspace_.Catalogue().Translation(), index));
}

void SiteProperties::SelectStoredChannel() {
  site::FlagScope loading(&workspace_.State(), &site::RunState::SetLoading,
                          &site::RunState::Loading, true);
  site::Table& site = workspace_.Doc().Site();
  site.First();
  const QString stored = site.IsEmpty() ? QString() : site.Text("SalesChannel");
  form_.SalesChannels().selected = int(form_.SalesChannels().entries.lastIndexOf(stored));
  form_.NotifyChanged();
}

bool SiteProperties::ResetForChannel(const QString& channel) {
  Run& run = workspace_.R();
  return panel::RunPanelOperation(run, &workspace_.PanelForm(), [&] {
    site::Database& db = run.doc.Db();
    workspace_.Catalogue().FilterPanelSpec(channel);
    db.DeleteWhere("Panels");
    workspace_.WriteSiteDefaults();
    workspace_.ApplyDefaultSiteTimes();
    run.tabs.RemovePanelTabs();
    db.DeleteWhere("Loops");
    db.DeleteWhere("Devices");
    db.DeleteWhere("Outputs");
    db.DeleteWhere("Currents");
    workspace_.EmptySiteTree();
    StoreSiteValue("SalesChannel", channel);
    return true;
  });
}

void SiteProperties::OnSalesChannelChosen(int index) {
  if (workspace_.State().Loading()) return;
  panel::ChoiceBox& channels = form_.SalesChannels();
  if (index < 0 || index >= channels.Count()) return;
  const QString chosen = channels.entries[index];
  site::Table& site = workspace_.Doc().Site();
  site.First();
  const QString stored = site.IsEmpty() ? QString() : site.Text("SalesChannel");
  if (chosen != stored) {
    if (workspace_.Prompter().ConfirmOkCancel(i18n::Text(Msg::kAllSiteDataDeleted))) {
      if (ResetForChannel(chosen)) {
        // The blanked site shows as such: its fields, its times and an unnamed tree caption.
        LoadSiteIntoView();
        workspace_.Tree().SetWindowCaption(i18n::Text(Msg::kSite) + " : " +
                                           form_.FieldText("SiteName"));
      } else {
        SelectStoredChannel();
      }
    } else {
      SelectStoredChannel();
    }
  } else {
    channels.SelectIndex(index);
  }
  workspace_.State().MarkModified();
}

}  // namespace velmora::workspace
