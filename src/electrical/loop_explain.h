#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "electrical/calc.h"
#include "electrical/recalculation.h"

namespace velmora::electrical {

// What the checks found put in words and numbers a designer can act on: why a loop is
// overloaded and by how much, how much room a loop or a supply has left, and how close to a
// limit it runs. Pure functions of the check's inputs and results; the texts are translated and
// the numbers written in the language of the run.

// A loop or a supply that uses this share of a limit or more is near it, per cent.
inline constexpr double kNearLimitPercent = 90.0;

// How a loop, a supply or a panel stands against its limits, in rising order of concern. Near a
// limit is only a mark of the views; the stored status of a passing loop stays "Loop OK".
enum class Standing { kOk = 0, kNearLimit = 1, kOverloaded = 2 };

// The share of each limit of its protocol that a loop uses, in per cent, and the voltage left at
// its devices. A limit that is not known, or is none (ResistanceToDevice 0), has no share.
struct LoopHeadroom {
  std::optional<double> current;           // alarm current of the maximum loop current (E04)
  std::optional<double> voltage;           // drop of the drop its devices allow (E01)
  std::optional<double> first_resistance;  // resistance to the first device of its limit (E02)
  double total_resistance = 0.0;           // loop resistance of the fixed 52 ohm (E03)
  std::optional<double> left;              // voltage left at the devices, V
  std::optional<double> needed;            // the highest lowest voltage of its devices, V
};
LoopHeadroom HeadroomOf(const LoopCheckInput& input, const LoopCheck& check);

// Overloaded when the check found a reason; near the limit when the loop passes but uses 90 % or
// more of one of its limits.
Standing StandingOf(const LoopCheck& check, const LoopHeadroom& headroom);
Standing StandingOf(const LoopResult& loop);

// What one code means for this loop, in its numbers.
struct LoopReason {
  QString code;  // "E04"
  QString text;  // "E04: alarm current 412.5 mA, at or above the limit of 400 mA"
};
std::vector<LoopReason> ExplainReasons(const LoopCheckInput& input, const LoopCheck& check);

// The limits a loop uses 90 % or more of without exceeding them, one line each.
QStringList NearLimits(const LoopCheckInput& input, const LoopCheck& check,
                       const LoopHeadroom& headroom);

// The headroom in one line: the use of the protocol's current limit and the voltage left at the
// devices ("Current 93 % of the limit (372.0 of 400 mA), 2.345 V left at the devices").
QString HeadroomText(const LoopCheckInput& input, const LoopHeadroom& headroom);

// A share in whole per cent, cut rather than rounded so that 89.9 % never reads as 90 %.
QString PercentText(double percent);

// The lines that say why a loop stands as it does: its reasons when overloaded, the limits it is
// near otherwise; none for a loop with room to spare.
QStringList LoopExplanation(const LoopResult& loop);

// A panel's supply: overloaded when a total is above its limit, near when one reaches 90 % of
// it; a panel without a supply or without catalogue data has no supply limits to stand against.
Standing SupplyStanding(const PanelResult& panel);
// Each total against the supply's limit ("Quiescent total 480 mA: 96 % of the supply's 500 mA").
QStringList SupplyExplanation(const PanelResult& panel);

// A panel stands as the worst of its supply and its loops.
Standing PanelStanding(const Recalculation& found, int panel);

}  // namespace velmora::electrical
