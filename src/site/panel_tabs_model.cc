#include "site/panel_tabs_model.h"

#include <algorithm>

#include "i18n/messages.h"

namespace velmora::site {

PanelTabsModel::PanelTabsModel() { tabs_.push_back({i18n::Text(i18n::Msg::kSite), -1}); }

void PanelTabsModel::SetCaption(int index, const QString& caption) {
  if (index < 0 || index >= Count()) return;
  tabs_[index].caption = caption;
  emit TabsChanged();
}

int PanelTabsModel::Add(const QString& caption, int image) {
  tabs_.push_back({caption, image});
  emit TabsChanged();
  return Count() - 1;
}

void PanelTabsModel::Remove(int index) {
  if (index < 1 || index >= Count()) return;
  tabs_.erase(tabs_.begin() + index);
  if (active_ >= Count()) active_ = Count() - 1;
  emit TabsChanged();
}

void PanelTabsModel::RemovePanelTabs() {
  while (Count() > 1) tabs_.pop_back();
  active_ = 0;
  emit TabsChanged();
}

void PanelTabsModel::SetPanelCaptions(const QStringList& captions, int image) {
  bool same = Count() == captions.size() + 1;
  for (int i = 0; same && i < captions.size(); ++i) same = tabs_[i + 1].caption == captions[i];
  if (same) return;
  tabs_.resize(1);
  for (const QString& caption : captions) tabs_.push_back({caption, image});
  active_ = std::min(active_, Count() - 1);
  emit TabsChanged();
}

void PanelTabsModel::SetActive(int index) {
  index = std::clamp(index, 0, Count() - 1);
  active_ = index;
  emit ActiveChanged(index);
}

void PanelTabsModel::SetSiteCaption(const QString& caption) { SetCaption(0, caption); }

}  // namespace velmora::site
