#include "loop/outputs.h"

#include <cmath>

#include "electrical/number_format.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"

namespace velmora::loop {

// The largest current any output may be given, mA: far above any output's maximum.
constexpr double kLargestCurrent = 1.0e6;

Outcome SetOutputCurrents(SiteData& data, int panel, int output, std::optional<double> quiescent,
                          std::optional<double> alarm) {
  const site::OutputColumns& c = data.Cols().outputs;
  std::vector<site::Row> rows =
      data.doc.Db().Select("Outputs", electrical::RowsOfPanel(panel).And("OutputNumber", output));
  if (rows.empty())
    return Outcome::Refused(i18n::Tr(N_("Panel %1 has no output %2.")).arg(panel).arg(output));
  site::Row& row = rows.front();
  for (const std::optional<double>& current : {quiescent, alarm}) {
    if (!current) continue;
    if (!std::isfinite(*current) || *current < 0 || *current > kLargestCurrent)
      return Outcome::Refused(i18n::Tr(N_("An output current is a number from 0 to %1 mA."))
                                  .arg(electrical::GeneralNumber(kLargestCurrent)));
    // "current > MAX" as the store compares: an empty maximum is smaller than any current.
    const bool above =
        electrical::IsEmptyAt(row, c.max) || *current > electrical::RealAt(row, c.max);
    if (above)
      return Outcome::Refused(
          i18n::Text(i18n::Msg::kSystemSpecificationExceeded) + "\n" +
          i18n::Tr(N_("%1 carries at most %2 mA."))
              .arg(electrical::TextAt(row, c.name), electrical::TextAt(row, c.max)));
  }
  electrical::RowEdit edit(data.doc.Db(), "Outputs", row);
  if (quiescent) edit.Set(c.quiescent, *quiescent);
  if (alarm) edit.Set(c.alarm, *alarm);
  edit.Store();
  return {};
}

}  // namespace velmora::loop
