#pragma once

#include <QString>
#include <QVariant>

#include "catalogue/catalogue.h"
#include "electrical/recalculation.h"
#include "electrical/site_data.h"
#include "site/site_document.h"
#include "support/qt_print.h"
#include "support/rows.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"

namespace velmora::testing {

// A working copy and a small catalogue of its own in a temporary program folder, for the loop
// and panel calculations: the catalogue's lookup, specification and device rows are replaced by
// the few rows a test adds. The device table of every protocol is "TestDevices".
class CircuitSite {
 public:
  CircuitSite();
  ~CircuitSite();

  SiteData& Data() { return data_; }
  site::Database& SiteDb() { return doc_.Db(); }
  site::Database& DataDb() { return catalogue_.DataDb(); }
  site::Database& LookupDb() { return catalogue_.TranslationDb(); }
  const TestHome& Home() const { return home_; }

  // Every stored result of the site brought up to date, as a change of the program does.
  electrical::Recalculation Recalculate();

  // Lookup row of protocol "Prot"+index, with TestDevices as its device table.
  void AddProtocol(int index, const QString& name, qint64 max_loop_length, double lowest_v,
                   qint64 max_detectors, qint64 max_modules, double resistance_to_device);
  // Lookup row of a device type.
  void AddDeviceType(qint64 code, const QString& text);
  // A device of the catalogue, offered (BrandingCode "S00") unless told otherwise; currents in A,
  // voltage in mV as the catalogue holds them.
  void AddDevice(qint64 type_code, const QString& code, qint64 count, qint64 max_per_loop,
                 const QString& group, double standby_a, double alarm_a, qint64 min_mv,
                 const QString& branding = "S00");
  // A specification row for type 1, housing 1 with the given extra cells.
  void AddSpec(Values cells);

  // Panel p of type 1, housing 1, with protocol flag Prot<protocol> (-1: none) and power supply
  // Psu<supply> (-1: none), and the given extra cells.
  void AddPanel(int panel, int protocol, int supply, Values cells = {});
  // Loop l of panel p: one location at 20 m on 250 m of 0.5 mm² unless the cells say otherwise.
  void AddLoop(int panel, int loop, Values cells = {});
  // A device row; its currents come from the recalculation or from the given cells.
  void AddDeviceRow(int panel, int loop, Values cells);
  void AddOutput(int panel, int number, qint64 max, double quiescent, double alarm);
  void SetSiteHours(double standby, double alarm);

  // Column value of the first row of a site table matching a filter.
  QVariant Cell(const QString& table, const site::Filter& filter, const QString& column);

 private:
  TestHome home_;
  site::ProgramFolder folder_;
  site::SiteDocument doc_;
  catalogue::Catalogue catalogue_;
  SiteData data_;
};

}  // namespace velmora::testing
