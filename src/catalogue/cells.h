#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace velmora::catalogue {

// Typed reading of stored cells for the catalogue readers, which scan a cursor's rows without
// moving it. An empty cell is no key and no value.

// The cell as a whole number: integer cells as they are, real cells when they hold a whole
// number, texts that read as one. Nothing for an empty cell or anything else.
std::optional<qint64> CellInt(const QVariant& cell);
// The cell as a real number; nothing when empty or not a number.
std::optional<double> CellReal(const QVariant& cell);
// The cell as text ("" when empty); real numbers in their shortest form.
QString CellText(const QVariant& cell);
// Whether a text cell equals the text exactly; an empty cell equals nothing.
bool CellTextEquals(const QVariant& cell, const QString& text);
bool CellBool(const QVariant& cell);

}  // namespace velmora::catalogue
