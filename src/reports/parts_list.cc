#include "reports/parts_list.h"

#include <QHash>
#include <QPair>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "catalogue/panel_spec.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "loop/loop_form_model.h"
#include "reports/print_store.h"
#include "site/table.h"

namespace velmora::reports {
namespace {

using electrical::BoolAt;
using electrical::IntAt;
using electrical::RowSet;
using electrical::TextAt;
using i18n::Msg;

constexpr int kCableCount = loop::LoopFormModel::kCableCount;

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

void BuildPartsList(Run& run, site::Database& print, const i18n::Settings& settings) {
  site::Transaction transaction(&print);
  print.DeleteWhere("PartsList");
  TierWriter out(print, "PartsList");
  auto add = [&out](const QString& quantity, const QString& part) {
    out.Add(1, quantity, "X", part);
  };

  const QString country = settings.CountryCode();
  site::Database& doc = run.doc.Db();
  RowSet panels(doc, "Panels");
  const int p_type = panels.Col("Panel Type");
  const int p_housing = panels.Col("Housing Type");
  const int p_channel = panels.Col("SalesChannel");
  const int p_battery = panels.Col("Battery");

  // The compatibility rows as the rest of the program sees them: the site's sales channel and
  // the rows for every channel. Counting over the unrestricted table would list a panel once
  // for every channel that sells its variant.
  site::Table& spec = run.catalogue.PanelSpec();
  const std::vector<site::Row>& spec_rows = spec.Rows();
  const int s_id1 = spec.FieldIndex("ID1");
  const int s_id2 = spec.FieldIndex("ID2");
  const int s_code = spec.FieldIndex("Panel Code");
  const int s_channel = spec.FieldIndex("SalesChannel");

  QHash<VariantKey, int> panels_of_variant;
  for (const site::Row& row : panels.Rows())
    ++panels_of_variant[{IntAt(row, p_type), IntAt(row, p_housing)}];
  QHash<VariantKey, std::vector<const site::Row*>> spec_of_variant;
  for (const site::Row& row : spec_rows) {
    const VariantKey key{IntAt(row, s_id1), IntAt(row, s_id2)};
    spec_of_variant[key].push_back(&row);
    const int count = panels_of_variant.value(key);
    if (count > 0) add(QString::number(count), TextAt(row, s_code) + "-" + country);
  }

  // Option boards that are not standard on the panel's variant. A variant offered for every
  // channel is stored with the channel "All", so that counts as the panel's own channel.
  const int options = electrical::CountColumnsWithPrefix(doc, "Panels", "Opt");
  for (int i = 0; i < options; ++i) {
    const int p_opt = panels.Col(QString("Opt%1").arg(i));
    const int s_opt = spec.FieldIndex(QString("Opt%1").arg(i));
    const int s_part = spec.FieldIndex(QString("Part%1").arg(i));
    if (p_opt < 0 || s_opt < 0) continue;
    int count = 0;
    QString part;
    for (const site::Row& panel : panels.Rows()) {
      if (!BoolAt(panel, p_opt)) continue;
      const QString channel = TextAt(panel, p_channel);
      for (const site::Row* row :
           spec_of_variant.value({IntAt(panel, p_type), IntAt(panel, p_housing)})) {
        const QString row_channel = TextAt(*row, s_channel);
        if (row_channel != channel && row_channel != "All") continue;
        // Standard is what the cell's first three characters say; the group digit after them
        // does not make a standard board an optional one.
        if (catalogue::AvailabilityOf(TextAt(*row, s_opt)) == catalogue::Availability::kStandard)
          continue;
        ++count;
        part = TextAt(*row, s_part);
        break;
      }
    }
    if (count > 0) add(QString::number(count), part);
  }

  // Devices of the open device table, counted over the whole site.
  RowSet devices(doc, "Devices");
  const int d_code = devices.Col("DeviceSub-Type");
  const int d_quantity = devices.Col("DeviceQuantity");
  QHash<QString, qint64> quantity_of_code;
  for (const site::Row& row : devices.Rows())
    quantity_of_code[TextAt(row, d_code)] += IntAt(row, d_quantity);
  for (const catalogue::Device& device : catalogue::AllDevices(run.catalogue)) {
    const qint64 quantity = quantity_of_code.value(device.code);
    if (quantity > 0) add(QString::number(quantity), device.code);
  }

  // Two batteries per panel, by model.
  QHash<QString, int> batteries_of_model;
  for (const site::Row& row : panels.Rows())
    batteries_of_model[BatteryModelOf(TextAt(row, p_battery))] += 2;
  for (const QString& model : run.catalogue.BatteryModels()) {
    const int count = batteries_of_model.value(model);
    if (count > 0 && !model.isEmpty()) add(QString::number(count), model);
  }

  // Cable metres by cross-section.
  RowSet loops(doc, "Loops");
  const int l_cable = loops.Col("CableSpec");
  const int l_length = loops.Col("Length");
  qint64 metres[kCableCount] = {};
  for (const site::Row& row : loops.Rows()) {
    if (electrical::IsEmptyAt(row, l_cable)) continue;
    const qint64 cable = IntAt(row, l_cable);
    if (cable >= 0 && cable < kCableCount) metres[cable] += IntAt(row, l_length);
  }
  for (int c = 0; c < kCableCount; ++c) {
    if (metres[c] > 0)
      add(QString::number(metres[c]) + "m",
          i18n::Tr(loop::LoopFormModel::CableText(c)) + " " + i18n::Text(Msg::kCable));
  }
  transaction.Commit();
}

}  // namespace velmora::reports
