#include "electrical/site_rows.h"

#include <cmath>

#include "catalogue/catalogue.h"
#include "electrical/run.h"
#include "site/store_error.h"

namespace velmora::electrical {
namespace {

bool SameCell(const QVariant& a, const QVariant& b) {
  const bool a_empty = a.isNull() || !a.isValid();
  const bool b_empty = b.isNull() || !b.isValid();
  if (a_empty || b_empty) return a_empty == b_empty;
  if (site::IsNumberValue(a) && site::IsNumberValue(b)) return a.toDouble() == b.toDouble();
  if (site::IsNumberValue(a) != site::IsNumberValue(b)) return false;
  return a.toString() == b.toString();
}

// The store's reading of a restriction: terms joined by And bind tighter than Or.
bool Matches(RowSet& set, const site::Row& row, const site::Filter& filter) {
  if (filter.IsEmpty()) return true;
  bool any_group = false;
  bool group = true;
  for (const site::Filter::Term& term : filter.Terms()) {
    if (term.or_before) {
      any_group = any_group || group;
      group = true;
    }
    const QVariant& cell = CellAt(row, set.Col(term.column));
    group = group && !IsEmptyAt(row, set.Col(term.column)) &&
            site::CompareValues(cell, term.value) == 0;
  }
  return any_group || group;
}

int LastTrueFlag(RowSet& set, const site::Row& row, const QString& prefix, const QString& name) {
  const int count = CountColumnsWithPrefix(set.Db(), set.Table(), prefix);
  int last = -1;
  for (int i = 0; i < count; ++i) {
    const int column = set.Col(name + QString::number(i));
    if (column >= 0 && BoolAt(row, column)) last = i;
  }
  return last;
}

}  // namespace

RowSet::RowSet(site::Database& db, QString table, const site::Filter& filter)
    : db_(&db), table_(std::move(table)), rows_(db.Select(table_, filter)) {}

RowSet RowSet::IfPresent(site::Database& db, QString table, const site::Filter& filter) {
  RowSet set(db, std::move(table), Unread{});
  try {
    set.rows_ = db.Select(set.table_, filter);
  } catch (const site::StoreError&) {
    set.present_ = false;
    set.rows_.clear();
  }
  return set;
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

void RowEdit::Store() {
  if (changes_.empty()) return;
  set_.Db().Update(set_.Table(), row_.rowid, changes_);
  changes_.clear();
}

const QVariant& CellAt(const site::Row& row, int column) {
  static const QVariant kEmpty;
  if (column < 0 || column >= int(row.values.size())) return kEmpty;
  return row.values[column];
}

bool IsEmptyAt(const site::Row& row, int column) {
  const QVariant& v = CellAt(row, column);
  return v.isNull() || !v.isValid();
}

double RealAt(const site::Row& row, int column) {
  const QVariant& v = CellAt(row, column);
  if (v.isNull() || !v.isValid()) return 0.0;
  if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toDouble();
  return v.toDouble();
}

qint64 IntAt(const site::Row& row, int column) {
  const QVariant& v = CellAt(row, column);
  if (v.isNull() || !v.isValid()) return 0;
  if (v.typeId() == QMetaType::Double) return qint64(std::llround(v.toDouble()));
  if (v.typeId() == QMetaType::QString) {
    bool ok = false;
    const QString text = v.toString().trimmed();
    const qint64 n = text.toLongLong(&ok);
    if (ok) return n;
    const double d = text.toDouble(&ok);
    return ok ? qint64(std::llround(d)) : 0;
  }
  return v.toLongLong();
}

QString TextAt(const site::Row& row, int column) {
  const QVariant& v = CellAt(row, column);
  if (v.isNull() || !v.isValid()) return QString();
  if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
  return v.toString();
}

bool BoolAt(const site::Row& row, int column) {
  const QVariant& v = CellAt(row, column);
  if (v.isNull() || !v.isValid()) return false;
  if (v.typeId() == QMetaType::QString) {
    const QString text = v.toString().trimmed();
    if (text.compare("true", Qt::CaseInsensitive) == 0) return true;
    if (text.compare("false", Qt::CaseInsensitive) == 0) return false;
    return text.toDouble() != 0.0;
  }
  return v.toDouble() != 0.0;
}

bool HasLoopFlag(const RowSet& loops) { return loops.Col("OKBoolean") >= 0; }

bool HasPanelFlags(const RowSet& panels) {
  return panels.Col("OKBooleanLoops") >= 0 && panels.Col("OKBooleanPSU") >= 0;
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

int CountColumnsWithPrefix(site::Database& db, const QString& table, const QString& prefix) {
  int count = 0;
  for (const site::Column& column : db.Columns(table)) {
    if (column.name.startsWith(prefix, Qt::CaseSensitive)) ++count;
  }
  return count;
}

int ProtocolIndexOfPanel(RowSet& panels, const site::Row& row) {
  return LastTrueFlag(panels, row, "Pro", "Prot");
}

int PowerSupplyIndexOfPanel(RowSet& panels, const site::Row& row) {
  return LastTrueFlag(panels, row, "Psu", "PSU");
}

int PanelProtocolIndex(Run& run, int panel) {
  RowSet panels(run.doc.Db(), "Panels", PanelKey(panel));
  const site::Row* row = panels.First();
  return row == nullptr ? -1 : ProtocolIndexOfPanel(panels, *row);
}

QString ProtocolKeyOfPanel(Run& run, int panel) {
  const int index = PanelProtocolIndex(run, panel);
  return index < 0 ? QString() : QStringLiteral("Prot") + QString::number(index);
}

RowSet SpecRowsOf(Run& run, qint64 type, qint64 housing) {
  site::Table& view = run.catalogue.PanelSpec();
  RowSet spec = RowSet::IfPresent(run.catalogue.DataDb(), view.Name(),
                                  site::Filter::Equals("ID1", type).And("ID2", housing));
  if (view.Filtered()) {
    const site::Filter restriction = view.GetFilter();
    std::erase_if(spec.Rows(),
                  [&](const site::Row& row) { return !Matches(spec, row, restriction); });
  }
  return spec;
}

}  // namespace velmora::electrical
