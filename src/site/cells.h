#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace velmora::site {

// How the program reads a stored cell, one set of rules for every reader of every table. A cell
// holds an integer, a real, a text or nothing (empty); the readers say what each kind reads as.

// Nothing stored (NULL).
bool IsEmptyCell(const QVariant& cell);
// "" when empty; reals in their shortest exact form (15 significant digits).
QString CellText(const QVariant& cell);
// Whether a cell is the text exactly; an empty cell equals nothing.
bool CellTextEquals(const QVariant& cell, const QString& text);
// 0 when empty or unreadable; a text is read with '.' as its decimal separator.
double CellReal(const QVariant& cell);
// 0 when empty or unreadable; reals and decimal texts go to the nearest whole number.
qint64 CellInt(const QVariant& cell);
// "True"/"False" in any case, else a number other than 0; false when empty.
bool CellBool(const QVariant& cell);

// For keys and counts, which only a whole number can be: integer cells, reals without a
// fraction and texts that read as such; nothing otherwise.
std::optional<qint64> CellWhole(const QVariant& cell);
// A number, or nothing when the cell is empty or no number.
std::optional<double> CellNumber(const QVariant& cell);

}  // namespace velmora::site
