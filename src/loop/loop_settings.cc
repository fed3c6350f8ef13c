#include "loop/loop_settings.h"

#include <algorithm>

#include "catalogue/catalogue.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/lookup.h"
#include "electrical/device_rows.h"
#include "electrical/recalculation.h"
#include "electrical/run.h"
#include "electrical/site_rows.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "loop/loop_form_model.h"
#include "site/table.h"

namespace velmora::loop {
namespace {

using electrical::RowEdit;
using electrical::RowSet;
using i18n::Msg;

}  // namespace

std::optional<qint64> WholeNumber(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return value;
}

void LoopSettings::LoadLoopIntoView(int panel, int loop) {
  site::FlagScope loading(&run_.state, &site::RunState::SetLoading, &site::RunState::Loading, true);
  form_.panel = panel;
  form_.loop = loop;
  RowSet loops(run_.doc.Db(), "Loops", electrical::LoopKey(panel, loop));
  if (const site::Row* row = loops.First()) {
    using electrical::BoolAt;
    using electrical::IntAt;
    const qint64 cable = IntAt(*row, loops.Col("CableSpec"));
    form_.cable_index = cable >= 0 && cable < LoopFormModel::kCableCount ? int(cable) : -1;
    const qint64 length = IntAt(*row, loops.Col("Length"));
    form_.length_text = QString::number(length);
    form_.alarm_indicators = int(std::clamp<qint64>(IntAt(*row, loops.Col("AlarmIndicators")),
                                                    LoopFormModel::kMinAlarmIndicators,
                                                    LoopFormModel::kMaxAlarmIndicators));
    form_.one_location = BoolAt(*row, loops.Col("OneLocation"));
    form_.spread = BoolAt(*row, loops.Col("Spread"));
    form_.v1 = int(std::clamp<qint64>(IntAt(*row, loops.Col("OneLocationLength")),
                                      LoopFormModel::kMinV1, LoopFormModel::kMaxV1));
    form_.last_device_one_location = QString::number(length - form_.v1);
    form_.v3 = int(std::clamp<qint64>(IntAt(*row, loops.Col("SpreadLength")), LoopFormModel::kMinV3,
                                      LoopFormModel::kMaxV3));
    form_.last_device_spread = QString::number(form_.v3);
  }
  // The spacing counts the devices in this panel's catalogue, so that is opened first.
  catalogue::SelectProtocolDeviceTable(run_.catalogue, electrical::PanelProtocolIndex(run_, panel));
  form_.device_spacing =
      electrical::DeviceSpacingText(run_, panel, loop, form_.LengthValue(), form_.v3);
  form_.Touch();
}

bool LoopSettings::WriteLoopRow() {
  const std::optional<qint64> length = WholeNumber(form_.length_text);
  if (!length) {
    run_.prompter.Warn(i18n::Tr(N_("'%1' is not a valid integer value")).arg(form_.length_text));
    return false;
  }
  RowSet loops(run_.doc.Db(), "Loops", electrical::LoopKey(form_.panel, form_.loop));
  site::Row* row = loops.First();
  if (row == nullptr) return false;
  RowEdit edit(loops, *row);
  if (form_.cable_index >= 0 && form_.cable_index < LoopFormModel::kCableCount) {
    edit.Set(loops.Col("CableSpec"), qint64(form_.cable_index));
    edit.Set(loops.Col("Resistance"), LoopFormModel::CableResistance(form_.cable_index));
  }
  edit.Set(loops.Col("Length"), *length);
  edit.Set(loops.Col("AlarmIndicators"), qint64(form_.alarm_indicators));
  edit.Set(loops.Col("OneLocation"), qint64(form_.one_location ? 1 : 0));
  edit.Set(loops.Col("OneLocationLength"), qint64(form_.v1));
  edit.Set(loops.Col("Spread"), qint64(form_.spread ? 1 : 0));
  edit.Set(loops.Col("SpreadLength"), qint64(form_.v3));
  edit.Store();
  return true;
}

std::optional<electrical::PanelPower> LoopSettings::StoreLoopFromView() {
  if (run_.state.Loading() || form_.panel <= 0 || form_.loop <= 0) return std::nullopt;
  site::Transaction transaction(&run_.doc.Db());
  if (!WriteLoopRow()) return std::nullopt;
  const electrical::PanelPower power =
      electrical::RecalculateLoopPanel(run_, form_.panel, form_.loop);
  transaction.Commit();
  return power;
}

std::optional<qint64> LoopSettings::MaxLoopLength() {
  const auto protocol = catalogue::ProtocolOfKey(run_.catalogue.Translation(),
                                                 electrical::ProtocolKeyOfPanel(run_, form_.panel));
  if (!protocol || protocol->max_loop_length <= 0) return std::nullopt;
  return protocol->max_loop_length;
}

QString LoopSettings::CurrentProtocolKey() {
  return electrical::ProtocolKeyOfPanel(run_, run_.tree.ResolveTreeSelection().panel);
}

void LoopSettings::OnLengthAccepted() {
  if (run_.state.Loading()) return;
  const std::optional<qint64> max = MaxLoopLength();
  if (form_.length_text.trimmed().isEmpty() || form_.length_text == "0") {
    run_.state.MarkModified();
    return;
  }
  std::optional<qint64> entered = WholeNumber(form_.length_text);
  if (!entered) {
    run_.prompter.Warn(i18n::Tr(N_("'%1' is not a valid integer value")).arg(form_.length_text));
    return;
  }
  qint64 length = *entered;
  if (max && length > *max) {
    run_.prompter.Warn(i18n::Text(Msg::kValueTooLargeMaxLength) + " " + QString::number(*max) +
                       "m");
    length = *max;
  } else {
    if (form_.one_location && length < 2 * qint64(form_.v1)) length = 2 * qint64(form_.v1);
    if (form_.spread && length < 2 * qint64(form_.v3)) length = 2 * qint64(form_.v3);
  }
  form_.length_text = QString::number(length);
  form_.last_device_one_location = QString::number(length - form_.v1);
  ShowDeviceSpacing(form_.panel, form_.loop, length);
  StoreLoopFromView();
  run_.state.MarkModified();
  form_.Touch();
}

void LoopSettings::OnV1Changed(int value) {
  if (run_.state.Loading()) return;
  form_.v1 = value;
  const qint64 length = form_.LengthValue();
  if (length - value <= 0) {
    run_.prompter.Warn(i18n::Text(Msg::kValueTooLargeHalfLength));
    const int halved =
        int(std::clamp<qint64>(length / 2, LoopFormModel::kMinV1, LoopFormModel::kMaxV1));
    // The field changes again and that change runs this handling once more.
    if (halved != value) {
      OnV1Changed(halved);
      return;
    }
  } else {
    form_.last_device_one_location = QString::number(length - value);
  }
  if (!form_.copying_v3) {
    const int copy = std::clamp(value, LoopFormModel::kMinV3, LoopFormModel::kMaxV3);
    if (copy != form_.v3) {
      form_.copying_v1 = true;
      OnV3Changed(copy);
      form_.copying_v1 = false;
    }
  }
  StoreLoopFromView();
  run_.state.MarkModified();
  form_.Touch();
}

void LoopSettings::OnV3Changed(int value) {
  if (run_.state.Loading()) return;
  form_.v3 = value;
  const qint64 length = form_.LengthValue();
  if (length < 2 * qint64(value)) {
    run_.prompter.Warn(i18n::Text(Msg::kValueTooLargeHalfLength));
    const int cut = value / 10;
    if (cut != value) {
      OnV3Changed(cut);
      return;
    }
    form_.last_device_spread = QString::number(value);
  } else {
    form_.last_device_spread = QString::number(value);
    ShowDeviceSpacing(form_.panel, form_.loop, length);
  }
  if (!form_.copying_v1) {
    const int copy = std::clamp(value, LoopFormModel::kMinV1, LoopFormModel::kMaxV1);
    if (copy != form_.v1) {
      form_.copying_v3 = true;
      OnV1Changed(copy);
      form_.copying_v3 = false;
    }
  }
  StoreLoopFromView();
  run_.state.MarkModified();
  form_.Touch();
}

void LoopSettings::OnOneLocationClicked(bool ticked) {
  if (run_.state.Loading()) return;
  form_.one_location = ticked;
  form_.spread = !ticked;
  StoreLoopFromView();
  run_.state.MarkModified();
  form_.Touch();
}

void LoopSettings::OnSpreadClicked(bool ticked) {
  if (run_.state.Loading()) return;
  form_.spread = ticked;
  form_.one_location = !ticked;
  StoreLoopFromView();
  run_.state.MarkModified();
  form_.Touch();
}

void LoopSettings::OnCableChosen(int index) {
  if (run_.state.Loading()) return;
  form_.cable_index = index;
  StoreLoopFromView();
  run_.state.MarkModified();
  form_.Touch();
}

void LoopSettings::OnAlarmIndicatorsChanged(const QString& text) {
  if (run_.state.Loading()) return;
  const std::optional<qint64> value = WholeNumber(text);
  if (!value) return;  // an empty field, or a sign typed on its own
  form_.alarm_indicators = int(std::clamp<qint64>(*value, LoopFormModel::kMinAlarmIndicators,
                                                  LoopFormModel::kMaxAlarmIndicators));
  if (form_.panel > 0 && form_.loop > 0) {
    site::Transaction transaction(&run_.doc.Db());
    if (WriteLoopRow()) {
      electrical::RecalculateAlarmIndicators(run_, form_.panel, form_.loop);
      transaction.Commit();
    }
  }
  run_.state.MarkModified();
  form_.Touch();
}

void LoopSettings::ShowDeviceSpacing(int panel, int loop, qint64 length) {
  form_.device_spacing = electrical::DeviceSpacingText(run_, panel, loop, length, form_.v3);
  form_.Touch();
}

}  // namespace velmora::loop
