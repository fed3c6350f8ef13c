#pragma once

#include <QString>
#include <vector>

#include "catalogue/catalogue.h"
#include "site/site_document.h"

namespace velmora {

// What the rules and the recalculation work on: the working copy of the site and the
// catalogue. Nothing of the views, the messages or the state of the run.
struct SiteData {
  site::SiteDocument& doc;
  catalogue::Catalogue& catalogue;

  const site::SiteColumns& Cols() const { return doc.Cols(); }
  // The flag families of the site's Panels table.
  catalogue::FlagCounts Flags() const;
  // The flag families and K, the number of panel outputs of the catalogue.
  catalogue::PanelCounts Counts();
  // The sales channel of the site's Site row ("" when there is none).
  QString SalesChannel();
  // The variants the catalogue offers in the site's sales channel.
  const std::vector<catalogue::Variant>& Variants();
};

}  // namespace velmora
