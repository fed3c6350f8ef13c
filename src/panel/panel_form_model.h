#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace velmora::panel {

// A drop-down list of the panel view: its entries, the selected entry (-1 for none) and whether
// it can be used.
struct ChoiceBox {
  QStringList entries;
  int selected = -1;
  bool enabled = true;

  int Count() const { return int(entries.size()); }
  bool Contains(const QString& text) const { return entries.contains(text); }
  void Clear() {
    entries.clear();
    selected = -1;
  }
  void Append(const QString& text) { entries << text; }
  // Selects the first entry equal to the text; false (selection unchanged) when there is none.
  bool Select(const QString& text);
  void SelectIndex(int index) { selected = index >= 0 && index < Count() ? index : -1; }
  QString SelectedText() const {
    return selected >= 0 && selected < Count() ? entries[selected] : QString();
  }
};

// An option-board or power-supply button. Its image is its state: unticked, ticked or not
// available (image indexes of the main window's image list); -1 shows no image.
struct ChoiceButton {
  QString caption;
  int image = -1;
};

// What the panel properties view shows and the panel rules read and write: the five boxes, the
// option and power-supply buttons, the battery text and the name of the panel on show. It is
// rendered from the panel's rows after every change; widgets render it and build the actions of
// the user's close-ups and clicks.
class PanelFormModel : public QObject {
  Q_OBJECT

 public:
  ChoiceBox& TypeCodeBox() { return type_code_; }        // ComboBoxPanelTypeCode
  ChoiceBox& TypeBox() { return type_; }                 // ComboBoxPanelType
  ChoiceBox& HousingCodeBox() { return housing_code_; }  // ComboBoxHousingTypeCode
  ChoiceBox& HousingBox() { return housing_; }           // ComboBoxHousingType
  ChoiceBox& ProtocolBox() { return protocol_; }         // ComboBoxPanelProtocol
  std::vector<ChoiceButton>& OptionButtons() { return options_; }
  std::vector<ChoiceButton>& PowerSupplyButtons() { return power_supplies_; }

  const QString& BatteryText() const { return battery_; }  // EditBattery
  void SetBatteryText(const QString& text) { battery_ = text; }

  // The panel on show (0: none) and its name, for DBEditPanelName.
  int Panel() const { return panel_; }
  void SetPanel(int panel) { panel_ = panel; }
  const QString& PanelName() const { return name_; }
  void SetPanelName(const QString& name) { name_ = name; }

  // Tells the widgets to render the model again.
  void NotifyChanged() { emit Changed(); }

 signals:
  void Changed();

 private:
  ChoiceBox type_code_;
  ChoiceBox type_;
  ChoiceBox housing_code_;
  ChoiceBox housing_;
  ChoiceBox protocol_;
  std::vector<ChoiceButton> options_;
  std::vector<ChoiceButton> power_supplies_;
  QString battery_;
  int panel_ = 0;
  QString name_;
};

}  // namespace velmora::panel
