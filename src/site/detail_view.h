#pragma once

#include <QObject>

namespace velmora::site {

// Which property view is docked into the upper right area of the main window: exactly one at a
// time (or none while the program replaces the working copy).
enum class DetailView { kNone, kSite, kPanel, kDevices, kOutputs };

class DetailViewModel : public QObject {
  Q_OBJECT

 public:
  DetailView Current() const { return current_; }
  void Show(DetailView view) {
    current_ = view;
    emit Changed(view);
  }
  void HideAll() { Show(DetailView::kNone); }

 signals:
  void Changed(velmora::site::DetailView view);

 private:
  DetailView current_ = DetailView::kNone;
};

}  // namespace velmora::site
