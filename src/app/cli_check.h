#pragma once

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace velmora {
struct Run;
}

namespace velmora::app {

// Brings every stored result of the site up to date, in the order the program itself keeps
// them: for each panel, with its protocol's device table, the currents of every device row,
// each loop's totals and overload check, the panel's loop status; then the summaries of every
// panel (currents, supply check, battery, status text). The device table that was open before
// is open again afterwards.
void RecalculateSite(Run& run);

struct LoopCheck {
  int number = 0;
  double quiescent = 0;
  double alarm = 0;
  double drop = 0;
  QString status;
  bool ok = true;
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

// The stored results, read back as they are.
SiteCheck ReadSiteCheck(Run& run);

}  // namespace velmora::app
