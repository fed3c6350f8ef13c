#pragma once

#include <QHash>
#include <QWidget>

#include "workspace/site_properties.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace velmora::ui {

// TFormSiteDetails: the site properties view. Sixteen fields over the single Site row, label on
// the left and field on the right; the text fields store at every keystroke, the three lists run
// the standby time, alarm time and sales channel changes. The rules live in
// workspace::SiteProperties; this view renders its form model and forwards the user's edits.
// It is docked into the main window and cannot be closed.
class TFormSiteDetails : public QWidget {
  Q_OBJECT

 public:
  explicit TFormSiteDetails(workspace::Workspace& workspace, QWidget* parent = nullptr);

  workspace::SiteProperties& Properties() { return properties_; }
  // The height the fields need to show without scrolling.
  int ContentHeight() const;

 signals:
  // The keyboard focus goes to the site tree.
  void FocusTreeRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Render();
  static void RenderList(QComboBox* box, const panel::ChoiceBox& choice);

  workspace::SiteProperties properties_;
  QWidget* page_ = nullptr;
  QHash<QString, QLineEdit*> edits_;
  QPlainTextEdit* comment_ = nullptr;
  QComboBox* sales_channel_ = nullptr;
  QComboBox* standby_time_ = nullptr;
  QComboBox* alarm_time_ = nullptr;
  bool rendering_ = false;
};

}  // namespace velmora::ui
