#pragma once

#include <QString>

namespace velmora::electrical {

// Nearest whole number, a half going to the even neighbour (125.5 gives 126, 126.5 gives 126).
double RoundHalfEven(double value);

// The decimal separator of the user's number format.
QString DecimalSeparator();

// General form with up to 15 significant digits and the user's decimal separator, as LoopLog.txt
// writes its numbers (250, 51.984, 0.0045).
QString GeneralNumber(double value);

// Fixed-point with the given number of decimals and the user's decimal separator (the drop of a
// loop status text, the battery capacity).
QString FixedNumber(double value, int decimals);

// A current of the panel summaries: fixed-point, rounded to whole mA, written in full however
// large it is (1234.4 gives 1234, 12345.6 gives 12346).
QString CurrentText(double milliamperes);

}  // namespace velmora::electrical
