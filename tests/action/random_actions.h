#pragma once

// Random design work for the tests of the action layer: actions a designer could take on the
// site as it stands, with choices taken from what the views list, and now and then a value the
// rules must refuse.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <random>
#include <vector>

#include "action/editor.h"
#include "electrical/site_rows.h"
#include "loop/device_rows.h"
#include "site/site_document.h"

namespace velmora::testing {

class RandomActions {
 public:
  RandomActions(action::Editor& editor, unsigned seed) : editor_(editor), rng_(seed) {}

  // The next action, or navigation ("show", carried out here) when `navigation` is true and the
  // dice say so. Destructive whole-site actions (another sales channel, a new site) come rarely.
  action::Action Next() {
    SiteData& data = editor_.Work().Data();
    site::Database& db = data.doc.Db();
    const std::vector<int> panels = Numbers(db, "Panels", {}, "Panel Number");
    const int roll = Pick(100);
    if (panels.empty() || roll < 6) return Make("add-panel", {});
    const int p = panels[Pick(int(panels.size()))];
    const std::vector<int> loops = Numbers(db, "Loops", electrical::LoopsOfPanel(p), "LoopNumber");
    const int l = loops.empty() ? 1 : loops[Pick(int(loops.size()))];
    const int rows = int(loop::LoopDeviceRows(data, p, l).size());
    const int row = rows == 0 ? 1 : 1 + Pick(rows);
    QJsonObject at{{"panel", p}};
    QJsonObject at_loop{{"panel", p}, {"loop", l}};
    QJsonObject at_row{{"panel", p}, {"loop", l}, {"row", row}};

    if (roll < 8) return Make("delete-panel", With(at, "answer", Pick(3) ? "ok" : "cancel"));
    if (roll < 10) return Make("duplicate-panel", at);
    if (roll < 12) return Make("set-panel-name", With(at, "name", QString("P-%1").arg(Pick(50))));
    if (roll < 36) {
      editor_.Show({site::DetailView::kPanel, p, 0});
      panel::PanelFormModel& form = editor_.PanelForm();
      switch (Pick(5)) {
        case 0:
          return Make("set-panel-type", With(at, "type", Entry(form.TypeBox().entries)));
        case 1:
          return Make("set-housing", With(at, "housing", Entry(form.HousingBox().entries)));
        case 2: {
          QJsonObject p_at = With(at, "protocol", Entry(form.ProtocolBox().entries));
          return Make("set-protocol", With(p_at, "answer", Pick(4) ? "ok" : "cancel"));
        }
        case 3:
          return Make("toggle-option-board", With(at, "board", Pick(9)));
        default:
          return Make("set-power-supply", With(at, "supply", Pick(3)));
      }
    }
    if (roll < 56) {
      switch (Pick(6)) {
        case 0:
          return Make("set-cable", With(at_loop, "cable", Pick(7) - 1));
        case 1:
          return Make("set-length", With(at_loop, "length", Pick(5) == 0 ? -5 : Pick(4000)));
        case 2:
          return Make("set-alarm-indicators", With(at_loop, "count", Pick(140)));
        case 3:
          return Make("set-distribution",
                      With(at_loop, "distribution", Pick(2) ? "spread" : "one location"));
        case 4:
          return Make("set-one-location-distance", With(at_loop, "distance", Pick(3200)));
        default:
          return Make("set-spread-distance", With(at_loop, "distance", Pick(1600)));
      }
    }
    if (roll < 86) {
      switch (Pick(6)) {
        case 0:
          return Make("add-device-row", at_loop);
        case 1:
          return Make("delete-device-row", With(at_row, "answer", "yes"));
        case 2:
          return Make("set-device-quantity",
                      With(at_row, "quantity", Pick(8) == 0 ? 400 + Pick(400) : Pick(40)));
        case 3: {
          editor_.Show({site::DetailView::kDevices, p, l});
          return Make("set-device-type",
                      With(at_row, "type", Entry(editor_.LoopForm().device_types)));
        }
        case 4: {
          const std::optional<site::Row> r = loop::DeviceRowAt(data, p, l, row);
          const QString type =
              r ? electrical::TextAt(*r, data.Cols().devices.type_text) : QString();
          return Make("set-device-sub-type",
                      With(at_row, "sub_type", Entry(loop::SubTypesForGrid(data, p, type))));
        }
        default: {
          const int q = panels[Pick(int(panels.size()))];
          const std::vector<int> to =
              Numbers(db, "Loops", electrical::LoopsOfPanel(q), "LoopNumber");
          QJsonObject copy = With(at_loop, "to_panel", q);
          return Make("copy-loop-devices",
                      With(copy, "to_loop", to.empty() ? 1 : to[Pick(int(to.size()))]));
        }
      }
    }
    if (roll < 94) {
      const std::vector<int> outputs =
          Numbers(db, "Outputs", electrical::RowsOfPanel(p), "OutputNumber");
      QJsonObject out =
          With(at, "output", outputs.empty() ? 1 : outputs[Pick(int(outputs.size()))]);
      const double current = Pick(10) == 0 ? 5000.0 : Pick(600) / 2.0;
      return Make("set-output-currents", With(out, Pick(2) ? "quiescent" : "alarm", current));
    }
    if (roll < 98) {
      workspace::SiteFormModel& site = editor_.SiteForm();
      if (Pick(2)) return Make("set-standby-time", {{"time", Entry(site.StandbyTimes().entries)}});
      return Make("set-alarm-time", {{"time", Entry(site.AlarmTimes().entries)}});
    }
    if (roll < 99) return Make("set-site-field", {{"field", "City"}, {"value", "Lakeside"}});
    return Make("set-sales-channel",
                {{"channel", Entry(editor_.SiteForm().SalesChannels().entries)},
                 {"answer", Pick(3) ? "cancel" : "ok"}});
  }

  // Now and then a click elsewhere: another panel, loop or the outputs on show.
  void MaybeNavigate() {
    if (Pick(5) != 0) return;
    site::Database& db = editor_.Work().Data().doc.Db();
    const std::vector<int> panels = Numbers(db, "Panels", {}, "Panel Number");
    if (panels.empty()) return;
    const int p = panels[Pick(int(panels.size()))];
    const int view = Pick(4);
    if (view == 0) editor_.Show({});
    if (view == 1) editor_.Show({site::DetailView::kPanel, p, 0});
    if (view == 2) editor_.Show({site::DetailView::kOutputs, p, 0});
    if (view == 3) editor_.Show({site::DetailView::kDevices, p, 1});
  }

  int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }

 private:
  static action::Action Make(const char* name, const QJsonObject& params) {
    action::Action a;
    a.name = name;
    a.params = params;
    return a;
  }
  static QJsonObject With(QJsonObject o, const char* key, const QJsonValue& value) {
    o.insert(key, value);
    return o;
  }
  QString Entry(const QStringList& entries) {
    if (entries.isEmpty() || Pick(20) == 0) return QStringLiteral("No such entry");
    return entries[Pick(int(entries.size()))];
  }
  static std::vector<int> Numbers(site::Database& db, const QString& table,
                                  const site::Filter& filter, const QString& column) {
    std::vector<int> numbers;
    const int c = db.ColumnIndex(table, column);
    for (const site::Row& row : db.Select(table, filter))
      numbers.push_back(int(electrical::IntAt(row, c)));
    return numbers;
  }

  action::Editor& editor_;
  std::mt19937 rng_;
};

}  // namespace velmora::testing
