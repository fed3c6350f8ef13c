#include "workspace/options_dialog.h"

#include <QJsonArray>
#include <algorithm>

#include "catalogue/catalogue.h"
#include "catalogue/lookup.h"
#include "catalogue/panel_spec.h"
#include "i18n/tr.h"
#include "i18n/translation.h"
#include "loop/loop_form_model.h"
#include "site/cables.h"
#include "site/cells.h"
#include "site/images.h"
#include "site/store_error.h"
#include "site/table.h"

namespace velmora::workspace {
namespace {

using catalogue::Availability;

QString Key(const char* prefix, int i) { return prefix + QString::number(i); }

int ImageOf(Availability availability, bool standard_selected) {
  switch (availability) {
    case Availability::kStandard:
      return standard_selected ? site::kImageTicked : site::kImageUnticked;
    case Availability::kOptional:
      return site::kImageUnticked;
    default:
      return site::kImageNotAvailable;
  }
}

// Selects the entry equal to the text, or nothing when the box has no such entry.
void SelectOrNone(panel::ChoiceBox& box, const QString& text) {
  if (!box.Select(text)) box.selected = -1;
}

// A whole number in the range of a stored integer, or none.
std::optional<qint64> WholeNumber(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return value;
}

}  // namespace

OptionsDialog::OptionsDialog(SiteData& data, site::Prompter& prompter, i18n::Settings settings)
    : data_(data), prompter_(prompter), settings_(std::move(settings)) {}

const std::vector<catalogue::Variant>& OptionsDialog::Variants() {
  return data_.catalogue.Variants(channel_, data_.Flags());
}

void OptionsDialog::Show() {
  catalogue::Catalogue& catalogue = data_.catalogue;
  site::Table& lookup = catalogue.Translation();
  site::Table& defaults = catalogue.DefaultPanel();
  open_ = true;

  defaults.First();
  const bool has_row = defaults.IsOpen() && !defaults.IsEmpty();
  const auto stored_text = [&](const char* column) {
    return has_row && defaults.HasField(column) ? defaults.Text(column) : QString();
  };
  const auto stored_int = [&](const char* column) -> std::optional<qint64> {
    if (!has_row || !defaults.HasField(column) || defaults.IsNull(column)) return std::nullopt;
    return defaults.Int(column);
  };
  const auto stored_flag = [&](const QString& column) {
    return has_row && defaults.HasField(column) && defaults.Bool(column);
  };

  const QString channel = stored_text("SalesChannel");
  channel_ = channel;
  form_.page = OptionsFormModel::kSitePage;

  form_.sales_channels.Clear();
  form_.standby_times.Clear();
  form_.alarm_times.Clear();
  FillTypeLists();

  if (const std::optional<qint64> type_id = stored_int("ID1")) {
    LoadPanelPage(*type_id, stored_int("ID2"), Marking::kAvailableOnly);
    for (int i = 0; i < int(form_.options.size()); ++i) {
      panel::ChoiceButton& button = form_.options[i];
      if (button.image != site::kImageNotAvailable && stored_flag(Key("Opt", i)))
        button.image = site::kImageTicked;
    }
    for (int i = 0; i < int(form_.power_supplies.size()); ++i) {
      panel::ChoiceButton& button = form_.power_supplies[i];
      if (button.image != site::kImageNotAvailable && stored_flag(Key("Psu", i)))
        button.image = site::kImageTicked;
    }
    const int protocol_count = data_.Counts().flags.protocols;
    for (int i = 0; i < protocol_count; ++i) {
      if (!stored_flag(Key("Prot", i))) continue;
      const auto protocol = catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(i));
      if (protocol && form_.protocols.Select(protocol->name)) break;
    }
  }

  form_.country_code = settings_.CountryCode();
  // "de_DE" and the like count as German; anything but a language the program offers as English.
  form_.languages.Clear();
  form_.languages.Append(i18n::Tr(N_("English")));
  form_.languages.Append(i18n::Tr(N_("German")));
  const QString language = i18n::LanguageFallbacks(settings_.Language()).last();
  form_.languages.SelectIndex(language == kLanguageCodes[1] ? 1 : 0);
  loaded_language_ = form_.languages.selected;
  if (lookup.IsOpen()) {
    for (const QString& text : catalogue::StandbyTimeTexts(lookup))
      form_.standby_times.Append(text);
    for (const QString& text : catalogue::AlarmTimeTexts(lookup)) form_.alarm_times.Append(text);
  }
  for (const QString& text : data_.catalogue.SalesChannels()) form_.sales_channels.Append(text);
  SelectOrNone(form_.sales_channels, channel);
  form_.standby_times.selected = -1;
  form_.alarm_times.selected = -1;
  if (has_row && lookup.IsOpen()) {
    if (const auto index = catalogue::StandbyTimeIndex(lookup, defaults.Real("StandbyTime")))
      form_.standby_times.SelectIndex(*index);
    if (const auto index = catalogue::AlarmTimeIndex(lookup, defaults.Real("AlarmTime")))
      form_.alarm_times.SelectIndex(*index);
  }

  const std::optional<qint64> cable = stored_int("CableSpec");
  form_.cable_index = cable && *cable >= 0 && *cable < site::kCableCount ? int(*cable) : -1;
  const std::optional<qint64> length = stored_int("CableLength");
  form_.length_text = length ? QString::number(*length) : QString();
  form_.alarm_indicators = int(std::clamp<qint64>(stored_int("AlarmIndicators").value_or(0),
                                                  loop::LoopFormModel::kMinAlarmIndicators,
                                                  loop::LoopFormModel::kMaxAlarmIndicators));
  // Exactly one distribution is ticked: spread when the row says so, else one location.
  form_.spread = stored_flag("Spread") && !stored_flag("OneLocation");
  form_.one_location = !form_.spread;
  form_.one_location_length =
      int(std::clamp<qint64>(stored_int("OneLocationLength").value_or(20),
                             loop::LoopFormModel::kMinV1, loop::LoopFormModel::kMaxV1));
  form_.spread_length =
      int(std::clamp<qint64>(stored_int("SpreadLength").value_or(0), loop::LoopFormModel::kMinV3,
                             loop::LoopFormModel::kMaxV3));
  ClampLength();
  form_.Touch();
}

void OptionsDialog::FillTypeLists() {
  site::Table& lookup = data_.catalogue.Translation();
  const catalogue::PanelCounts counts = data_.Counts();
  form_.types.Clear();
  form_.type_codes.Clear();
  form_.housings.Clear();
  form_.housing_codes.Clear();
  form_.protocols.Clear();
  form_.protocols.enabled = false;
  form_.option_cells.clear();
  for (const catalogue::Variant& v : Variants()) {
    if (!v.type_id) continue;
    const QString name = catalogue::PanelTypeName(lookup, *v.type_id);
    if (name.isEmpty() || form_.types.Contains(name)) continue;
    form_.types.Append(name);
    form_.type_codes.Append(v.group_code);
  }
  form_.options.assign(counts.flags.options, {});
  for (int i = 0; i < counts.flags.options; ++i) {
    form_.options[i].caption = catalogue::OptionCaption(lookup, i).value_or(QString());
    form_.options[i].image = site::kImageNotAvailable;
  }
  form_.power_supplies.assign(counts.flags.power_supplies, {});
  for (int i = 0; i < counts.flags.power_supplies; ++i) {
    form_.power_supplies[i].caption = catalogue::PowerSupplyCaption(lookup, i).value_or(QString());
    form_.power_supplies[i].image = site::kImageNotAvailable;
  }
}

void OptionsDialog::LoadPanelPage(qint64 type_id, std::optional<qint64> housing_id,
                                  Marking marking) {
  site::Table& lookup = data_.catalogue.Translation();
  const catalogue::PanelCounts counts = data_.Counts();
  const std::vector<catalogue::Variant> variants = Variants();

  SelectOrNone(form_.types, catalogue::PanelTypeName(lookup, type_id));
  form_.housings.Clear();
  form_.housing_codes.Clear();
  bool code_selected = false;
  for (const catalogue::Variant& v : variants) {
    if (!v.type_id || *v.type_id != type_id) continue;
    if (!code_selected) code_selected = form_.type_codes.Select(v.group_code);
    if (!housing_id) housing_id = v.housing_id;
    if (!form_.housing_codes.Contains(v.panel_code)) form_.housing_codes.Append(v.panel_code);
    if (!v.housing_id) continue;
    const QString housing = catalogue::HousingName(lookup, *v.housing_id);
    if (!housing.isEmpty() && !form_.housings.Contains(housing)) form_.housings.Append(housing);
  }
  if (!code_selected) form_.type_codes.selected = -1;
  form_.housings.selected = -1;
  form_.housing_codes.selected = -1;

  int row = -1;
  if (housing_id) {
    SelectOrNone(form_.housings, catalogue::HousingName(lookup, *housing_id));
    for (int i = 0; i < int(variants.size()); ++i) {
      if (variants[i].Is(type_id, *housing_id)) {
        row = i;
        break;
      }
    }
  }
  if (row < 0) {
    // Nothing in the catalogue fits: nothing is offered.
    form_.protocols.Clear();
    form_.protocols.enabled = false;
    form_.option_cells.clear();
    for (panel::ChoiceButton& b : form_.options) b.image = site::kImageNotAvailable;
    for (panel::ChoiceButton& b : form_.power_supplies) b.image = site::kImageNotAvailable;
    return;
  }
  const catalogue::Variant& variant = variants[row];
  form_.housing_codes.Select(variant.panel_code);

  const bool standard_selected = marking == Marking::kStandardSelected;
  form_.protocols.Clear();
  int standard = -1;
  for (int i = 0; i < counts.flags.protocols; ++i) {
    const Availability availability = variant.ProtocolAvailability(i);
    if (availability != Availability::kStandard && availability != Availability::kOptional)
      continue;
    const auto protocol = catalogue::ProtocolOfKey(lookup, catalogue::ProtocolKey(i));
    if (!protocol) continue;
    form_.protocols.Append(protocol->name);
    if (availability == Availability::kStandard) standard = form_.protocols.Count() - 1;
  }
  form_.protocols.SelectIndex(standard);
  form_.protocols.enabled = form_.protocols.Count() > 0;

  form_.options.resize(counts.flags.options);
  for (int i = 0; i < counts.flags.options; ++i)
    form_.options[i].image = ImageOf(variant.OptionAvailability(i), standard_selected);
  form_.option_cells = variant.options;
  form_.power_supplies.resize(counts.flags.power_supplies);
  for (int i = 0; i < counts.flags.power_supplies; ++i) {
    form_.power_supplies[i].image = ImageOf(variant.PowerSupplyAvailability(i), standard_selected);
  }
}

void OptionsDialog::ClampLength() {
  const QString text = form_.length_text.trimmed();
  if (text.isEmpty()) return;
  const std::optional<qint64> length = WholeNumber(text);
  if (!length) {
    prompter_.Warn(i18n::Tr(N_("'%1' is not a valid integer value")).arg(form_.length_text));
    return;
  }
  const auto protocol =
      catalogue::ProtocolOfName(data_.catalogue.Translation(), form_.protocols.SelectedText());
  // A protocol without a maximum of its own sets no limit.
  if (protocol && protocol->max_loop_length > 0 && protocol->max_loop_length < *length)
    form_.length_text = QString::number(protocol->max_loop_length);
}

void OptionsDialog::OnSalesChannelChosen(int index) {
  form_.sales_channels.SelectIndex(index);
  const QString channel = form_.sales_channels.SelectedText();
  if (channel.isEmpty()) {
    form_.Touch();
    return;
  }
  channel_ = channel;
  FillTypeLists();
  // The channel's own first panel; a channel with only rows for all channels starts on the first
  // of those.
  const std::vector<catalogue::Variant>& variants = Variants();
  int first = variants.empty() ? -1 : 0;
  for (int i = 0; i < int(variants.size()); ++i) {
    if (variants[i].sales_channel == channel) {
      first = i;
      break;
    }
  }
  if (first >= 0 && variants[first].type_id)
    LoadPanelPage(*variants[first].type_id, variants[first].housing_id, Marking::kStandardSelected);
  ClampLength();
  form_.Touch();
}

void OptionsDialog::OnTypeChosen(int index) {
  form_.types.SelectIndex(index);
  const auto type_id = catalogue::PanelTypeId(data_.catalogue.Translation(),
                                              form_.types.SelectedText(), catalogue::Pick::kLast);
  if (type_id) {
    LoadPanelPage(*type_id, std::nullopt, Marking::kStandardSelected);
    ClampLength();
  }
  form_.Touch();
}

void OptionsDialog::OnTypeCodeChosen(const QString& code) {
  std::optional<qint64> type_id;
  for (const catalogue::Variant& v : Variants()) {
    if (v.group_code == code && v.type_id) type_id = v.type_id;
  }
  if (type_id) {
    LoadPanelPage(*type_id, std::nullopt, Marking::kStandardSelected);
    ClampLength();
  }
  form_.Touch();
}

void OptionsDialog::OnHousingChosen(int index) {
  form_.housings.SelectIndex(index);
  site::Table& lookup = data_.catalogue.Translation();
  const auto type_id = catalogue::PanelTypeId(lookup, form_.types.SelectedText());
  const auto housing_id = catalogue::HousingId(lookup, form_.housings.SelectedText());
  if (type_id && housing_id) {
    LoadPanelPage(*type_id, housing_id, Marking::kStandardSelected);
    ClampLength();
  }
  form_.Touch();
}

void OptionsDialog::OnHousingCodeChosen(int index) {
  form_.housing_codes.SelectIndex(index);
  const QString type_code = form_.type_codes.SelectedText();
  const QString code = form_.housing_codes.SelectedText();
  std::optional<qint64> type_id;
  std::optional<qint64> housing_id;
  for (const catalogue::Variant& v : Variants()) {
    if (v.group_code == type_code && v.type_id) type_id = v.type_id;
    if (v.panel_code == code && v.housing_id) housing_id = v.housing_id;
  }
  if (type_id && housing_id) {
    LoadPanelPage(*type_id, housing_id, Marking::kStandardSelected);
    ClampLength();
  }
  form_.Touch();
}

void OptionsDialog::OnProtocolChanged(int index) {
  form_.protocols.SelectIndex(index);
  ClampLength();
  form_.Touch();
}

void OptionsDialog::OnOptionClicked(int i) {
  if (i < 0 || i >= int(form_.options.size())) return;
  panel::ChoiceButton& clicked = form_.options[i];
  if (clicked.image == site::kImageNotAvailable) return;
  clicked.image = clicked.image == site::kImageTicked ? site::kImageUnticked : site::kImageTicked;
  // Boards of one exclusive group (the same 4th character of their cells) go one at a time.
  const QString cell = form_.option_cells.value(i);
  if (cell.size() > 3) {
    for (int e = 0; e < int(form_.options.size()); ++e) {
      const QString other = form_.option_cells.value(e);
      if (e == i || other.size() <= 3 || other[3] != cell[3]) continue;
      if (form_.options[e].image != site::kImageNotAvailable)
        form_.options[e].image = site::kImageUnticked;
    }
  }
  form_.Touch();
}

void OptionsDialog::OnPowerSupplyClicked(int i) {
  if (i < 0 || i >= int(form_.power_supplies.size())) return;
  if (form_.power_supplies[i].image == site::kImageNotAvailable) return;
  for (int j = 0; j < int(form_.power_supplies.size()); ++j) {
    panel::ChoiceButton& button = form_.power_supplies[j];
    if (j == i) {
      button.image = site::kImageTicked;
    } else if (button.image == site::kImageTicked || button.image == site::kImageUnticked) {
      button.image = site::kImageUnticked;
    }
  }
  form_.Touch();
}

void OptionsDialog::OnStandbyTimeChosen(int index) { form_.standby_times.SelectIndex(index); }

void OptionsDialog::OnAlarmTimeChosen(int index) { form_.alarm_times.SelectIndex(index); }

void OptionsDialog::OnCountryCodeEdited(const QString& text) { form_.country_code = text; }

void OptionsDialog::OnLanguageChosen(int index) {
  form_.languages.SelectIndex(index);
  form_.Touch();
}

void OptionsDialog::OnCableChosen(int index) {
  form_.cable_index = index >= 0 && index < site::kCableCount ? index : -1;
}

void OptionsDialog::OnLengthTextChanged(const QString& text) {
  form_.length_text = text;
  const QString before = form_.length_text;
  ClampLength();
  if (form_.length_text != before) form_.Touch();
}

void OptionsDialog::OnOneLocationClicked(bool ticked) {
  form_.one_location = ticked;
  form_.spread = !ticked;
  form_.Touch();
}

void OptionsDialog::OnSpreadClicked(bool ticked) {
  form_.spread = ticked;
  form_.one_location = !ticked;
  form_.Touch();
}

void OptionsDialog::OnOneLocationLengthChanged(int value) {
  form_.one_location_length =
      std::clamp(value, loop::LoopFormModel::kMinV1, loop::LoopFormModel::kMaxV1);
}

void OptionsDialog::OnSpreadLengthChanged(int value) {
  form_.spread_length = std::clamp(value, loop::LoopFormModel::kMinV3, loop::LoopFormModel::kMaxV3);
}

void OptionsDialog::OnPageChosen(int page) { form_.page = page; }

std::optional<QJsonObject> OptionsDialog::OkParameters() {
  const std::optional<qint64> length = WholeNumber(form_.length_text);
  if (!length || *length < 1) {
    prompter_.Warn(
        i18n::Tr(N_("The total loop length must be a whole number of metres above 0: '%1'"))
            .arg(form_.length_text));
    return std::nullopt;
  }
  // What the dialog shows, by the texts of its lists; a list with nothing chosen leaves its
  // column as it is.
  QJsonObject p;
  const auto text = [&](const char* key, const panel::ChoiceBox& box) {
    if (!box.SelectedText().isEmpty()) p.insert(key, box.SelectedText());
  };
  text("sales_channel", form_.sales_channels);
  text("standby_time", form_.standby_times);
  text("alarm_time", form_.alarm_times);
  text("type", form_.types);
  text("housing", form_.housings);
  text("protocol", form_.protocols);
  p.insert("country_code", form_.country_code);
  QJsonArray boards;
  for (const panel::ChoiceButton& b : form_.options) {
    if (b.image == site::kImageTicked) boards.append(b.caption);
  }
  p.insert("option_boards", boards);
  for (const panel::ChoiceButton& b : form_.power_supplies) {
    if (b.image == site::kImageTicked) p.insert("power_supply", b.caption);
  }
  if (form_.cable_index >= 0) p.insert("cable", site::CableText(form_.cable_index));
  p.insert("length", *length);
  p.insert("alarm_indicators", form_.alarm_indicators);
  p.insert("distribution", form_.spread ? "spread" : "one location");
  p.insert("one_location_length", form_.one_location_length);
  p.insert("spread_length", form_.spread_length);
  return p;
}

void OptionsDialog::Accepted() {
  // The language is the user's, not the site's: it is written once the defaults are stored and
  // applies from the next start. One left as it was keeps the setting's own form ("de_DE").
  if (form_.languages.selected >= 0 && form_.languages.selected != loaded_language_)
    settings_.WriteUser(i18n::kLanguageValue, kLanguageCodes[form_.languages.selected]);
  Close();
}

void OptionsDialog::Cancel() {
  if (open_) Close();
}

void OptionsDialog::Close() {
  open_ = false;
  emit form_.Closed();
}

}  // namespace velmora::workspace
