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
#include "electrical/recalculation.h"
#include "electrical/site_rows.h"
#include "i18n/tr.h"
#include "site/cables.h"
#include "site/run_state.h"
#include "site/site_file_check.h"
#include "site/store_error.h"

namespace velmora::app {
namespace {

using catalogue::Availability;

constexpr int kMaxPanels = 1000;
constexpr int kMaxRows = 100;

// A variant of the catalogue with the optional boards that give it the wanted loops.
struct PanelConfig {
  catalogue::Variant variant;
  std::vector<int> loop_boards;
  std::optional<int> output_board;  // a board that brings outputs and no loops
};

QChar GroupOf(const QString& cell) { return cell.size() > 3 ? cell.at(3) : QChar(); }

// Every variant of the filtered catalogue that reaches `loops` loops, once for each set of
// boards that gets it there.
std::vector<PanelConfig> ConfigsWithLoops(const std::vector<catalogue::Variant>& variants,
                                          int loops) {
  std::vector<PanelConfig> configs;
  for (const catalogue::Variant& v : variants) {
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
QString PossibleLoopCounts(const std::vector<catalogue::Variant>& variants) {
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

std::vector<DeviceChoice> DeviceMix(SiteData& data, const catalogue::DeviceTable& table) {
  std::vector<DeviceChoice> offered;
  site::Table& lookup = data.catalogue.Translation();
  for (const QString& text : catalogue::ListDeviceTypes(table, lookup)) {
    const std::optional<qint64> code = catalogue::DeviceTypeCodeOfText(lookup, text);
    const QStringList codes = catalogue::ListDeviceSubTypes(table, lookup, text);
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

RowChoice ChooseRow(const catalogue::DeviceTable& table, const std::vector<DeviceChoice>& mix,
                    LoopBudget& budget, int p, int l, int r) {
  for (int attempt = 0; attempt < int(mix.size()); ++attempt) {
    const DeviceChoice& type = mix[(r + attempt) % mix.size()];
    const QString code = type.codes[(p + l + r / int(mix.size())) % type.codes.size()];
    const catalogue::Device* device = table.FirstOfCode(code);
    if (device == nullptr) continue;
    const qint64 wanted = std::max(1, type.quantity + (p * 7 + l * 3 + r) % 3 - 1);
    const qint64 quantity = std::min(wanted, budget.Allowed(*device));
    if (quantity <= 0) continue;  // the loop is full for this kind of device; try the next
    budget.Take(*device, quantity);
    return {&type, code, quantity};
  }
  return {};
}

// The values of one device row of panel p, loop l.
std::vector<std::pair<int, QVariant>> DeviceRowValues(const site::DeviceColumns& c, int p, int l,
                                                      const RowChoice& choice) {
  if (choice.type == nullptr)
    return {{c.panel, qint64(p)},
            {c.loop, qint64(l)},
            {c.quantity, qint64(0)},
            {c.type_code, qint64(0)},
            {c.sub_type, QStringLiteral(" ")}};
  return {{c.panel, qint64(p)},
          {c.loop, qint64(l)},
          {c.quantity, choice.quantity},
          {c.type_code, choice.type->type_code},
          {c.type_text, choice.type->type_text},
          {c.sub_type, choice.code}};
}

// Lengths and cables of the panel's loops, within the protocol's longest loop.
void SetLoopSettings(SiteData& data, int p, const std::optional<catalogue::Protocol>& protocol) {
  site::Database& db = data.doc.Db();
  const site::LoopColumns& c = data.Cols().loops;
  for (const site::Row& row : db.Select("Loops", electrical::LoopsOfPanel(p))) {
    const int l = int(electrical::IntAt(row, c.number));
    qint64 length = 300 + 100 * ((p * 3 + l * 5) % 8);
    if (protocol && protocol->max_loop_length > 0)
      length = std::min(length, protocol->max_loop_length);
    const int cable = length > 700 ? 3 : 1;
    db.Update("Loops", row.rowid,
              {{c.length, length},
               {c.cable, qint64(cable)},
               {c.resistance, site::kCables[cable].ohm_per_km}});
  }
}

// Some current drawn from the first two outputs of the panel: sounder circuits in alarm.
void SetOutputCurrents(SiteData& data, int p) {
  site::Database& db = data.doc.Db();
  const site::OutputColumns& c = data.Cols().outputs;
  int used = 0;
  for (const site::Row& row : db.Select("Outputs", electrical::RowsOfPanel(p), "OutputNumber")) {
    if (used >= 2) break;
    const qint64 max = electrical::IntAt(row, c.max);
    if (max <= 0 || electrical::IntAt(row, c.number) > 100) continue;
    ++used;
    db.Update("Outputs", row.rowid,
              {{c.quiescent, used == 1 ? 0.0 : double(max / 20)}, {c.alarm, double(max / 4)}});
  }
}

// The device rows, loop settings and output currents of panel p, written directly: the
// generator makes test sites in bulk and recalculates once at the end.
bool FillPanel(SiteData& data, int p, int rows, QString* error) {
  const std::vector<site::Row> panel = data.doc.Db().Select("Panels", electrical::PanelKey(p));
  const int protocol_index =
      panel.empty() ? -1 : electrical::LastTrueFlag(panel.front(), data.Cols().panels.protocols);
  const catalogue::DeviceTable& table = data.catalogue.ProtocolDevices(protocol_index);
  const std::optional<catalogue::Protocol> protocol =
      protocol_index < 0 ? std::nullopt
                         : catalogue::ProtocolOfKey(data.catalogue.Translation(),
                                                    catalogue::ProtocolKey(protocol_index));
  const std::vector<DeviceChoice> mix = DeviceMix(data, table);
  if (mix.empty()) {
    *error = i18n::Tr(N_("the device table of panel %1's protocol offers no device")).arg(p);
    return false;
  }
  SetLoopSettings(data, p, protocol);
  SetOutputCurrents(data, p);

  site::Database& db = data.doc.Db();
  const site::DeviceColumns& c = data.Cols().devices;
  const qint64 loops = db.Count("Loops", electrical::LoopsOfPanel(p));
  for (int l = 1; l <= loops; ++l) {
    LoopBudget budget;
    if (protocol) {
      budget.max_detectors = protocol->max_detector_count;
      budget.max_modules = protocol->max_module_count;
    }
    const std::vector<site::Row> existing = db.Select("Devices", electrical::DevicesOfLoop(p, l));
    for (int r = 0; r < rows; ++r) {
      const auto values = DeviceRowValues(c, p, l, ChooseRow(table, mix, budget, p, l, r));
      // The loop's blank first row is filled; the others are appended after it.
      if (r == 0 && !existing.empty()) {
        db.Update("Devices", existing.front().rowid, values);
      } else {
        db.Insert("Devices", values);
      }
    }
  }
  return true;
}

}  // namespace

bool GenerateSite(CliSession& session, const SiteShape& shape, const QString& file,
                  QString* error) {
  if (shape.panels < 1 || shape.panels > kMaxPanels) {
    *error = i18n::Tr(N_("the number of panels must be 1 to %1")).arg(kMaxPanels);
    return false;
  }
  if (shape.rows < 1 || shape.rows > kMaxRows) {
    *error = i18n::Tr(N_("the number of device rows per loop must be 1 to %1")).arg(kMaxRows);
    return false;
  }
  // What the generator makes must open again, so it keeps to the limit the open check applies.
  const qint64 device_rows = qint64(shape.panels) * shape.loops * shape.rows;
  if (device_rows > site::kMostTableRows) {
    *error = i18n::Tr(N_("%1 panels of %2 loops with %3 device rows each make %4 device rows, "
                         "more than a site file may hold (at most %5)"))
                 .arg(QString::number(shape.panels), QString::number(shape.loops),
                      QString::number(shape.rows), QString::number(device_rows),
                      QString::number(site::kMostTableRows));
    return false;
  }
  const QFileInfo target(file);
  if (target.exists()) {
    *error = i18n::Tr(N_("%1 already exists")).arg(QDir::toNativeSeparators(file));
    return false;
  }
  if (!QFileInfo(target.absolutePath()).isDir()) {
    *error =
        i18n::Tr(N_("there is no folder %1")).arg(QDir::toNativeSeparators(target.absolutePath()));
    return false;
  }

  workspace::Workspace& ws = session.Ws();
  action::Editor& editor = session.Editor();
  SiteData& data = ws.Data();
  CliPrompter& prompter = session.Prompter();
  prompter.Hold();
  if (!ws.MakeNewSite()) {
    *error = prompter.Release().join("\n");
    return false;
  }
  // A generated site is a file, not a session: nothing of its making is taken back.
  editor.KeepHistory(false);
  struct HistoryBack {
    action::Editor& editor;
    ~HistoryBack() { editor.KeepHistory(true); }
  } history_back{editor};
  const std::vector<catalogue::Variant> variants = data.Variants();
  const std::vector<PanelConfig> configs = ConfigsWithLoops(variants, shape.loops);
  if (configs.empty()) {
    prompter.Release();
    *error = i18n::Tr(N_("no panel of the catalogue has %1 loops (possible: %2)"))
                 .arg(QString::number(shape.loops), PossibleLoopCounts(variants));
    return false;
  }

  auto run = [&](const action::Action& action) {
    return editor.Execute(action, prompter).Carried();
  };
  bool done = run(action::Action::Make(
      "set-site-field", {{"field", "SiteName"},
                         {"value", QString("Generated site, %1 panels of %2 loops with %3 rows")
                                       .arg(shape.panels)
                                       .arg(shape.loops)
                                       .arg(shape.rows)}}));
  for (int p = 1; done && p <= shape.panels; ++p) {
    const PanelConfig& config = configs[(p - 1) % configs.size()];
    const catalogue::Variant& v = config.variant;
    done =
        run(action::Action::Make("add-panel")) &&
        run(action::Action::Make("set-panel-type-code", {{"panel", p}, {"code", v.group_code}})) &&
        run(action::Action::Make("set-housing-code", {{"panel", p}, {"code", v.panel_code}}));
    for (int board : config.loop_boards)
      done = done &&
             run(action::Action::Make("toggle-option-board", {{"panel", p}, {"board", board}}));
    if (config.output_board && p % 2 == 0)
      done = done && run(action::Action::Make("toggle-option-board",
                                              {{"panel", p}, {"board", *config.output_board}}));
    const qint64 loops = data.doc.Db().Count("Loops", electrical::LoopsOfPanel(p));
    if (!done || loops != shape.loops) {
      const QStringList held = prompter.Release();
      const QString panel = QString::number(p);
      const QString& code = v.panel_code;
      const QString loops_wanted = QString::number(shape.loops);
      *error = held.isEmpty() ? i18n::Tr(N_("panel %1 (%2) could not be set up with %3 loops"))
                                    .arg(panel, code, loops_wanted)
                              : i18n::Tr(N_("panel %1 (%2) could not be set up with %3 loops: %4"))
                                    .arg(panel, code, loops_wanted, held.join("; "));
      return false;
    }
  }

  try {
    site::Transaction transaction(&data.doc.Db());
    for (int p = 1; p <= shape.panels; ++p) {
      if (!FillPanel(data, p, shape.rows, error)) {
        prompter.Release();
        return false;
      }
    }
    electrical::RecalculatePanels(data);
    transaction.Commit();
  } catch (const site::StoreError& e) {
    prompter.Release();
    *error = e.Message();
    return false;
  }
  prompter.Release();

  ws.State().SetSiteFileName(target.absoluteFilePath());
  ws.State().SetSiteSaved(true);
  if (!ws.SaveSite()) {
    *error = i18n::Tr(N_("%1 could not be written")).arg(QDir::toNativeSeparators(file));
    return false;
  }
  return true;
}

}  // namespace velmora::app
