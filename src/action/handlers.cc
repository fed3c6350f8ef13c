#include "action/handlers.h"

#include "catalogue/lookup.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "loop/device_rows.h"
#include "loop/loop_settings.h"
#include "loop/outputs.h"
#include "panel/panel_lifecycle.h"
#include "panel/panel_rules.h"
#include "site/cables.h"
#include "workspace/defaults.h"
#include "workspace/site_properties.h"

namespace velmora::action {
namespace {

using i18n::Msg;

Status Refuse(Context& c, const QString& why) {
  c.messages << why;
  return Status::kRefused;
}

bool PanelExists(Context& c, int panel) {
  return panel >= 1 && c.data.doc.Db().Count("Panels", electrical::PanelKey(panel)) > 0;
}

bool LoopExists(Context& c, int panel, int loop) {
  return c.data.doc.Db().Count("Loops", electrical::LoopKey(panel, loop)) > 0;
}

// The panel of the action, or the refusal.
std::optional<int> PanelOf(Context& c) {
  const int p = c.Int("panel");
  if (!PanelExists(c, p)) {
    c.messages << i18n::Tr(N_("There is no panel %1.")).arg(p);
    return std::nullopt;
  }
  return p;
}

std::optional<std::pair<int, int>> LoopOf(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return std::nullopt;
  const int l = c.Int("loop");
  if (!LoopExists(c, *p, l)) {
    c.messages << i18n::Tr(N_("Panel %1 has no loop %2.")).arg(*p).arg(l);
    return std::nullopt;
  }
  return std::make_pair(*p, l);
}

QString PanelName(Context& c, int panel) {
  const std::vector<site::Row> rows = c.data.doc.Db().Select("Panels", electrical::PanelKey(panel));
  return rows.empty() ? QString() : electrical::TextAt(rows.front(), c.data.Cols().panels.name);
}

// A rule on the panel, followed by its recalculation; every loop of it speaks.
Status PanelRule(Context& c, Outcome (*rule)(SiteData&, int, const QString&), const char* key) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  if (c.Refused(rule(c.data, *p, c.Text(key)))) return Status::kRefused;
  c.Recalculate(*p);
  c.CheckedPanelLoops();
  return Status::kDone;
}

// A rule on one loop, followed by the recalculation of its panel; the loop's check speaks.
template <typename Rule>
Status LoopRule(Context& c, Rule rule, bool warn_supply = false) {
  const auto loop = LoopOf(c);
  if (!loop) return Status::kRefused;
  if (c.Refused(rule(loop->first, loop->second))) return Status::kRefused;
  c.Recalculate(loop->first);
  c.CheckedLoop(loop->first, loop->second);
  if (warn_supply) c.WarnSupply(loop->first);
  return Status::kDone;
}

std::optional<int> ListIndex(const QStringList& list, const QString& text) {
  const int index = int(list.indexOf(text));
  return index < 0 ? std::nullopt : std::optional<int>(index);
}

Status SetTime(Context& c, bool standby) {
  site::Table& lookup = c.data.catalogue.Translation();
  const QStringList texts =
      standby ? catalogue::StandbyTimeTexts(lookup) : catalogue::AlarmTimeTexts(lookup);
  const std::optional<int> index = ListIndex(texts, c.Text("time"));
  if (!index)
    return Refuse(c, i18n::Tr(N_("There is no time \"%1\" in the list.")).arg(c.Text("time")));
  const Outcome outcome =
      standby ? workspace::SetStandbyTime(c.data, *index) : workspace::SetAlarmTime(c.data, *index);
  if (c.Refused(outcome)) return Status::kRefused;
  // Every panel's battery depends on the times.
  c.RecalculateAll();
  return Status::kDone;
}

Status SetSalesChannel(Context& c) {
  const QString channel = c.Text("channel");
  if (channel == c.data.SalesChannel()) return Status::kUnchanged;
  if (!c.data.catalogue.SalesChannels().contains(channel))
    return Refuse(c, i18n::Tr(N_("There is no sales channel %1.")).arg(channel));
  if (!c.Confirm(i18n::Text(Msg::kAllSiteDataDeleted))) return Status::kDeclined;
  if (c.Refused(workspace::ResetSiteForChannel(c.data, channel))) return Status::kRefused;
  c.focus = Focus{};
  return Status::kDone;
}

Status AddPanel(Context& c) {
  int number = 0;
  if (c.Refused(panel::AddPanel(c.data, &number))) return Status::kRefused;
  c.Recalculate(number);
  c.focus = Focus{site::DetailView::kPanel, number, 0};
  return Status::kDone;
}

Status DeletePanel(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  if (!c.Confirm(i18n::Text(Msg::kSureToDelete) + " " + PanelName(c, *p) + " ?"))
    return Status::kDeclined;
  if (c.Refused(panel::DeletePanel(c.data, *p))) return Status::kRefused;
  c.focus = Focus{};
  return Status::kDone;
}

Status DuplicatePanel(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  int number = 0;
  if (c.Refused(panel::DuplicatePanel(c.data, *p, &number))) return Status::kRefused;
  c.Recalculate(number);
  c.focus = Focus{site::DetailView::kPanel, number, 0};
  return Status::kDone;
}

Status SetProtocol(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  const QString name = c.Text("protocol");
  if (!panel::ProtocolOffered(c.data, *p, name))
    return Refuse(c, i18n::Tr(N_("The protocol %1 is not offered for this panel.")).arg(name));
  if (!panel::ProtocolWouldChange(c.data, *p, name)) return Status::kUnchanged;
  if (!c.Confirm(i18n::Text(Msg::kAllLoopDataDeleted))) return Status::kDeclined;
  if (c.Refused(panel::SelectProtocol(c.data, *p, name))) return Status::kRefused;
  c.Recalculate(*p);
  c.CheckedPanelLoops();
  return Status::kDone;
}

// A board or supply by its caption or its number.
std::optional<int> ChoiceIndex(Context& c, const char* key,
                               std::optional<int> (*by_caption)(SiteData&, const QString&)) {
  const QJsonValue v = c.Value(key);
  if (v.isDouble()) return int(v.toDouble());
  return by_caption(c.data, v.toString());
}

Status ToggleBoard(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  const std::optional<int> i = ChoiceIndex(c, "board", &panel::OptionBoardIndex);
  if (!i) return Refuse(c, i18n::Tr(N_("There is no such option board.")));
  if (c.Refused(panel::ToggleOptionBoard(c.data, *p, *i))) return Status::kRefused;
  c.Recalculate(*p);
  c.CheckedPanelLoops();
  return Status::kDone;
}

Status SetSupply(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  const std::optional<int> i = ChoiceIndex(c, "supply", &panel::PowerSupplyIndex);
  if (!i) return Refuse(c, i18n::Tr(N_("There is no such power supply.")));
  if (c.Refused(panel::SelectPowerSupply(c.data, *p, *i))) return Status::kRefused;
  c.Recalculate(*p);
  // A supply too small for what the panel draws is said at once, as after an output change.
  c.WarnSupply(*p);
  return Status::kDone;
}

Status FitPanel(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  if (c.Refused(panel::FitPanelToCatalogue(c.data, *p))) return Status::kRefused;
  c.Recalculate(*p);
  return Status::kDone;
}

Status SetCable(Context& c) {
  const QJsonValue v = c.Value("cable");
  const std::optional<int> index =
      v.isDouble() ? std::optional<int>(int(v.toDouble())) : site::CableIndexOfText(v.toString());
  if (!index) return Refuse(c, i18n::Tr(N_("There is no such cable.")));
  return LoopRule(c, [&](int p, int l) { return loop::SetCable(c.data, p, l, *index); });
}

Status SetDistribution(Context& c) {
  const QString d = c.Text("distribution");
  if (d != u"one location" && d != u"spread")
    return Refuse(c, i18n::Tr(N_("The distribution is \"one location\" or \"spread\".")));
  return LoopRule(
      c, [&](int p, int l) { return loop::SetDistribution(c.data, p, l, d == u"one location"); });
}

Status DeleteDeviceRow(Context& c) {
  const auto loop = LoopOf(c);
  if (!loop) return Status::kRefused;
  const auto [p, l] = *loop;
  if (!loop::DeviceRowAt(c.data, p, l, c.Int("row")))
    return Refuse(c, i18n::Tr(N_("The loop has no device row %1.")).arg(c.Int("row")));
  if (!loop::CanDeleteDeviceRow(c.data, p, l))
    return Refuse(c, i18n::Text(Msg::kLastItemCannotBeDeleted));
  if (!c.AskYesNo(i18n::Text(Msg::kSureToDeleteRow))) return Status::kDeclined;
  return LoopRule(
      c, [&](int p, int l) { return loop::DeleteDeviceRow(c.data, p, l, c.Int("row")); }, true);
}

Status CopyDevices(Context& c) {
  const auto loop = LoopOf(c);
  if (!loop) return Status::kRefused;
  const int to_panel = c.Int("to_panel");
  const int to_loop = c.Int("to_loop");
  if (c.Refused(loop::CopyLoopDevices(c.data, loop->first, loop->second, to_panel, to_loop)))
    return Status::kRefused;
  c.Recalculate(to_panel);
  c.CheckedLoop(to_panel, to_loop);
  c.WarnSupply(to_panel);
  return Status::kDone;
}

Status SetOutputCurrents(Context& c) {
  const std::optional<int> p = PanelOf(c);
  if (!p) return Status::kRefused;
  std::optional<double> quiescent;
  std::optional<double> alarm;
  if (c.Has("quiescent")) quiescent = c.Number("quiescent");
  if (c.Has("alarm")) alarm = c.Number("alarm");
  if (c.Refused(loop::SetOutputCurrents(c.data, *p, c.Int("output"), quiescent, alarm)))
    return Status::kRefused;
  c.Recalculate(*p);
  c.WarnSupply(*p);
  return Status::kDone;
}

Status SetDefaults(Context& c) {
  QString old_code;
  if (c.Refused(workspace::WriteDefaults(c.data, c.settings, c.action.params, &old_code)))
    return Status::kRefused;
  if (c.Has("country_code") && c.Text("country_code") != old_code) {
    c.old_country_code = old_code;
    c.new_country_code = c.Text("country_code");
  }
  return Status::kDone;
}

}  // namespace

bool Context::Answer(bool ok_cancel, const QString& question) {
  if (Has("answer")) {
    const QString a = Text("answer");
    return a == u"yes" || a == u"ok";
  }
  return ok_cancel ? asker_.ConfirmOkCancel(question) : asker_.AskYesNo(question);
}

bool Context::Confirm(const QString& question) { return Answer(true, question); }
bool Context::AskYesNo(const QString& question) { return Answer(false, question); }

Status RunHandler(Context& c) {
  const QString& name = c.action.name;
  SiteData& d = c.data;
  if (name == u"set-site-field") {
    return c.Refused(workspace::SetSiteField(d, c.Text("field"), c.Text("value")))
               ? Status::kRefused
               : Status::kDone;
  }
  if (name == u"set-standby-time") return SetTime(c, true);
  if (name == u"set-alarm-time") return SetTime(c, false);
  if (name == u"set-sales-channel") return SetSalesChannel(c);
  if (name == u"add-panel") return AddPanel(c);
  if (name == u"delete-panel") return DeletePanel(c);
  if (name == u"duplicate-panel") return DuplicatePanel(c);
  if (name == u"set-panel-name") {
    const std::optional<int> p = PanelOf(c);
    if (!p) return Status::kRefused;
    return c.Refused(panel::RenamePanel(d, *p, c.Text("name"))) ? Status::kRefused : Status::kDone;
  }
  if (name == u"set-panel-type") return PanelRule(c, &panel::SelectPanelType, "type");
  if (name == u"set-panel-type-code") return PanelRule(c, &panel::SelectPanelTypeCode, "code");
  if (name == u"set-housing") return PanelRule(c, &panel::SelectHousing, "housing");
  if (name == u"set-housing-code") return PanelRule(c, &panel::SelectHousingCode, "code");
  if (name == u"set-protocol") return SetProtocol(c);
  if (name == u"toggle-option-board") return ToggleBoard(c);
  if (name == u"set-power-supply") return SetSupply(c);
  if (name == u"fit-panel") return FitPanel(c);
  if (name == u"set-cable") return SetCable(c);
  if (name == u"set-length")
    return LoopRule(c, [&](int p, int l) { return loop::SetLength(d, p, l, c.Int64("length")); });
  if (name == u"set-alarm-indicators")
    return LoopRule(
        c, [&](int p, int l) { return loop::SetAlarmIndicators(d, p, l, c.Int64("count")); });
  if (name == u"set-distribution") return SetDistribution(c);
  if (name == u"set-one-location-distance")
    return LoopRule(c, [&](int p, int l) {
      return loop::SetOneLocationDistance(d, p, l, c.Int64("distance"));
    });
  if (name == u"set-spread-distance")
    return LoopRule(
        c, [&](int p, int l) { return loop::SetSpreadDistance(d, p, l, c.Int64("distance")); });
  if (name == u"add-device-row")
    return LoopRule(c, [&](int p, int l) { return loop::AddDeviceRow(d, p, l); });
  if (name == u"delete-device-row") return DeleteDeviceRow(c);
  if (name == u"set-device-quantity")
    return LoopRule(
        c,
        [&](int p, int l) {
          return loop::SetDeviceQuantity(d, p, l, c.Int("row"), c.Int64("quantity"));
        },
        true);
  if (name == u"set-device-type")
    return LoopRule(
        c, [&](int p, int l) { return loop::SetDeviceType(d, p, l, c.Int("row"), c.Text("type")); },
        true);
  if (name == u"set-device-sub-type")
    return LoopRule(
        c,
        [&](int p, int l) {
          return loop::SetDeviceSubType(d, p, l, c.Int("row"), c.Text("sub_type"));
        },
        true);
  if (name == u"copy-loop-devices") return CopyDevices(c);
  if (name == u"set-output-currents") return SetOutputCurrents(c);
  if (name == u"set-defaults") return SetDefaults(c);
  return Refuse(c, i18n::Tr(N_("unknown action \"%1\"")).arg(name));
}

}  // namespace velmora::action
