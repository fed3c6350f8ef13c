#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace velmora::site {

// The loop cables: the position in this list is what a loop stores as CableSpec, with the
// resistance per kilometre that belongs to the cross-section.
struct Cable {
  const char* text;  // as the lists show it
  double ohm_per_km;
};
inline constexpr int kCableCount = 6;
inline constexpr Cable kCables[kCableCount] = {{"0.5 mm²", 36}, {"0.8 mm²", 23}, {"1.0 mm²", 19},
                                               {"1.5 mm²", 13}, {"2.0 mm²", 9},  {"2.5 mm²", 8}};

// The cable at a stored CableSpec; nothing for a position outside the list (such a loop keeps
// the resistance it has stored).
inline std::optional<Cable> CableAt(qint64 cable_spec) {
  if (cable_spec < 0 || cable_spec >= kCableCount) return std::nullopt;
  return kCables[cable_spec];
}
inline QString CableText(qint64 cable_spec) {
  const std::optional<Cable> cable = CableAt(cable_spec);
  return cable ? QString::fromUtf8(cable->text) : QString();
}
// The position of a cable given by its text ("1.5 mm²"); nothing when no cable has it.
inline std::optional<int> CableIndexOfText(const QString& text) {
  for (int i = 0; i < kCableCount; ++i) {
    if (text.trimmed() == QString::fromUtf8(kCables[i].text)) return i;
  }
  return std::nullopt;
}

}  // namespace velmora::site
