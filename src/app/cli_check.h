#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

#include "electrical/loop_profile.h"
#include "electrical/site_data.h"

namespace velmora::app {

// Brings every stored result of the site up to date, as any change of the program does.
void RecalculateSite(SiteData& data);

struct LoopCheck {
  int number = 0;
  double quiescent = 0;
  double alarm = 0;
  double drop = 0;
  QString status;
  QStringList codes;  // "E01" ... of the loop's check
  bool ok = true;
  // The voltage along the loop, advisory only; none when its protocol gives no lowest voltage.
  std::optional<electrical::LoopProfile> profile;
};

struct OutputCheck {
  int number = 0;
  QString name;
  qint64 max = 0;
  double quiescent = 0;
  double alarm = 0;
};

struct PanelCheck {
  int number = 0;
  QString name;
  QString quiescent_panel;
  QString alarm_panel;
  QString quiescent_total;
  QString alarm_total;
  QString battery_capacity;
  QString battery;
  QString loop_loads;
  bool psu_ok = true;
  std::vector<LoopCheck> loops;
  std::vector<OutputCheck> outputs;
};

struct SiteCheck {
  std::vector<std::pair<QString, QVariant>> site;  // the Site row, column by column
  std::vector<PanelCheck> panels;
  bool Passed() const;
};

// The stored results, read back as they are, with the reasons of every loop's check; with
// `technical_detail` each loop's status carries its drop.
SiteCheck ReadSiteCheck(SiteData& data, bool technical_detail = false);

}  // namespace velmora::app
