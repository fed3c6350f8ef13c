#pragma once

#include <QDialog>

#include "i18n/settings.h"
#include "workspace/options_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace velmora::action {
class Editor;
}

namespace velmora::ui {

class ChoiceButtonGroup;
class CloseUpComboBox;

// TFormOptions: the non-modal options dialog ("Settings" > "Options") with the defaults of new
// sites, panels and loops on three pages. It renders workspace::OptionsDialog's form model and
// hands every close-up, click and edit to it; "OK" carries the defaults action out, "Cancel"
// writes nothing. It has no close box.
class TFormOptions : public QDialog {
  Q_OBJECT

 public:
  explicit TFormOptions(action::Editor& editor, QWidget* parent = nullptr);

  workspace::OptionsDialog& Dialog() { return dialog_; }

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* BuildSitePage();
  QWidget* BuildPanelPage();
  QWidget* BuildLoopPage();
  CloseUpComboBox* AddCloseUpBox(const char* name, QWidget* parent);
  void Render();
  void OnOk();

  action::Editor& editor_;
  workspace::OptionsDialog& dialog_;
  workspace::OptionsFormModel& form_;
  QTabWidget* pages_ = nullptr;
  CloseUpComboBox* sales_channel_ = nullptr;
  QComboBox* standby_time_ = nullptr;
  QComboBox* alarm_time_ = nullptr;
  QLineEdit* country_code_ = nullptr;
  QComboBox* language_ = nullptr;
  CloseUpComboBox* type_code_ = nullptr;
  CloseUpComboBox* type_ = nullptr;
  CloseUpComboBox* housing_code_ = nullptr;
  CloseUpComboBox* housing_ = nullptr;
  QComboBox* protocol_ = nullptr;
  ChoiceButtonGroup* power_supplies_ = nullptr;
  ChoiceButtonGroup* options_ = nullptr;
  QComboBox* cable_ = nullptr;
  QLineEdit* length_ = nullptr;
  QSpinBox* alarm_indicators_ = nullptr;
  QCheckBox* one_location_ = nullptr;
  QCheckBox* spread_ = nullptr;
  QSpinBox* one_location_length_ = nullptr;
  QSpinBox* spread_length_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool rendering_ = false;
};

}  // namespace velmora::ui
