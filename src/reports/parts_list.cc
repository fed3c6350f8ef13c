#include "reports/parts_list.h"

#include <QHash>
#include <QPair>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "catalogue/panel_spec.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "reports/print_store.h"
#include "site/cables.h"

namespace velmora::reports {
namespace {

using electrical::BoolAt;
using electrical::IntAt;
using electrical::TextAt;
using i18n::Msg;

using VariantKey = QPair<qint64, qint64>;  // panel type, housing

// The model code a panel's Battery text names: what follows "=> ". A panel whose housing is
// too small still needs its batteries (they go into the battery box), so that note is not part
// of the code; a panel without a suitable battery has no "=>" and names none.
QString BatteryModelOf(const QString& battery) {
  const int arrow = battery.indexOf('>');
  if (arrow < 0) return QString();
  QString model = battery.mid(arrow + 2);
  const QString box_note = " - " + i18n::Text(Msg::kBatteryBoxRequired);
  if (model.endsWith(box_note)) model.chop(box_note.size());
  return model;
}

}  // namespace

void BuildPartsList(SiteData& data, site::Database& print, const i18n::Settings& settings) {
  site::Transaction transaction(&print);
  print.DeleteWhere("PartsList");
  TierWriter out(print, "PartsList");
  auto add = [&out](const QString& quantity, const QString& part) {
    out.Add(1, quantity, "X", part);
  };

  const QString country = settings.CountryCode();
  site::Database& doc = data.doc.Db();
  const site::SiteColumns& c = data.Cols();
  const std::vector<site::Row> panels = doc.Select("Panels");
  // The catalogue of the site's own sales channel (its rows and those for every channel),
  // whatever another view of the catalogue shows: counting over the unrestricted table would
  // list a panel once for every channel that sells its variant.
  const std::vector<catalogue::Variant>& variants = data.Variants();

  QHash<VariantKey, int> panels_of_variant;
  for (const site::Row& row : panels)
    ++panels_of_variant[{IntAt(row, c.panels.type), IntAt(row, c.panels.housing)}];
  QHash<VariantKey, std::vector<const catalogue::Variant*>> variants_of;
  for (const catalogue::Variant& v : variants) {
    if (!v.type_id || !v.housing_id) continue;
    const VariantKey key{*v.type_id, *v.housing_id};
    variants_of[key].push_back(&v);
    const int count = panels_of_variant.value(key);
    if (count > 0) add(QString::number(count), v.panel_code + "-" + country);
  }

  // Option boards that are not standard on the panel's variant. A variant offered for every
  // channel is stored with the channel "All", so that counts as the panel's own channel.
  for (int i = 0; i < int(c.panels.options.size()); ++i) {
    if (c.panels.options[i] < 0) continue;
    int count = 0;
    QString part;
    for (const site::Row& panel : panels) {
      if (!BoolAt(panel, c.panels.options[i])) continue;
      const QString channel = TextAt(panel, c.panels.channel);
      for (const catalogue::Variant* v :
           variants_of.value({IntAt(panel, c.panels.type), IntAt(panel, c.panels.housing)})) {
        if (v->sales_channel != channel && v->sales_channel != u"All") continue;
        // Standard is what the cell's first three characters say; the group digit after them
        // does not make a standard board an optional one.
        if (v->OptionAvailability(i) == catalogue::Availability::kStandard) continue;
        ++count;
        part = v->option_parts.value(i);
        break;
      }
    }
    if (count > 0) add(QString::number(count), part);
  }

  // Devices: each panel's rows against the device table of its own protocol, the tables in the
  // order the panels first use them, each table's devices in its order.
  QHash<qint64, int> protocol_of_panel;
  std::vector<int> protocols;
  for (const site::Row& panel : panels) {
    const int protocol = electrical::LastTrueFlag(panel, c.panels.protocols);
    protocol_of_panel.insert(IntAt(panel, c.panels.number), protocol);
    if (std::find(protocols.begin(), protocols.end(), protocol) == protocols.end())
      protocols.push_back(protocol);
  }
  QHash<QPair<int, QString>, qint64> quantity_of;  // (protocol, code)
  for (const site::Row& row : doc.Select("Devices")) {
    const int protocol = protocol_of_panel.value(IntAt(row, c.devices.panel), -1);
    quantity_of[{protocol, TextAt(row, c.devices.sub_type)}] += IntAt(row, c.devices.quantity);
  }
  for (int protocol : protocols) {
    if (protocol < 0) continue;
    for (const catalogue::Device& device : data.catalogue.ProtocolDevices(protocol).Devices()) {
      const qint64 quantity = quantity_of.value({protocol, device.code});
      if (quantity > 0) add(QString::number(quantity), device.code);
    }
  }

  // Two batteries per panel, by model; the panels whose batteries need a box of their own.
  QHash<QString, int> batteries_of_model;
  int boxes = 0;
  const QString box_note = " - " + i18n::Text(Msg::kBatteryBoxRequired);
  for (const site::Row& row : panels) {
    const QString battery = TextAt(row, c.panels.battery);
    batteries_of_model[BatteryModelOf(battery)] += 2;
    if (battery.endsWith(box_note)) ++boxes;
  }
  for (const QString& model : data.catalogue.BatteryModels()) {
    const int count = batteries_of_model.value(model);
    if (count > 0 && !model.isEmpty()) add(QString::number(count), model);
  }
  // The catalogue has no part number for the box: the line says that one is needed.
  if (boxes > 0)
    add(QString::number(boxes), i18n::Tr(N_("Battery box (no part number in the catalogue)")));

  // Cable metres by cross-section, for the loops that have devices: an empty loop is not laid.
  QHash<QPair<qint64, qint64>, qint64> devices_of_loop;
  for (const site::Row& row : doc.Select("Devices"))
    devices_of_loop[{IntAt(row, c.devices.panel), IntAt(row, c.devices.loop)}] +=
        IntAt(row, c.devices.quantity);
  qint64 metres[site::kCableCount] = {};
  for (const site::Row& row : doc.Select("Loops")) {
    if (electrical::IsEmptyAt(row, c.loops.cable)) continue;
    if (devices_of_loop.value({IntAt(row, c.loops.panel), IntAt(row, c.loops.number)}) <= 0)
      continue;
    const qint64 cable = IntAt(row, c.loops.cable);
    if (site::CableAt(cable)) metres[cable] += IntAt(row, c.loops.length);
  }
  for (int k = 0; k < site::kCableCount; ++k) {
    if (metres[k] > 0)
      add(QString::number(metres[k]) + "m",
          i18n::Tr(site::kCables[k].text) + " " + i18n::Text(Msg::kCable));
  }

  // Notes under the list (rows of panel 0): what the list could not say by itself.
  if (country.isEmpty() && !panels.empty()) {
    TierWriter notes(print, "PartsList");
    notes.Add(0, QString(), QString(),
              i18n::Tr(N_("The country code is not set, so the panel part numbers end without "
                          "it. Set it in Settings > Options, on the page \"Site defaults\".")));
  }
  transaction.Commit();
}

}  // namespace velmora::reports
