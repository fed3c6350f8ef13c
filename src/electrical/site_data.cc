#include "electrical/site_data.h"

#include "site/cells.h"

namespace velmora {

catalogue::FlagCounts SiteData::Flags() const {
  const site::PanelColumns& p = doc.Cols().panels;
  return {int(p.protocols.size()), int(p.options.size()), int(p.power_supplies.size())};
}

catalogue::PanelCounts SiteData::Counts() { return {Flags(), catalogue.PanelOutputCount()}; }

QString SiteData::SalesChannel() {
  const std::vector<site::Row> rows = doc.Db().Select("Site");
  if (rows.empty()) return QString();
  return site::CellText(rows.front().values.at(doc.Cols().site.channel));
}

const std::vector<catalogue::Variant>& SiteData::Variants() {
  return catalogue.Variants(SalesChannel(), Flags());
}

}  // namespace velmora
