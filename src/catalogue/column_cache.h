#pragma once

#include <array>
#include <initializer_list>

#include "site/table.h"

namespace velmora::catalogue {

// Column positions of a fixed list of names in whatever table a reader is given, kept between
// calls. The readers run many times per edit and resolving names is the larger part of their
// cost. A kept position is used only while the table's column at that position still carries
// the name, so a different table or a changed layout is resolved afresh.
template <int N>
class ColumnCache {
 public:
  explicit ColumnCache(std::array<const char*, N> names) : names_(names) { at_.fill(-1); }

  // Positions for the table, -1 where it has no such column.
  const std::array<int, N>& Resolve(site::Table& table) {
    const std::vector<site::Column>& columns = table.Columns();
    bool valid = resolved_ && int(columns.size()) == size_;
    for (int i = 0; valid && i < N; ++i) {
      valid = at_[i] >= 0
                  ? columns[at_[i]].name.compare(QLatin1String(names_[i]), Qt::CaseInsensitive) == 0
                  : table.FieldIndex(names_[i]) < 0;
    }
    if (!valid) {
      for (int i = 0; i < N; ++i) at_[i] = table.FieldIndex(names_[i]);
      size_ = int(columns.size());
      resolved_ = true;
    }
    return at_;
  }

 private:
  std::array<const char*, N> names_;
  std::array<int, N> at_;
  int size_ = 0;
  bool resolved_ = false;
};

}  // namespace velmora::catalogue
