#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "electrical/voltage_profile.h"

namespace velmora {
struct SiteData;
}

namespace velmora::electrical {

struct LoopResult;

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

// The profile of a loop as a recalculation found it, so that its cable, distribution, device rows
// (their currents and LowestV from the panel's device table, in stored order) and the protocol's
// lowest voltage are exactly those its overload check used, and U is the check's. None when the
// protocol gives no lowest voltage or the loop holds more devices than any loop can.
std::optional<LoopProfile> ProfileOf(const LoopResult& loop);

// The profile of loop l of panel p as its rows stand, from a recalculation of the panel that
// writes nothing. None also when there is no such loop.
std::optional<LoopProfile> LoopProfileOf(SiteData& data, int panel, int loop);

// The advisories of a loop as texts for the status column, in the language of the run; empty
// when there are none.
QStringList AdvisoryTexts(const LoopProfile& loop);

}  // namespace velmora::electrical
