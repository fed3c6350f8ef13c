#include "electrical/site_rows.h"

namespace velmora::electrical {

RowSet::RowSet(site::Database& db, QString table, const site::Filter& filter)
    : db_(&db), table_(std::move(table)), rows_(db.Select(table_, filter)) {}

bool SameCell(const QVariant& a, const QVariant& b) {
  const bool a_empty = site::IsEmptyCell(a);
  const bool b_empty = site::IsEmptyCell(b);
  if (a_empty || b_empty) return a_empty == b_empty;
  if (site::IsNumberValue(a) && site::IsNumberValue(b)) return a.toDouble() == b.toDouble();
  if (site::IsNumberValue(a) != site::IsNumberValue(b)) return false;
  return a.toString() == b.toString();
}

void RowEdit::Set(int column, const QVariant& value) {
  if (column < 0 || column >= int(row_.values.size())) return;
  if (SameCell(row_.values[column], value)) return;
  row_.values[column] = value;
  for (auto& change : changes_) {
    if (change.first == column) {
      change.second = value;
      return;
    }
  }
  changes_.emplace_back(column, value);
}

int RowEdit::Store() {
  if (changes_.empty()) return 0;
  db_.Update(table_, row_.rowid, changes_);
  const int written = int(changes_.size());
  changes_.clear();
  return written;
}

const QVariant& CellAt(const site::Row& row, int column) {
  static const QVariant kEmpty;
  if (column < 0 || column >= int(row.values.size())) return kEmpty;
  return row.values[column];
}

site::Filter PanelKey(int panel) { return site::Filter::Equals("Panel Number", panel); }
site::Filter LoopsOfPanel(int panel) { return site::Filter::Equals("PanelNumber", panel); }
site::Filter LoopKey(int panel, int loop) {
  return site::Filter::Equals("PanelNumber", panel).And("LoopNumber", loop);
}
site::Filter DevicesOfLoop(int panel, int loop) {
  return site::Filter::Equals("Panel", panel).And("Loop", loop);
}
site::Filter RowsOfPanel(int panel) { return site::Filter::Equals("Panel", panel); }

void AppendBlankDeviceRow(site::Database& db, const site::DeviceColumns& c, int panel, int loop) {
  db.Insert("Devices", {{c.panel, qint64(panel)},
                        {c.loop, qint64(loop)},
                        {c.quantity, qint64(0)},
                        {c.type_code, qint64(0)},
                        {c.sub_type, QStringLiteral(" ")},
                        {c.unit_q, 0.0},
                        {c.row_q, 0.0},
                        {c.unit_a, 0.0},
                        {c.row_a, 0.0}});
}

int LastTrueFlag(const site::Row& row, const std::vector<int>& family) {
  int last = -1;
  for (int i = 0; i < int(family.size()); ++i) {
    if (family[i] >= 0 && BoolAt(row, family[i])) last = i;
  }
  return last;
}

}  // namespace velmora::electrical
