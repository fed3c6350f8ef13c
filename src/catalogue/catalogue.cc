#include "catalogue/catalogue.h"

#include "site/filter.h"

namespace velmora::catalogue {

Catalogue::Catalogue(const site::ProgramFolder& folder)
    : folder_(folder),
      data_db_(site::kDataSource, folder.Catalogue()),
      translation_db_(site::kTranslationSource, folder.Translation()),
      panel_spec_(&data_db_, kPanelSpecTable),
      default_panel_(&data_db_, kDefaultPanelTable),
      translation_(&translation_db_, kTranslationTable),
      device_compat_(&data_db_, kFirstDeviceTable) {}

void Catalogue::OpenPanelSpec() {
  data_db_.Open();
  panel_spec_.Open();
}

void Catalogue::OpenTranslation() {
  translation_db_.Open();
  translation_.Open();
}

void Catalogue::OpenDefaultPanel() {
  data_db_.Open();
  default_panel_.Open();
}

void Catalogue::OpenDeviceCatalogue() {
  data_db_.Open();
  device_compat_.Open();
}

void Catalogue::FilterPanelSpec(const QString& channel) {
  panel_spec_.SetFilter(site::Filter::SalesChannel(channel));
  panel_spec_.SetFiltered(true);
}

}  // namespace velmora::catalogue
