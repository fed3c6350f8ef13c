#include "electrical/output_check.h"

#include "electrical/run.h"
#include "electrical/site_rows.h"

namespace velmora::electrical {
namespace {

// "current > MAX" as the store compares: an empty value is smaller than any number.
bool Above(const site::Row& row, int c_current, int c_max) {
  if (IsEmptyAt(row, c_current)) return false;
  if (IsEmptyAt(row, c_max)) return true;
  return RealAt(row, c_current) > RealAt(row, c_max);
}

}  // namespace

bool CheckOutputCurrents(Run& run, int panel) {
  if (run.state.Loading()) return false;
  RowSet outputs(run.doc.Db(), "Outputs", RowsOfPanel(panel));
  const int c_max = outputs.Col("MAX");
  const int c_q = outputs.Col("QuiesentCurrent");
  const int c_a = outputs.Col("AlarmCurrent");
  bool exceeded = false;
  for (site::Row& row : outputs.Rows()) {
    RowEdit edit(outputs, row);
    if (Above(row, c_q, c_max)) {
      edit.Set(c_q, 0.0);
      exceeded = true;
    }
    if (Above(row, c_a, c_max)) {
      edit.Set(c_a, 0.0);
      exceeded = true;
    }
    edit.Store();
  }
  return exceeded;
}

}  // namespace velmora::electrical
