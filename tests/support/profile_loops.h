#pragma once

#include <QString>

#include "electrical/loop_profile.h"
#include "electrical/voltage_profile.h"

namespace velmora::testing {

// A loop as a designer might enter it, with its profile worked out: 1040 m of 0.8 mm² cable
// (23 ohm/km), devices spread from 30 m, 20 V from the protocol, ten alarm indicators. The
// detectors in alarm and the sounders come first along the cable, so a break beside the first
// terminal, which feeds them over the whole loop from its far end, takes them below their 17 V,
// while the overload check's one voltage passes and fed from both ends every device keeps its
// minimum with room to spare.
inline electrical::LoopProfile DesignedLoop() {
  const std::vector<electrical::ProfileDeviceRow> rows = {
      {12, 1, 0.3, 6.0, 12 * 6.0, 17.0},  // OD
      {4, 12, 1.0, 9.0, 4 * 9.0, 17.0},   // SD
      {1, 33, 0.1, 5.0, 5.0, 17.0},       // ISO
      {10, 2, 0.3, 6.0, 10 * 6.0, 17.0},  // HD
      {6, 10, 0.25, 2.5, 6 * 2.5, 16.0},  // MCP
      {1, 33, 0.1, 5.0, 5.0, 17.0},       // ISO
      {6, 1, 0.3, 6.0, 6 * 6.0, 17.0},    // OD
  };
  electrical::LoopProfile loop;
  loop.input.length = 1040;
  loop.input.resistance = 23;
  loop.input.one_location = false;
  loop.input.first_distance = 30;
  loop.input.supply_v = 20;
  loop.input.devices = *electrical::ExpandAlarmCurrents(rows, 10);
  loop.profile = electrical::CalculateVoltageProfile(loop.input);
  loop.sections = electrical::DevicesPerSection(loop.input.devices);
  // The overload check's figure for this loop: the whole alarm current over half the cable.
  double alarm = 0;
  for (const electrical::ProfileDevice& d : loop.input.devices) alarm += d.alarm_current;
  loop.lumped_u = loop.input.supply_v - 2.0 * 520 * 23 / 1000 * alarm / 1000;
  loop.row_names = {"OD - HV-OD220",  "SD - HV-SD220",  "ISO - HV-IS220", "HD - HV-HD220",
                    "MCP - HV-CP220", "ISO - HV-IS220", "OD - HV-OD220"};
  return loop;
}

}  // namespace velmora::testing
