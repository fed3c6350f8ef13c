#include "panel/panel_lifecycle.h"

#include "catalogue/lookup.h"
#include "electrical/run.h"
#include "electrical/site_status.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "panel/panel_operation.h"
#include "panel/panel_rows.h"
#include "panel/panel_rules.h"
#include "panel/panel_show.h"
#include "site/images.h"

namespace velmora::panel {
namespace {

using catalogue::Availability;
using i18n::Msg;

QString Key(const char* prefix, int i) { return prefix + QString::number(i); }

QString DefaultPanelName(int p) { return i18n::Text(Msg::kPanel) + QString::number(p); }

// LoopCount of the variant plus the loops of every fitted board that adds some.
int LoopTotal(const Variant& variant, const std::vector<bool>& options) {
  int loops = int(variant.loop_count);
  for (int i = 0; i < int(options.size()); ++i) {
    const int a = variant.OptionLoops(i);
    if (options[i] && a > 0) loops += a;
  }
  return loops;
}

// Loop nodes 1 ... loops and last the outputs node below a panel node.
void AddPanelChildren(Run& run, site::TreeNode* node, int loops) {
  for (int n = 1; n <= loops; ++n) run.tree.AddChild(node, LoopText(n), site::kImageLoop);
  run.tree.AddChild(node, i18n::Text(Msg::kOutputs), site::kImageOutputs);
}

void AddStoredSubtree(Run& run, site::Table& panels, const std::vector<Variant>& variants,
                      const PanelCounts& counts) {
  const QString text = panels.Text("Panel Name");
  const PanelFlags flags = ReadPanelFlags(panels, counts);
  const Variant* variant =
      panels.IsNull("Panel Type") || panels.IsNull("Housing Type")
          ? nullptr
          : FindVariant(variants, panels.Int("Panel Type"), panels.Int("Housing Type"));
  // A panel whose variant the filtered catalogue does not show (another sales channel) still
  // gets a node for each of its stored loops, so none of them becomes unreachable.
  const int loops = variant != nullptr ? LoopTotal(*variant, flags.options)
                                       : HighestLoopNumber(run, int(panels.Int("Panel Number")));
  site::TreeNode* node = run.tree.AddChild(run.tree.Root(), text, site::kImagePanel);
  AddPanelChildren(run, node, loops);
  run.tree.ExpandPanels();
}

bool RenameSteps(Run& run, const QString& text) {
  const int p = run.tabs.Active();
  if (p < 1 || run.state.Loading() || !run.state.ViewEventsOn()) return false;
  if (!LocatePanelRow(run, p)) return false;
  site::Table& panels = run.doc.Panels();
  if (panels.Text("Panel Name") != text) {
    panels.SetValue("Panel Name", text);
    panels.Post();
  }
  run.tabs.SetCaption(p, text);
  run.tree.SetText(run.tree.PanelNode(p), text);
  run.state.MarkModified();
  return true;
}

void LowerPanelNumbers(Run& run, const QString& table, const QString& column, int n) {
  site::Table rows(&run.doc.Db(), table);
  rows.Open();
  for (rows.First(); !rows.Eof(); rows.Next()) {
    const qint64 number = rows.Int(column);
    if (number > n) {
      rows.SetValue(column, number - 1);
      rows.Post();
    }
  }
}

}  // namespace

int CreatePanelTab(Run& run, const QString& caption) {
  // A new panel's tab is captioned with its number until its row gives it a name.
  const QString text = caption.isEmpty() ? DefaultPanelName(run.tabs.Count()) : caption;
  const int index = run.tabs.Add(text, site::kImagePanel);
  run.tabs.SetActive(index);
  return index;
}

void AddPanelTreeNodes(Run& run) {
  const int p = run.tabs.Count() - 1;
  site::TreeNode* node = run.tree.AddChild(run.tree.Root(), DefaultPanelName(p), site::kImagePanel);
  run.tree.Select(node);
  const PanelCounts counts = CountColumns(run);
  const std::vector<Variant> variants = ReadVariants(run, counts);
  const DefaultPanelValues defaults = ReadDefaultPanel(run, counts);
  std::optional<qint64> type_id = defaults.type_id;
  std::optional<qint64> housing_id = defaults.housing_id;
  const bool valid = ValidatePanelConfig(variants, type_id, housing_id, defaults.flags);
  int loops = 0;
  if (type_id && housing_id) {
    if (const Variant* variant = FindVariant(variants, *type_id, *housing_id)) {
      loops = LoopTotal(*variant,
                        valid ? defaults.flags.options : StandardFlags(*variant, counts).options);
    }
  }
  AddPanelChildren(run, node, loops);
  run.tree.ExpandPanels();
}

void AddPanelTreeNodesFromRow(Run& run, site::Table& panels) {
  const PanelCounts counts = CountColumns(run);
  AddStoredSubtree(run, panels, ReadVariants(run, counts), counts);
}

void CreatePanelRows(Run& run) {
  const int p = run.tabs.Count() - 1;
  const PanelCounts counts = CountColumns(run);
  const std::vector<Variant> variants = ReadVariants(run, counts);
  const DefaultPanelValues defaults = ReadDefaultPanel(run, counts);

  site::Table& panels = run.doc.Panels();
  const QString name = DefaultPanelName(p);
  panels.Append();
  panels.SetValue("Panel Number", p);
  panels.SetValue("Panel Name", name);
  panels.Post();
  {
    // Writing the name acts as a name edit does: the tab and the node take it.
    site::FlagScope view_events(&run.state, &site::RunState::SetViewEventsOn,
                                &site::RunState::ViewEventsOn, true);
    RenameSteps(run, name);
  }

  std::optional<qint64> type_id = defaults.type_id;
  std::optional<qint64> housing_id = defaults.housing_id;
  const bool valid = ValidatePanelConfig(variants, type_id, housing_id, defaults.flags);
  const Variant* variant =
      type_id && housing_id ? FindVariant(variants, *type_id, *housing_id) : nullptr;
  const PanelFlags flags =
      valid || variant == nullptr ? defaults.flags : StandardFlags(*variant, counts);
  qint64 length = defaults.cable_length;
  if (!valid && variant != nullptr) {
    for (int i = 0; i < counts.flags.protocols; ++i) {
      if (variant->ProtocolAvailability(i) == Availability::kStandard &&
          catalogue::ProtocolOfKey(run.catalogue.Translation(), catalogue::ProtocolKey(i)))
        length = 250;
    }
  }

  LocatePanelRow(run, p);
  panels.SetValue("Panel Type", type_id ? QVariant(*type_id) : QVariant());
  panels.SetValue("Housing Type", housing_id ? QVariant(*housing_id) : QVariant());
  site::Table& site = run.doc.Site();
  site.First();
  panels.SetValue("SalesChannel", site.IsEmpty() ? QString() : site.Text("SalesChannel"));
  for (int i = 0; i < counts.flags.protocols; ++i)
    panels.SetValue(Key("Prot", i), bool(flags.protocols[i]));
  for (int i = 0; i < counts.flags.options; ++i)
    panels.SetValue(Key("Opt", i), bool(flags.options[i]));
  for (int i = 0; i < counts.flags.power_supplies; ++i)
    panels.SetValue(Key("Psu", i), bool(flags.power_supplies[i]));
  if (run.doc.PanelsHaveStatusFlags()) {
    panels.SetValue("OKBooleanLoops", true);
    panels.SetValue("OKBooleanPSU", true);
  }
  panels.Post();
  electrical::UpdatePanelLoadStatus(run, p);
  if (variant == nullptr) return;

  // Outputs: the panel's own, then each fitted board's in board order numbered after the ones
  // before it so that no number repeats, then 101 to 103.
  site::Table outputs(&run.doc.Db(), "Outputs");
  outputs.SetFilter(site::Filter::Equals("Panel", p));
  outputs.SetFiltered(true);
  outputs.Open();
  for (int n = 1; n <= int(variant->outputs.size()); ++n) {
    if (variant->outputs[n - 1] > 0) AppendOutputRow(run, outputs, p, n, variant->outputs[n - 1]);
  }
  int next = counts.outputs + 1;
  for (int i = 0; i < counts.flags.options; ++i) {
    if (!flags.options[i]) continue;
    const catalogue::PackedStandby packed =
        catalogue::DecodeOptionStandby(variant->option_standby[i]);
    for (qint64 c = 0; c < packed.outputs; ++c)
      AppendOutputRow(run, outputs, p, next++, packed.output_max);
  }
  for (int x = 0; x < 3; ++x) {
    if (variant->extra_outputs[x] > 0)
      AppendOutputRow(run, outputs, p, 101 + x, variant->extra_outputs[x]);
  }

  const int loops = LoopTotal(*variant, flags.options);
  if (loops <= 0) return;
  site::Table loop_rows(&run.doc.Db(), "Loops");
  loop_rows.SetFilter(site::Filter::Equals("PanelNumber", p));
  loop_rows.SetFiltered(true);
  loop_rows.Open();
  for (int n = 1; n <= loops; ++n) AppendLoopRow(run, loop_rows, p, n, defaults, length);
  site::Table devices(&run.doc.Db(), "Devices");
  devices.SetFilter(site::Filter::Equals("Panel", p));
  devices.SetFiltered(true);
  devices.Open();
  for (int n = 1; n <= loops; ++n) AppendBlankDeviceRow(run, devices, p, n);
}

bool AddPanelExecute(Run& run, PanelFormModel& form) {
  return RunPanelOperation(run, &form, [&] {
    if (run.catalogue.PanelSpec().RecordCount() == 0) {
      run.prompter.Warn(i18n::Tr(
          N_("No panel can be added: the catalogue offers no panel for the sales channel of "
             "this site.")));
      return false;
    }
    site::FlagScope view_events(&run.state, &site::RunState::SetViewEventsOn,
                                &site::RunState::ViewEventsOn, false);
    CreatePanelTab(run);
    AddPanelTreeNodes(run);
    CreatePanelRows(run);
    run.views.Show(site::DetailView::kPanel);
    FillPanelLists(run, form);
    ShowPanel(run, form, 0);
    const int p = run.tabs.Count() - 1;
    run.tree.ExpandPanels();
    run.doc.Loops().SetFilter(site::Filter::Equals("PanelNumber", p));
    run.doc.Loops().SetFiltered(true);
    RecalculatePanel(run, form);
    run.state.MarkModified();
    return true;
  });
}

void DeletePanelRows(Run& run, int n) {
  site::Database& db = run.doc.Db();
  db.DeleteWhere("Devices", site::Filter::Equals("Panel", n));
  db.DeleteWhere("Panels", site::Filter::Equals("Panel Number", n));
  db.DeleteWhere("Loops", site::Filter::Equals("PanelNumber", n));
  db.DeleteWhere("Outputs", site::Filter::Equals("Panel", n));
  {
    site::FlagScope device_events(&run.state, &site::RunState::SetDeviceEventsOn,
                                  &site::RunState::DeviceEventsOn, false);
    LowerPanelNumbers(run, "Devices", "Panel", n);
  }
  LowerPanelNumbers(run, "Panels", "Panel Number", n);
  LowerPanelNumbers(run, "Loops", "PanelNumber", n);
  LowerPanelNumbers(run, "Outputs", "Panel", n);
  run.tabs.Remove(n);
  run.tree.Remove(run.tree.PanelNode(n));
  run.tree.Select(run.tree.Root());
  UpdateRootCaption(run);
  // The deletion is a change of the site like any other: the exit prompt must offer to save it.
  run.state.MarkModified();
}

void UpdateRootCaption(Run& run) {
  run.tree.SetText(run.tree.Root(), i18n::Text(Msg::kPanels) + " " +
                                        QString::number(run.tabs.PanelTabCount()) + " / " +
                                        i18n::Text(Msg::kLoops) + " " +
                                        QString::number(run.doc.Db().Count("Loops")));
}

void RebuildPanelsFromStoredRows(Run& run) {
  const PanelCounts counts = CountColumns(run);
  const std::vector<Variant> variants = ReadVariants(run, counts);
  site::Table panels(&run.doc.Db(), "Panels");
  panels.Open();
  for (panels.First(); !panels.Eof(); panels.Next()) {
    CreatePanelTab(run, panels.Text("Panel Name"));
    AddStoredSubtree(run, panels, variants, counts);
  }
}

bool DBEditPanelNameChange(Run& run, const QString& text) {
  return RunPanelOperation(run, nullptr, [&] { return RenameSteps(run, text); });
}

}  // namespace velmora::panel
