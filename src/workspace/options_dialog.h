#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "electrical/site_data.h"
#include "i18n/settings.h"
#include "panel/panel_form_model.h"
#include "site/filter.h"
#include "site/prompter.h"

namespace velmora::workspace {

// What the options dialog shows on its three pages, as its rules read and write it. The panel
// page's boxes and buttons are the dialog's own: no site table follows them. Widgets render it
// and forward the user's events to OptionsDialog.
class OptionsFormModel : public QObject {
  Q_OBJECT

 public:
  enum Page { kSitePage = 0, kPanelPage = 1, kLoopPage = 2 };
  int page = kSitePage;

  // "Site defaults"
  panel::ChoiceBox sales_channels;
  panel::ChoiceBox standby_times;
  panel::ChoiceBox alarm_times;
  QString country_code;
  // The language of the program's texts, numbers and dates: the names of kLanguageCodes, in the
  // language of the run. A new choice applies from the next start.
  panel::ChoiceBox languages;

  // "Panel defaults". The type code box also takes a typed code.
  panel::ChoiceBox type_codes;
  panel::ChoiceBox types;
  panel::ChoiceBox housing_codes;
  panel::ChoiceBox housings;
  panel::ChoiceBox protocols;
  std::vector<panel::ChoiceButton> power_supplies;
  std::vector<panel::ChoiceButton> options;
  // The Opt<i> cells of the variant the buttons were set from, for the exclusive groups.
  QStringList option_cells;

  // "Loop defaults"
  int cable_index = 0;
  QString length_text;
  int alarm_indicators = 0;  // shown read-only
  bool one_location = true;
  bool spread = false;
  int one_location_length = 20;
  int spread_length = 0;

  void Touch() { emit Changed(); }

 signals:
  void Changed();
  // The dialog closed (OK or Cancel).
  void Closed();
};

// The languages the program offers, as the "Language" setting holds them.
inline constexpr const char* kLanguageCodes[] = {"en", "de"};

// The options dialog's rules: loading the defaults of DefaultPanel, the country code and the
// language into the dialog, the cascades of its panel page (the panel rules applied to its own
// boxes and buttons), the length clamp, and OK and Cancel. It works on its own boxes and the
// catalogue of the sales channel chosen in it; nothing of the site changes while it is open.
class OptionsDialog {
 public:
  OptionsDialog(SiteData& data, site::Prompter& prompter, i18n::Settings settings);

  OptionsFormModel& Form() { return form_; }
  bool IsOpen() const { return open_; }

  // Loads every control (the dialog is shown).
  void Show();

  // Close-ups of the panel page's lists. A choice made with the keyboard without opening the list
  // does not come here.
  void OnSalesChannelChosen(int index);
  void OnTypeChosen(int index);
  // The code as the box shows it (a typed code counts as well).
  void OnTypeCodeChosen(const QString& code);
  void OnHousingChosen(int index);
  void OnHousingCodeChosen(int index);
  void OnProtocolChanged(int index);
  void OnOptionClicked(int i);
  void OnPowerSupplyClicked(int i);

  // Edits of the other fields.
  void OnStandbyTimeChosen(int index);
  void OnAlarmTimeChosen(int index);
  void OnCountryCodeEdited(const QString& text);
  void OnLanguageChosen(int index);
  void OnCableChosen(int index);
  void OnLengthTextChanged(const QString& text);
  // "One Location" or "Spread" clicked, with the box's new state: the other one takes the
  // opposite, so exactly one stays ticked.
  void OnOneLocationClicked(bool ticked);
  void OnSpreadClicked(bool ticked);
  void OnOneLocationLengthChanged(int value);
  void OnSpreadLengthChanged(int value);
  void OnPageChosen(int page);
  // A list entry picked with the keyboard without opening the list: it only counts as a change.
  void OnFieldEdited() {}

  // "OK": the parameters of the defaults action as the dialog shows them (the texts of its lists
  // and buttons, the country code, the loop values). A list with nothing chosen is left out, so
  // its column keeps its value. A length that is not a whole number above 0 is refused with a
  // message; the dialog then stays open and there are no parameters.
  std::optional<QJsonObject> OkParameters();
  // The defaults were stored: the language chosen is written to the user's settings and the
  // dialog closes.
  void Accepted();
  // Closes without writing.
  void Cancel();

 private:
  enum class Marking { kStandardSelected, kAvailableOnly };

  void FillTypeLists();
  // The panel page for a type and housing: type and code selected, the type's housings and codes
  // listed with the housing selected, protocols and buttons from the variant row.
  void LoadPanelPage(qint64 type_id, std::optional<qint64> housing_id, Marking marking);
  void ApplyVariant(int variant_row, Marking marking);
  void ClampLength();
  void Close();
  const std::vector<catalogue::Variant>& Variants();

  SiteData& data_;
  site::Prompter& prompter_;
  QString channel_;  // the sales channel chosen in the dialog
  i18n::Settings settings_;
  OptionsFormModel form_;
  int loaded_language_ = -1;
  bool open_ = false;
};

}  // namespace velmora::workspace
