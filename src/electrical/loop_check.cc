#include "electrical/loop_check.h"

#include <optional>

#include "catalogue/catalogue.h"
#include "catalogue/lookup.h"
#include "catalogue/panel_spec.h"
#include "electrical/loop_log.h"
#include "electrical/number_format.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"

namespace velmora::electrical {
namespace {

using i18n::Msg;

QString YesNo(bool yes) { return yes ? QStringLiteral("YES") : QStringLiteral("NO"); }

struct ProtocolLimits {
  std::optional<catalogue::Protocol> lookup;  // the protocol's lookup row
  std::optional<double> max_current;          // Imax from the variant's protocol cell, mA
};

ProtocolLimits LimitsOfPanel(Run& run, int panel) {
  ProtocolLimits limits;
  RowSet panels(run.doc.Db(), "Panels", PanelKey(panel));
  const site::Row* row = panels.First();
  if (row == nullptr) return limits;
  const int index = ProtocolIndexOfPanel(panels, *row);
  if (index < 0) return limits;
  const QString key = QStringLiteral("Prot") + QString::number(index);
  RowSet spec = SpecRowsOf(run, IntAt(*row, panels.Col("Panel Type")),
                           IntAt(*row, panels.Col("Housing Type")));
  if (const site::Row* spec_row = spec.First()) {
    if (const auto current = catalogue::ProtocolMaxLoopCurrent(TextAt(*spec_row, spec.Col(key))))
      limits.max_current = double(*current);
  }
  limits.lookup = catalogue::ProtocolOfKey(run.catalogue.Translation(), key);
  return limits;
}

}  // namespace

bool CheckLoopOverload(Run& run, int panel, int loop) {
  LoopLog log;
  log.Line("Checking Loop Overload");
  log.Blank();

  const ProtocolLimits limits = LimitsOfPanel(run, panel);
  std::optional<double> lowest_v;
  std::optional<double> max_first;
  if (limits.lookup) {
    lowest_v = limits.lookup->lowest_v;
    max_first = limits.lookup->resistance_to_device;
    log.Line("Protocol = " + limits.lookup->name);
    log.Value("Protocol Max Loop Current", limits.max_current);
    log.Value("Protocol Lowest V", lowest_v);
    log.Value("Protocol Max Resistence to First Device", max_first);
  }
  log.Blank();

  site::Database& db = run.doc.Db();
  RowSet loops(db, "Loops", LoopKey(panel, loop));
  site::Row* loop_row = loops.First();
  if (loop_row == nullptr) {
    log.Write(run);
    return true;
  }
  const bool one_location = BoolAt(*loop_row, loops.Col("OneLocation"));
  const qint64 one_location_length = IntAt(*loop_row, loops.Col("OneLocationLength"));
  const qint64 spread_length = IntAt(*loop_row, loops.Col("SpreadLength"));
  const qint64 length = IntAt(*loop_row, loops.Col("Length"));
  const double resistance = RealAt(*loop_row, loops.Col("Resistance"));
  const double quiescent = RealAt(*loop_row, loops.Col("QuiescentCurrent"));
  const int c_alarm = loops.Col("AlarmCurrent");
  const double alarm = RealAt(*loop_row, c_alarm);

  double piece;
  if (one_location) {
    piece =
        double(one_location_length > length - one_location_length ? one_location_length
                                                                  : length - one_location_length);
  } else {
    piece = RoundHalfEven(double(length) / 2.0);
  }
  const double r_first = one_location ? 2.0 * piece * resistance / 1000.0
                                      : 2.0 * double(spread_length) * resistance / 1000.0;
  const double r_device = 2.0 * piece * resistance / 1000.0;
  const double r_total = 2.0 * double(length) * resistance / 1000.0;
  const double drop_quiescent = r_device * quiescent;
  const double drop_alarm = r_device * alarm;
  const double drop = (drop_alarm > drop_quiescent ? drop_alarm : drop_quiescent) / 1000.0;
  std::optional<double> left;  // voltage left at the devices
  if (lowest_v) left = *lowest_v - drop;

  log.Value("Loop Longest Piece", piece);
  log.Value("Loop Resistance", resistance);
  log.Value("Loop Length", double(length));
  log.Value("Loop Resistance to First Device", r_first);
  log.Value("Loop Resistance to Device (2 x Length x Resistance / 1000)", r_device);
  log.Value("Loop Quiescent Current", quiescent);
  log.Value("Loop Drop Quiscent (Resistence to Device x Quiscent Current)", drop_quiescent);
  log.Value("Loop Quiescent Alarm", alarm);
  log.Value("Loop Drop Alarm (Resistence to Device x Alarm Current)", drop_alarm);
  log.Value("Loop Drop V (max between Drop Alarm and Drop Quiscent and divided by 1000", drop);
  log.Value("Loop Actual Drop (Protocol Lowest V - Loop Drop V)", left);
  log.Blank();

  bool e01 = false;
  RowSet devices(db, "Devices", DevicesOfLoop(panel, loop));
  const int c_lowest = devices.Col("LowestV");
  const int c_type_text = devices.Col("DeviceTypeText");
  const int c_sub_type = devices.Col("DeviceSub-Type");
  const int c_quantity = devices.Col("DeviceQuantity");
  for (const site::Row& row : devices.Rows()) {
    // An empty LowestV compares as smaller than any number.
    const bool has_lowest = !IsEmptyAt(row, c_lowest);
    const double device_lowest = RealAt(row, c_lowest);
    const bool fails = left && has_lowest && device_lowest > *left;
    e01 = e01 || fails;
    if (TextAt(row, c_type_text).trimmed().isEmpty() || TextAt(row, c_sub_type).trimmed().isEmpty())
      continue;
    const QString lowest_text = has_lowest ? GeneralNumber(device_lowest) : QString();
    log.Line("Checking device: " + TextAt(row, c_quantity) + " x " + TextAt(row, c_type_text) +
             " - " + TextAt(row, c_sub_type));
    log.Value("Device Lowest V", lowest_text);
    log.Line("Check Loop Overload as: Device Lowest V > Loop Actual Drop => " + lowest_text +
             " > " + LogNumber(left) + " ?");
    log.Line("Result: This Device Generates Loop Overload = " + YesNo(fails));
    log.Blank();
  }

  const bool e02 = max_first && *max_first != 0.0 && r_first > *max_first;
  const bool e03 = r_total > kMaxLoopResistance;
  // A loop without an alarm current never reaches the limit.
  const bool e04 =
      limits.max_current && !IsEmptyAt(*loop_row, c_alarm) && alarm >= *limits.max_current;

  log.Line("Final Overload Checks");
  log.Line(
      "Max Resistance To First Device <> 0 and Loop Resistence to First Device > Max Resistence "
      "To First Device");
  log.Line(LogNumber(max_first) + " <> 0 and " + GeneralNumber(r_first) + " > " +
           LogNumber(max_first));
  log.Line("Overload Result: " + YesNo(e02));
  log.Line("Total Loop Resistance > 52 (constant value)");
  log.Line(GeneralNumber(r_total) + " > 52");
  log.Line("Overload Result: " + YesNo(e03));
  log.Line("Loop Alarm Current >= Max Loop Current");
  log.Line(GeneralNumber(alarm) + " >= " + LogNumber(limits.max_current));
  log.Line("Overload Result: " + YesNo(e04));
  log.Blank();

  QString codes;
  if (e01) codes += " [E01]";
  if (e02) codes += " [E02]";
  if (e03) codes += " [E03]";
  if (e04) codes += " [E04]";
  const bool overloaded = !codes.isEmpty();
  log.Line("Final Result Loop Overloaded: " + YesNo(overloaded));

  QString status = overloaded ? i18n::Text(Msg::kLoopOverload) + codes : i18n::Text(Msg::kLoopOk);
  if (run.state.TechnicalDetail())
    status += " (" + FixedNumber(drop, 3).rightJustified(2, ' ') + "V)";

  RowEdit edit(loops, *loop_row);
  edit.Set(loops.Col("Drop"), drop);
  edit.Set(loops.Col("OK"), status);
  if (HasLoopFlag(loops)) edit.Set(loops.Col("OKBoolean"), qint64(overloaded ? 0 : 1));
  edit.Store();

  // One warning per new state, shared by every loop of the run.
  if (overloaded) {
    const QString message = i18n::Text(Msg::kLoop) + " " + QString::number(loop) + " : " +
                            i18n::Text(Msg::kLoopOverload) + codes;
    if (message != run.state.LastLoopStatus()) {
      run.state.SetLastLoopStatus(message);
      run.prompter.Warn(message);
    }
  } else {
    run.state.SetLastLoopStatus(status);
  }

  log.Write(run);
  return !overloaded;
}

}  // namespace velmora::electrical
