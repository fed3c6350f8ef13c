#include "panel/panel_rules.h"

#include <algorithm>

#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "electrical/panel_power.h"
#include "electrical/run.h"
#include "i18n/messages.h"
#include "panel/panel_lifecycle.h"
#include "panel/panel_operation.h"
#include "panel/panel_rows.h"
#include "site/images.h"

namespace velmora::panel {
namespace {

using catalogue::Availability;
using catalogue::Pick;

QString Key(const char* prefix, int i) { return prefix + QString::number(i); }

// Button i of a group, the group grown when the view has not been filled for this many yet.
ChoiceButton& Button(std::vector<ChoiceButton>& buttons, int i) {
  if (int(buttons.size()) <= i) buttons.resize(i + 1);
  return buttons[i];
}

int ImageOf(Availability availability) {
  switch (availability) {
    case Availability::kStandard:
      return site::kImageTicked;
    case Availability::kOptional:
      return site::kImageUnticked;
    default:
      return site::kImageNotAvailable;
  }
}

QString ProtocolName(Run& run, int i) {
  const std::optional<catalogue::Protocol> protocol =
      catalogue::ProtocolOfKey(run.catalogue.Translation(), catalogue::ProtocolKey(i));
  return protocol ? protocol->name : QString();
}

// How the other box of a pair follows a housing chosen in one of them.
enum class Follow { kHousingCode, kHousingName };

// The common part of the two housing close-ups, for the housing id chosen.
void ApplyHousing(Run& run, PanelFormModel& form, std::optional<qint64> housing_id, Follow follow) {
  const int p = run.tabs.Active();
  if (!housing_id || !LocatePanelRow(run, p)) return;
  site::Table& panels = run.doc.Panels();
  if (panels.IsNull("Panel Type")) return;
  const qint64 type_id = panels.Int("Panel Type");
  const PanelCounts counts = CountColumns(run);
  const std::vector<Variant> variants = ReadVariants(run, counts);
  // Without a variant for the pair nothing fits: the panel keeps its housing, loops and outputs.
  if (FindVariant(variants, type_id, *housing_id) == nullptr) return;

  panels.SetValue("Housing Type", *housing_id);
  panels.Post();
  run.state.MarkModified();

  const Variant* first = nullptr;
  qint64 loops = 0;
  int k = 0;
  site::Table& lookup = run.catalogue.Translation();
  for (const Variant& v : variants) {
    if (!v.Is(type_id, *housing_id)) continue;
    if (first == nullptr) first = &v;
    loops = v.loop_count;
    if (follow == Follow::kHousingCode) {
      form.HousingCodeBox().Select(v.panel_code);
    } else {
      form.HousingBox().Select(catalogue::HousingName(lookup, *housing_id));
    }
    k = v.OwnOutputCount();
    LocatePanelRow(run, p);
    ApplyVariantDefaults(run, form, counts, v);
  }

  // The panel's own outputs follow the variant; board outputs numbered beyond them go when the
  // variant has fewer, and outputs from 100 on stay.
  const int m = HighestOwnOutput(run, p);
  if (k < m) {
    DeleteOutputs(run, p, k + 1, m);
  } else if (m < k) {
    site::Table outputs(&run.doc.Db(), "Outputs");
    outputs.SetFilter(site::Filter::Equals("Panel", p));
    outputs.SetFiltered(true);
    outputs.Open();
    for (int n = m + 1; n <= k; ++n) {
      const qint64 max = n - 1 < int(first->outputs.size()) ? first->outputs[n - 1] : 0;
      AppendOutputRow(run, outputs, p, n, max);
    }
  }

  // The panel gets exactly the variant's loops; loops that boards had added do not stay.
  const int e = HighestLoopNumber(run, p);
  if (loops < e) {
    RemovePanelLoopsAbove(run, p, int(loops));
  } else {
    AddPanelLoops(run, p, e + 1, int(loops));
  }
}

void SelectHousingSteps(Run& run, PanelFormModel& form, const QString& housing) {
  form.HousingBox().Select(housing);
  ApplyHousing(run, form, catalogue::HousingId(run.catalogue.Translation(), housing),
               Follow::kHousingCode);
  RecalculatePanel(run, form);
  ApplyApolloRule(form);
}

// The common part of the two type close-ups, for the type id chosen.
void ApplyType(Run& run, PanelFormModel& form, std::optional<qint64> type_id, bool by_code) {
  form.HousingBox().Clear();
  form.HousingCodeBox().Clear();
  const int p = run.tabs.Active();
  if (type_id && LocatePanelRow(run, p)) {
    site::Table& lookup = run.catalogue.Translation();
    const PanelCounts counts = CountColumns(run);
    const std::vector<Variant> variants = ReadVariants(run, counts);
    bool synchronised = false;
    bool first = true;
    for (const Variant& v : variants) {
      if (!v.type_id || *v.type_id != *type_id || !v.housing_id) continue;
      if (!synchronised) {
        synchronised = by_code ? form.TypeBox().Select(catalogue::PanelTypeName(lookup, *type_id))
                               : form.TypeCodeBox().Select(v.group_code);
      }
      if (!form.HousingCodeBox().Contains(v.panel_code)) form.HousingCodeBox().Append(v.panel_code);
      form.HousingCodeBox().SelectIndex(0);
      if (first) {
        first = false;
        site::Table& panels = run.doc.Panels();
        LocatePanelRow(run, p);
        panels.SetValue("Panel Type", *type_id);
        panels.SetValue("Housing Type", *v.housing_id);
        ApplyVariantDefaults(run, form, counts, v);
        run.state.MarkModified();
      }
      const QString housing = catalogue::HousingName(lookup, *v.housing_id);
      if (!housing.isEmpty()) form.HousingBox().Append(housing);
      form.HousingBox().SelectIndex(0);
    }
  }
  SelectHousingSteps(run, form, form.HousingBox().SelectedText());
  RecalculatePanel(run, form);
  ApplyApolloRule(form);
}

// Shows the stored protocol again in the protocol box (the last set flag wins).
void ShowStoredProtocol(Run& run, PanelFormModel& form, const PanelCounts& counts) {
  site::Table& panels = run.doc.Panels();
  for (int i = counts.flags.protocols - 1; i >= 0; --i) {
    if (panels.Bool(Key("Prot", i))) {
      if (!form.ProtocolBox().Select(ProtocolName(run, i))) form.ProtocolBox().selected = -1;
      return;
    }
  }
  form.ProtocolBox().selected = -1;
}

bool SelectProtocolSteps(Run& run, PanelFormModel& form, const QString& name) {
  const int p = run.tabs.Active();
  if (!LocatePanelRow(run, p)) return false;
  const std::optional<catalogue::Protocol> protocol =
      catalogue::ProtocolOfName(run.catalogue.Translation(), name);
  site::Table& panels = run.doc.Panels();
  const PanelCounts counts = CountColumns(run);
  if (!protocol || !panels.HasField(protocol->key)) {
    ShowStoredProtocol(run, form, counts);
    return false;
  }
  if (panels.Bool(protocol->key)) return false;
  if (!run.prompter.ConfirmOkCancel(i18n::Text(i18n::Msg::kAllLoopDataDeleted))) {
    // The panel keeps its protocol, and the box shows it again.
    ShowStoredProtocol(run, form, counts);
    return false;
  }
  form.ProtocolBox().Select(name);
  for (int i = 0; i < counts.flags.protocols; ++i) {
    const bool chosen = catalogue::ProtocolKey(i) == protocol->key;
    panels.SetValue(Key("Prot", i), chosen);
    if (chosen) SelectProtocolDeviceTable(run, i);
  }
  panels.Post();
  run.state.MarkModified();

  // A protocol without a stored maximum length leaves the lengths alone.
  const qint64 max_length = protocol->max_loop_length;
  site::Table loops(&run.doc.Db(), "Loops");
  loops.SetFilter(site::Filter::Equals("PanelNumber", p));
  loops.SetFiltered(true);
  loops.Open();
  if (max_length > 0) {
    for (loops.First(); !loops.Eof(); loops.Next()) {
      if (loops.Int("Length") > max_length) {
        loops.SetValue("Length", max_length);
        loops.Post();
      }
    }
  }

  const int max_loop = HighestDeviceLoop(run, p);
  run.doc.Db().DeleteWhere("Devices", site::Filter::Equals("Panel", p));
  site::Table devices(&run.doc.Db(), "Devices");
  devices.SetFilter(site::Filter::Equals("Panel", p));
  devices.SetFiltered(true);
  devices.Open();
  for (int n = 1; n <= max_loop; ++n) AppendBlankDeviceRow(run, devices, p, n);

  std::vector<bool> cleared(max_loop + 1, false);
  for (loops.First(); !loops.Eof(); loops.Next()) {
    const qint64 n = loops.Int("LoopNumber");
    if (n < 1 || n > max_loop || cleared[n]) continue;
    cleared[n] = true;
    loops.SetValue("QuiescentCurrent", 0.0);
    loops.SetValue("AlarmCurrent", 0.0);
    loops.Post();
  }
  return true;
}

bool ToggleOptionBoardSteps(Run& run, PanelFormModel& form, int i) {
  const int p = run.tabs.Active();
  if (!LocatePanelRow(run, p)) return false;
  const PanelCounts counts = CountColumns(run);
  if (i < 0 || i >= counts.flags.options) return false;
  site::Table& panels = run.doc.Panels();
  std::vector<ChoiceButton>& buttons = form.OptionButtons();
  Button(buttons, counts.flags.options - 1);
  if (buttons[i].image != site::kImageNotAvailable) {
    const bool tick = buttons[i].image == site::kImageUnticked;
    buttons[i].image = tick ? site::kImageTicked : site::kImageUnticked;
    panels.SetValue(Key("Opt", i), tick);
    panels.Post();
  }
  run.state.MarkModified();

  site::Table& lookup = run.catalogue.Translation();
  const std::optional<qint64> type_id =
      catalogue::PanelTypeId(lookup, form.TypeBox().SelectedText(), Pick::kLast);
  const std::optional<qint64> housing_id =
      catalogue::HousingId(lookup, form.HousingBox().SelectedText(), Pick::kLast);
  const std::vector<Variant> variants = ReadVariants(run, counts);
  const Variant* variant =
      type_id && housing_id ? FindVariant(variants, *type_id, *housing_id) : nullptr;
  if (variant != nullptr) {
    const QString cell = variant->options.value(i);
    for (int e = 0; e < counts.flags.options; ++e) {
      const QString other = variant->options.value(e);
      if (e == i || cell.size() <= 3 || other.size() <= 3 || cell.at(3) != other.at(3)) continue;
      panels.SetValue(Key("Opt", e), false);
      panels.Post();
      // A board that is not available stays shown so.
      if (buttons[e].image != site::kImageNotAvailable) buttons[e].image = site::kImageUnticked;
    }

    const int f = HighestDeviceLoop(run, p);
    const int m = HighestOwnOutput(run, p);
    if (catalogue::OptionHasLoopDigit(cell)) {
      const int a = variant->OptionLoops(i);
      const catalogue::PackedStandby packed =
          catalogue::DecodeOptionStandby(variant->option_standby.at(i));
      const int c = int(packed.outputs);
      if (buttons[i].image == site::kImageTicked) {
        AddPanelLoops(run, p, f + 1, f + a);
        site::Table outputs(&run.doc.Db(), "Outputs");
        outputs.SetFilter(site::Filter::Equals("Panel", p));
        outputs.SetFiltered(true);
        outputs.Open();
        for (int n = m + 1; n <= m + c; ++n) AppendOutputRow(run, outputs, p, n, packed.output_max);
      } else if (buttons[i].image == site::kImageUnticked) {
        RemovePanelLoopsAbove(run, p, f - a);
        DeleteOutputs(run, p, m - c + 1, m);
      }
    }
  }
  RecalculatePanel(run, form);
  return true;
}

bool SelectPowerSupplySteps(Run& run, PanelFormModel& form, int i) {
  const int p = run.tabs.Active();
  if (!LocatePanelRow(run, p)) return false;
  const PanelCounts counts = CountColumns(run);
  const int n_psu = counts.flags.power_supplies;
  if (i < 0 || i >= n_psu) return false;
  std::vector<ChoiceButton>& buttons = form.PowerSupplyButtons();
  Button(buttons, n_psu - 1);
  if (buttons[i].image == site::kImageNotAvailable) return false;
  for (int j = 0; j < n_psu; ++j) {
    if (j == i) {
      buttons[j].image = site::kImageTicked;
    } else if (buttons[j].image != site::kImageNotAvailable) {
      buttons[j].image = site::kImageUnticked;
    }
  }
  site::Table& panels = run.doc.Panels();
  for (int j = 0; j < n_psu; ++j) {
    panels.SetValue(Key("Psu", j), j == i);
    panels.Post();
  }
  run.state.MarkModified();
  return true;
}

}  // namespace

void ApplyVariantDefaults(Run& run, PanelFormModel& form, const PanelCounts& counts,
                          const Variant& variant) {
  site::Table& panels = run.doc.Panels();
  ChoiceBox& box = form.ProtocolBox();
  box.Clear();
  box.enabled = false;
  form.SetStandardProtocol(QString());
  for (int i = 0; i < counts.flags.protocols; ++i) {
    const QString name = ProtocolName(run, i);
    switch (variant.ProtocolAvailability(i)) {
      case Availability::kStandard:
        panels.SetValue(Key("Prot", i), true);
        if (!name.isEmpty()) box.Append(name);
        form.SetStandardProtocol(name);
        box.enabled = true;
        break;
      case Availability::kOptional:
        panels.SetValue(Key("Prot", i), false);
        if (!name.isEmpty()) box.Append(name);
        box.enabled = true;
        break;
      default:
        panels.SetValue(Key("Prot", i), false);
        if (box.Count() == 0) box.enabled = false;
        break;
    }
  }
  if (!form.StandardProtocol().isEmpty()) box.Select(form.StandardProtocol());
  std::vector<ChoiceButton>& options = form.OptionButtons();
  for (int i = 0; i < counts.flags.options; ++i) {
    const Availability a = variant.OptionAvailability(i);
    panels.SetValue(Key("Opt", i), a == Availability::kStandard);
    Button(options, i).image = ImageOf(a);
  }
  std::vector<ChoiceButton>& supplies = form.PowerSupplyButtons();
  for (int i = 0; i < counts.flags.power_supplies; ++i) {
    const Availability a = variant.PowerSupplyAvailability(i);
    panels.SetValue(Key("Psu", i), a == Availability::kStandard);
    Button(supplies, i).image = ImageOf(a);
  }
  panels.Post();
}

void ApplyApolloRule(PanelFormModel& form) {
  ChoiceBox& box = form.ProtocolBox();
  if (box.Count() == 1 && box.entries.front().toUpper() == QLatin1String("APOLLO")) box.Clear();
  box.enabled = box.Count() >= 1;
}

void SelectProtocolDeviceTable(Run& run, int i) {
  catalogue::SelectProtocolDeviceTable(run.catalogue, i);
}

void AddPanelLoops(Run& run, int p, int first, int last) {
  if (last < first) return;
  const DefaultPanelValues defaults = ReadDefaultPanel(run, CountColumns(run));
  site::Table loops(&run.doc.Db(), "Loops");
  loops.SetFilter(site::Filter::Equals("PanelNumber", p));
  loops.SetFiltered(true);
  loops.Open();
  site::Table devices(&run.doc.Db(), "Devices");
  devices.SetFilter(site::Filter::Equals("Panel", p));
  devices.SetFiltered(true);
  devices.Open();
  for (int n = first; n <= last; ++n) {
    AppendLoopRow(run, loops, p, n, defaults, defaults.cable_length);
    AppendBlankDeviceRow(run, devices, p, n);
  }
  site::TreeNode* node = run.tree.PanelNode(p);
  if (node == nullptr) return;
  for (int n = first; n <= last; ++n) {
    // Ahead of the outputs node, which stays the panel's last child.
    run.tree.InsertChild(node, std::max(0, node->ChildCount() - 1), LoopText(n), site::kImageLoop);
  }
  run.tree.SetExpanded(node, true);
}

void RemovePanelLoopsAbove(Run& run, int p, int n) {
  site::Table loops(&run.doc.Db(), "Loops");
  loops.SetFilter(site::Filter::Equals("PanelNumber", p));
  loops.SetFiltered(true);
  loops.Open();
  loops.First();
  while (!loops.Eof()) {
    if (loops.Int("LoopNumber") > n) {
      loops.Delete();
    } else {
      loops.Next();
    }
  }
  site::Table devices(&run.doc.Db(), "Devices");
  devices.SetFilter(site::Filter::Equals("Panel", p));
  devices.SetFiltered(true);
  devices.Open();
  devices.First();
  while (!devices.Eof()) {
    if (devices.Int("Loop") > n) {
      devices.Delete();
    } else {
      devices.Next();
    }
  }
  site::TreeNode* node = run.tree.PanelNode(p);
  if (node == nullptr) return;
  // Children at positions above n, never the last one (the outputs node).
  for (int c = node->ChildCount() - 2; c >= std::max(n, 0); --c) run.tree.Remove(node->Child(c));
}

void RecalculatePanel(Run& run, PanelFormModel& form) {
  const int p = run.tabs.Active();
  electrical::ClearCurrentLines(run);
  electrical::RefreshPanelSummaries(run);
  if (p >= 1 && p <= int(run.doc.Db().Count("Panels"))) {
    electrical::WritePanelLine(run, p);
    electrical::WriteLoopLines(run, p);
    electrical::WriteOutputLines(run, p);
    const electrical::PanelPower power = electrical::CalculatePanelPower(run, p);
    electrical::WriteTotalLine(run, p, power);
    form.SetBatteryText(electrical::ShowPanelBattery(run, p));
  }
  UpdateRootCaption(run);
}

bool SelectPanelType(Run& run, PanelFormModel& form, const QString& name) {
  return RunPanelOperation(run, &form, [&] {
    form.TypeBox().Select(name);
    ApplyType(run, form, catalogue::PanelTypeId(run.catalogue.Translation(), name, Pick::kLast),
              false);
    return true;
  });
}

bool SelectPanelTypeCode(Run& run, PanelFormModel& form, const QString& code) {
  return RunPanelOperation(run, &form, [&] {
    form.TypeCodeBox().Select(code);
    std::optional<qint64> type_id;
    for (const Variant& v : ReadVariants(run, CountColumns(run))) {
      if (v.group_code == code && v.type_id) type_id = v.type_id;
    }
    ApplyType(run, form, type_id, true);
    return true;
  });
}

bool SelectHousing(Run& run, PanelFormModel& form, const QString& housing,
                   const QString& /*type_name*/) {
  // The type shown is replaced by the panel row's own type at once, so only the housing counts.
  return RunPanelOperation(run, &form, [&] {
    SelectHousingSteps(run, form, housing);
    return true;
  });
}

bool SelectHousingCode(Run& run, PanelFormModel& form, const QString& code,
                       const QString& /*type_code*/) {
  // As with the housing by name, the panel row's own type is the one applied.
  return RunPanelOperation(run, &form, [&] {
    form.HousingCodeBox().Select(code);
    std::optional<qint64> housing_id;
    for (const Variant& v : ReadVariants(run, CountColumns(run))) {
      if (v.panel_code == code && v.housing_id) housing_id = v.housing_id;
    }
    ApplyHousing(run, form, housing_id, Follow::kHousingName);
    RecalculatePanel(run, form);
    ApplyApolloRule(form);
    return true;
  });
}

bool SelectProtocol(Run& run, PanelFormModel& form, const QString& name) {
  return RunPanelOperation(run, &form, [&] {
    if (SelectProtocolSteps(run, form, name)) {
      // The first four steps of the recalculation: current lines, summaries, the panel's lines
      // and its power with the total line.
      const int p = run.tabs.Active();
      electrical::ClearCurrentLines(run);
      electrical::RefreshPanelSummaries(run);
      electrical::WritePanelLine(run, p);
      electrical::WriteLoopLines(run, p);
      electrical::WriteOutputLines(run, p);
      electrical::WriteTotalLine(run, p, electrical::CalculatePanelPower(run, p));
    }
    return true;
  });
}

bool ToggleOptionBoard(Run& run, PanelFormModel& form, int i) {
  return RunPanelOperation(run, &form, [&] {
    ToggleOptionBoardSteps(run, form, i);
    return true;
  });
}

bool SelectPowerSupply(Run& run, PanelFormModel& form, int i) {
  return RunPanelOperation(run, &form, [&] {
    SelectPowerSupplySteps(run, form, i);
    return true;
  });
}

}  // namespace velmora::panel
