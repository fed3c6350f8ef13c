#include "app/cli_generate.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <optional>
#include <vector>

#include "app/cli_check.h"
#include "app/cli_session.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "catalogue/panel_spec.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "loop/device_limits.h"
#include "loop/loop_form_model.h"
#include "panel/panel_lifecycle.h"
#include "panel/panel_rules.h"
#include "panel/variant.h"
#include "site/run_state.h"
#include "site/site_file_check.h"
#include "site/store_error.h"
#include "site/table.h"

namespace velmora::app {
namespace {

using catalogue::Availability;

constexpr int kMaxPanels = 1000;
constexpr int kMaxRows = 100;

// A variant of the catalogue with the optional boards that give it the wanted loops.
struct PanelConfig {
  panel::Variant variant;
  std::vector<int> loop_boards;
  std::optional<int> output_board;  // a board that brings outputs and no loops
};

QChar GroupOf(const QString& cell) { return cell.size() > 3 ? cell.at(3) : QChar(); }

// Every variant of the filtered catalogue that reaches `loops` loops, once for each set of
// boards that gets it there.
std::vector<PanelConfig> ConfigsWithLoops(const std::vector<panel::Variant>& variants, int loops) {
  std::vector<PanelConfig> configs;
  for (const panel::Variant& v : variants) {
    if (!v.type_id || !v.housing_id) continue;
    int base = int(v.loop_count);
    std::vector<QChar> standard_groups;
    std::vector<int> candidates;
    for (int i = 0; i < int(v.options.size()); ++i) {
      const QString& cell = v.options[i];
      if (v.OptionAvailability(i) == Availability::kStandard) {
        if (v.OptionLoops(i) > 0) base += v.OptionLoops(i);
        if (!GroupOf(cell).isNull()) standard_groups.push_back(GroupOf(cell));
      }
    }
    for (int i = 0; i < int(v.options.size()); ++i) {
      const QString& cell = v.options[i];
      if (v.OptionAvailability(i) != Availability::kOptional || v.OptionLoops(i) <= 0) continue;
      if (std::find(standard_groups.begin(), standard_groups.end(), GroupOf(cell)) !=
          standard_groups.end())
        continue;
      candidates.push_back(i);
    }
    for (unsigned mask = 0; mask < (1u << candidates.size()); ++mask) {
      std::vector<int> boards;
      std::vector<QChar> groups = standard_groups;
      int total = base;
      bool clash = false;
      for (int b = 0; b < int(candidates.size()); ++b) {
        if ((mask & (1u << b)) == 0) continue;
        const int i = candidates[b];
        const QChar group = GroupOf(v.options[i]);
        if (!group.isNull() && std::find(groups.begin(), groups.end(), group) != groups.end())
          clash = true;
        groups.push_back(group);
        boards.push_back(i);
        total += v.OptionLoops(i);
      }
      if (clash || total != loops) continue;
      PanelConfig config{v, boards, std::nullopt};
      for (int i = 0; i < int(v.options.size()); ++i) {
        const QString& cell = v.options[i];
        if (v.OptionAvailability(i) != Availability::kOptional ||
            !catalogue::OptionHasLoopDigit(cell) || v.OptionLoops(i) != 0 ||
            i >= int(v.option_standby.size()) ||
            catalogue::DecodeOptionStandby(v.option_standby[i]).outputs <= 0)
          continue;
        if (!GroupOf(cell).isNull() &&
            std::find(groups.begin(), groups.end(), GroupOf(cell)) != groups.end())
          continue;
        config.output_board = i;
        break;
      }
      configs.push_back(config);
    }
  }
  return configs;
}

// Which loop counts the catalogue can give, for the message when the wanted one is not there.
QString PossibleLoopCounts(const std::vector<panel::Variant>& variants) {
  QStringList counts;
  for (int loops = 1; loops <= 64; ++loops) {
    if (!ConfigsWithLoops(variants, loops).empty()) counts << QString::number(loops);
  }
  return counts.join(", ");
}

// A device type of the open device table with the codes offered for it and the quantity a
// loop typically has of it.
struct DeviceChoice {
  qint64 type_code = 0;
  QString type_text;
  QStringList codes;
  int quantity = 1;
};

// Detectors first, then call points, alarm devices, isolators and modules, as loops are usually
// made up; types the table has beyond these follow, one device each.
constexpr std::pair<qint64, int> kUsualMix[] = {{1, 16}, {0, 10}, {2, 6},  {10, 5}, {12, 4},
                                                {40, 6}, {13, 3}, {33, 3}, {20, 2}, {21, 2},
                                                {14, 2}, {22, 1}, {41, 1}, {34, 1}, {17, 1}};

std::vector<DeviceChoice> DeviceMix(Run& run) {
  std::vector<DeviceChoice> offered;
  for (const QString& text : catalogue::ListDeviceTypes(run.catalogue)) {
    const std::optional<qint64> code =
        catalogue::DeviceTypeCodeOfText(run.catalogue.Translation(), text);
    const QStringList codes = catalogue::ListDeviceSubTypes(run.catalogue, text);
    if (!code || codes.isEmpty()) continue;
    offered.push_back({*code, text, codes, 1});
  }
  std::vector<DeviceChoice> mix;
  std::vector<bool> taken(offered.size(), false);
  for (const auto& [code, quantity] : kUsualMix) {
    for (size_t i = 0; i < offered.size(); ++i) {
      if (taken[i] || offered[i].type_code != code) continue;
      taken[i] = true;
      mix.push_back(offered[i]);
      mix.back().quantity = quantity;
    }
  }
  for (size_t i = 0; i < offered.size(); ++i) {
    if (!taken[i]) mix.push_back(offered[i]);
  }
  return mix;
}

// What the loop's limits still allow of a device.
struct LoopBudget {
  qint64 max_detectors = 0;
  qint64 max_modules = 0;
  qint64 detectors = 0;
  qint64 modules = 0;

  qint64 Allowed(const catalogue::Device& device) const {
    qint64 allowed = device.max_per_loop;
    if (device.count <= 0) return allowed;
    if (device.group == "all" || device.group == "det") {
      allowed = std::min(allowed, (max_detectors - detectors) / device.count);
    } else if (device.group == "mod" && max_modules != 0) {
      allowed = std::min(allowed, (max_modules - modules) / device.count);
    }
    return std::max<qint64>(allowed, 0);
  }
  void Take(const catalogue::Device& device, qint64 quantity) {
    if (device.group == "all" || device.group == "det") {
      detectors += quantity * device.count;
    } else if (device.group == "mod") {
      modules += quantity * device.count;
    }
  }
};

struct RowChoice {
  const DeviceChoice* type = nullptr;
  QString code;
  qint64 quantity = 0;
};

RowChoice ChooseRow(Run& run, const std::vector<DeviceChoice>& mix, LoopBudget& budget, int p,
                    int l, int r) {
  for (int attempt = 0; attempt < int(mix.size()); ++attempt) {
    const DeviceChoice& type = mix[(r + attempt) % mix.size()];
    const QString code = type.codes[(p + l + r / int(mix.size())) % type.codes.size()];
    const std::optional<catalogue::Device> device =
        catalogue::FindDeviceByCode(run.catalogue, code);
    if (!device) continue;
    const qint64 wanted = std::max(1, type.quantity + (p * 7 + l * 3 + r) % 3 - 1);
    const qint64 quantity = std::min(wanted, budget.Allowed(*device));
    if (quantity <= 0) continue;  // the loop is full for this kind of device; try the next
    budget.Take(*device, quantity);
    return {&type, code, quantity};
  }
  return {};
}

void WriteDeviceRow(site::Table& devices, int p, int l, const RowChoice& choice) {
  devices.SetValue("Panel", p);
  devices.SetValue("Loop", l);
  if (choice.type == nullptr) {
    devices.SetValue("DeviceQuantity", 0);
    devices.SetValue("DeviceTypeCode", 0);
    devices.SetValue("DeviceSub-Type", QStringLiteral(" "));
  } else {
    devices.SetValue("DeviceQuantity", choice.quantity);
    devices.SetValue("DeviceTypeCode", choice.type->type_code);
    devices.SetValue("DeviceTypeText", choice.type->type_text);
    devices.SetValue("DeviceSub-Type", choice.code);
  }
  devices.Post();
}

// Lengths and cables of the panel's loops, within the protocol's longest loop.
void SetLoopSettings(Run& run, int p, const std::optional<catalogue::Protocol>& protocol) {
  site::Table loops(&run.doc.Db(), "Loops");
  loops.SetFilter(electrical::LoopsOfPanel(p));
  loops.SetFiltered(true);
  loops.Open();
  for (loops.First(); !loops.Eof(); loops.Next()) {
    const int l = int(loops.Int("LoopNumber"));
    qint64 length = 300 + 100 * ((p * 3 + l * 5) % 8);
    if (protocol && protocol->max_loop_length > 0)
      length = std::min(length, protocol->max_loop_length);
    const int cable = length > 700 ? 3 : 1;
    loops.SetValue("Length", length);
    loops.SetValue("CableSpec", cable);
    loops.SetValue("Resistance", loop::LoopFormModel::CableResistance(cable));
    loops.Post();
  }
}

// Some current drawn from the first two outputs of the panel: sounder circuits in alarm.
void SetOutputCurrents(Run& run, int p) {
  site::Table outputs(&run.doc.Db(), "Outputs");
  outputs.SetFilter(electrical::RowsOfPanel(p));
  outputs.SetFiltered(true);
  outputs.SetSort("OutputNumber");
  outputs.Open();
  int used = 0;
  for (outputs.First(); !outputs.Eof() && used < 2; outputs.Next()) {
    const qint64 max = outputs.Int("MAX");
    if (max <= 0 || outputs.Int("OutputNumber") > 100) continue;
    ++used;
    outputs.SetValue("QuiesentCurrent", used == 1 ? 0.0 : double(max / 20));
    outputs.SetValue("AlarmCurrent", double(max / 4));
    outputs.Post();
  }
}

// The device rows, loop settings and output currents of panel p.
bool FillPanel(Run& run, int p, int rows, QString* error) {
  const int protocol_index = electrical::PanelProtocolIndex(run, p);
  catalogue::SelectProtocolDeviceTable(run.catalogue, protocol_index);
  const std::optional<catalogue::Protocol> protocol =
      protocol_index < 0 ? std::nullopt
                         : catalogue::ProtocolOfKey(run.catalogue.Translation(),
                                                    catalogue::ProtocolKey(protocol_index));
  const std::vector<DeviceChoice> mix = DeviceMix(run);
  if (mix.empty()) {
    *error = QString("the device table of panel %1's protocol offers no device").arg(p);
    return false;
  }
  SetLoopSettings(run, p, protocol);
  SetOutputCurrents(run, p);

  site::Table devices(&run.doc.Db(), "Devices");
  devices.Open();
  const qint64 loops = run.doc.Db().Count("Loops", electrical::LoopsOfPanel(p));
  for (int l = 1; l <= loops; ++l) {
    LoopBudget budget;
    if (protocol) {
      budget.max_detectors = protocol->max_detector_count;
      budget.max_modules = protocol->max_module_count;
    }
    devices.SetFilter(electrical::DevicesOfLoop(p, l));
    devices.SetFiltered(true);
    devices.First();
    for (int r = 0; r < rows; ++r) {
      // The loop's blank first row is filled; the others are appended after it.
      if (r == 0 && !devices.IsEmpty()) {
        devices.Edit();
      } else {
        devices.Append();
      }
      WriteDeviceRow(devices, p, l, ChooseRow(run, mix, budget, p, l, r));
    }
    if (!loop::CheckLoopGroupLimits(run, p, l) || !loop::CheckDeviceTypeLimits(run, p, l)) {
      *error =
          QString("the device rows made for loop %1 of panel %2 break its limits").arg(l).arg(p);
      return false;
    }
  }
  return true;
}

}  // namespace

bool GenerateSite(CliSession& session, const SiteShape& shape, const QString& file,
                  QString* error) {
  if (shape.panels < 1 || shape.panels > kMaxPanels) {
    *error = QString("the number of panels must be 1 to %1").arg(kMaxPanels);
    return false;
  }
  if (shape.rows < 1 || shape.rows > kMaxRows) {
    *error = QString("the number of device rows per loop must be 1 to %1").arg(kMaxRows);
    return false;
  }
  // What the generator makes must open again, so it keeps to the limit the open check applies.
  const qint64 device_rows = qint64(shape.panels) * shape.loops * shape.rows;
  if (device_rows > site::kMostTableRows) {
    *error = QString(
                 "%1 panels of %2 loops with %3 device rows each make %4 device rows, more than "
                 "a site file may hold (at most %5)")
                 .arg(shape.panels)
                 .arg(shape.loops)
                 .arg(shape.rows)
                 .arg(device_rows)
                 .arg(site::kMostTableRows);
    return false;
  }
  const QFileInfo target(file);
  if (target.exists()) {
    *error = QString("%1 already exists").arg(QDir::toNativeSeparators(file));
    return false;
  }
  if (!QFileInfo(target.absolutePath()).isDir()) {
    *error = QString("there is no folder %1").arg(QDir::toNativeSeparators(target.absolutePath()));
    return false;
  }

  workspace::Workspace& ws = session.Ws();
  Run& run = ws.R();
  CliPrompter& prompter = session.Prompter();
  prompter.Hold();
  ws.MakeNewSite();
  const std::vector<panel::Variant> variants = panel::ReadVariants(run, panel::CountColumns(run));
  const std::vector<PanelConfig> configs = ConfigsWithLoops(variants, shape.loops);
  if (configs.empty()) {
    prompter.Release();
    *error = QString("no panel of the catalogue has %1 loops (possible: %2)")
                 .arg(shape.loops)
                 .arg(PossibleLoopCounts(variants));
    return false;
  }

  {
    site::Table& site = ws.Doc().Site();
    site.First();
    site.SetValue("SiteName", QString("Generated site, %1 panels of %2 loops with %3 rows")
                                  .arg(shape.panels)
                                  .arg(shape.loops)
                                  .arg(shape.rows));
    site.Post();
  }

  panel::PanelFormModel& form = ws.PanelForm();
  for (int p = 1; p <= shape.panels; ++p) {
    const PanelConfig& config = configs[(p - 1) % configs.size()];
    const panel::Variant& v = config.variant;
    bool done = panel::AddPanelExecute(run, form) &&
                panel::SelectPanelTypeCode(run, form, v.group_code) &&
                panel::SelectHousingCode(run, form, v.panel_code, v.group_code);
    for (int board : config.loop_boards) done = done && panel::ToggleOptionBoard(run, form, board);
    if (config.output_board && p % 2 == 0)
      done = done && panel::ToggleOptionBoard(run, form, *config.output_board);
    const qint64 loops = run.doc.Db().Count("Loops", electrical::LoopsOfPanel(p));
    if (!done || run.tabs.Count() - 1 != p || loops != shape.loops) {
      const QStringList held = prompter.Release();
      *error = QString("panel %1 (%2) could not be set up with %3 loops%4")
                   .arg(p)
                   .arg(v.panel_code)
                   .arg(shape.loops)
                   .arg(held.isEmpty() ? QString() : ": " + held.join("; "));
      return false;
    }
  }

  try {
    site::FlagScope device_events(&run.state, &site::RunState::SetDeviceEventsOn,
                                  &site::RunState::DeviceEventsOn, false);
    site::Transaction transaction(&run.doc.Db());
    const QString open_table = run.catalogue.DeviceCompat().Name();
    for (int p = 1; p <= shape.panels; ++p) {
      if (!FillPanel(run, p, shape.rows, error)) {
        prompter.Release();
        return false;
      }
    }
    if (run.catalogue.DeviceCompat().Name() != open_table) {
      run.catalogue.DeviceCompat().SetName(open_table);
      run.catalogue.OpenDeviceCatalogue();
    }
    transaction.Commit();
    RecalculateSite(run);
  } catch (const site::StoreError& e) {
    prompter.Release();
    *error = e.Message();
    return false;
  }
  prompter.Release();

  ws.State().SetSiteFileName(target.absoluteFilePath());
  ws.State().SetSiteSaved(true);
  if (!ws.SaveSite()) {
    *error = QString("%1 could not be written").arg(QDir::toNativeSeparators(file));
    return false;
  }
  return true;
}

}  // namespace velmora::app
