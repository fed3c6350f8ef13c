#include "loop/loop_form_model.h"

#include <array>

namespace velmora::loop {
namespace {

constexpr std::array<const char*, LoopFormModel::kCableCount> kCableTexts = {
    "0.5 mm\u00b2", "0.8 mm\u00b2", "1.0 mm\u00b2", "1.5 mm\u00b2", "2.0 mm\u00b2", "2.5 mm\u00b2"};
constexpr std::array<double, LoopFormModel::kCableCount> kCableResistances = {36, 23, 19, 13, 9, 8};

}  // namespace

QString LoopFormModel::CableText(int index) {
  if (index < 0 || index >= kCableCount) return QString();
  return QString::fromUtf8(kCableTexts[index]);
}

double LoopFormModel::CableResistance(int index) {
  if (index < 0 || index >= kCableCount) return 0.0;
  return kCableResistances[index];
}

qint64 LoopFormModel::LengthValue() const {
  bool ok = false;
  const qint64 length = length_text.trimmed().toLongLong(&ok);
  return ok ? length : 0;
}

}  // namespace velmora::loop
