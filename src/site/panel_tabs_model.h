#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace velmora::site {

// The main window's tab strip: tab 0 is "Site", tab n belongs to panel n.
class PanelTabsModel : public QObject {
  Q_OBJECT

 public:
  struct Tab {
    QString caption;
    int image = -1;
  };

  PanelTabsModel();

  int Count() const { return int(tabs_.size()); }
  int PanelTabCount() const { return Count() - 1; }
  const Tab& At(int index) const { return tabs_.at(index); }
  QString Caption(int index) const { return tabs_.at(index).caption; }
  void SetCaption(int index, const QString& caption);
  // Appends a panel tab; returns its index.
  int Add(const QString& caption, int image);
  // Removes panel tab `index` (never the site tab); later tabs move down by one.
  void Remove(int index);
  // Removes every panel tab, last first.
  void RemovePanelTabs();
  // One tab per panel with its caption, in one step.
  void SetPanelCaptions(const QStringList& captions, int image);

  int Active() const { return active_; }
  void SetActive(int index);

  // The site tab's caption, in the language of the run.
  void SetSiteCaption(const QString& caption);

 signals:
  void TabsChanged();
  void ActiveChanged(int index);

 private:
  std::vector<Tab> tabs_;
  int active_ = 0;
};

}  // namespace velmora::site
