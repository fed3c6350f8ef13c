#include "panel/panel_form_model.h"

namespace velmora::panel {

bool ChoiceBox::Select(const QString& text) {
  const int index = int(entries.indexOf(text));
  if (index < 0) return false;
  selected = index;
  return true;
}

}  // namespace velmora::panel
