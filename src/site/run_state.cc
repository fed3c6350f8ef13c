#include "site/run_state.h"

namespace velmora::site {

void RunState::SetSiteFileName(const QString& file) {
  site_file_name_ = file;
  emit CaptionChanged(Caption());
}

void RunState::SetSiteSaved(bool saved) {
  if (site_saved_ == saved) return;
  site_saved_ = saved;
  emit SavedChanged(saved);
}

void RunState::SetTechnicalDetail(bool on) {
  if (technical_detail_ == on) return;
  technical_detail_ = on;
  emit TechnicalDetailChanged(on);
}

QString RunState::Caption() const {
  if (site_file_name_.isEmpty()) return kApplicationTitle;
  return QString(kApplicationTitle) + " - " + site_file_name_;
}

}  // namespace velmora::site
