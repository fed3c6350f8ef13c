#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "electrical/voltage_profile.h"

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// The voltage profile of one stored loop with what is shown beside it. Advisory only: nothing of
// it is stored, and the loop's status stays the overload check's.
struct LoopProfile {
  ProfileInput input;
  VoltageProfile profile;
  SectionAdvisory sections;
  // The overload check's one voltage for every device, the protocol's lowest voltage less the
  // stored drop.
  double lumped_u = 0;
  // Per device row in stored order: its type and sub-type, for naming a device.
  std::vector<QString> row_names;

  // Some device falls below its own lowest operating voltage, fed from both ends or broken.
  bool VoltageAdvisory() const { return !profile.MinimumsKept(); }
  bool AnyAdvisory() const { return VoltageAdvisory() || sections.exceeded; }
  // "Device 17 (OD - 55000-600)": a device by its place along the loop, counted from 1.
  QString DeviceName(int device) const;
};

// The profile of loop l of panel p from its Loops row (length, cable, distribution, alarm
// indicators, drop), its device rows in stored order with the currents and LowestV of the last
// recalculation, and the lowest voltage of the panel's protocol. None when the loop row is
// missing, the panel has no protocol with a lookup row, or the loop holds more devices than any
// loop can.
std::optional<LoopProfile> LoopProfileOf(Run& run, int panel, int loop);

// The advisories of a loop as texts for the status column, in the language of the run; empty
// when there are none.
QStringList AdvisoryTexts(const LoopProfile& loop);

}  // namespace velmora::electrical
