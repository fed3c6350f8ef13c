#pragma once

#include <QHash>
#include <QWidget>

#include "action/editor.h"
#include "workspace/site_properties.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace velmora::ui {

// TFormSiteDetails: the site properties view. Sixteen fields over the single Site row, label on
// the left and field on the right; the text fields store at every keystroke, the three lists run
// the standby time, alarm time and sales channel changes. It renders the editor's site form and
// builds the actions of the user's edits. It is docked into the main window and cannot be closed.
class TFormSiteDetails : public QWidget {
  Q_OBJECT

 public:
  explicit TFormSiteDetails(action::Editor& editor, QWidget* parent = nullptr);

  // The height the fields need to show without scrolling.
  int ContentHeight() const;

 signals:
  // The keyboard focus goes to the site tree.
  void FocusTreeRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Render();
  void StoreField(const QString& column, const QString& text);
  void ChooseFromList(const char* action, const char* key, QComboBox* box, int index);
  static void RenderList(QComboBox* box, const panel::ChoiceBox& choice);

  action::Editor& editor_;
  QWidget* page_ = nullptr;
  QHash<QString, QLineEdit*> edits_;
  // The field whose edit is being stored: it keeps what the user typed rather than the echo of
  // the row (a date column makes "3." of "3.1.2025" the number 3).
  QString storing_;
  QPlainTextEdit* comment_ = nullptr;
  QComboBox* sales_channel_ = nullptr;
  QComboBox* standby_time_ = nullptr;
  QComboBox* alarm_time_ = nullptr;
};

}  // namespace velmora::ui
