#include "electrical/number_format.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "support/qt_print.h"

namespace velmora::electrical {
namespace {

TEST(NumberFormatTest, HalfGoesToTheEvenNeighbour) {
  const std::pair<double, double> cases[] = {{0.5, 0},     {1.5, 2},     {2.5, 2},     {125.5, 126},
                                             {126.5, 126}, {125.4, 125}, {125.6, 126}, {-2.5, -2},
                                             {-3.5, -4},   {7.0, 7}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
}

TEST(NumberFormatTest, TextsOfNumbers) {
  EXPECT_EQ(GeneralNumber(250), "250");
  EXPECT_EQ(GeneralNumber(2.0 * 722 * 36 / 1000), "51.984");
  EXPECT_EQ(GeneralNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(GeneralNumber(-0.0), "0");
  EXPECT_EQ(FixedNumber(0.4521, 3), "0.452");
  EXPECT_EQ(FixedNumber(12.3, 3), "12.300");
  EXPECT_EQ(CurrentText(1234.4), "1234");
  EXPECT_EQ(CurrentText(12345.6), "12346");
  EXPECT_EQ(CurrentText(-0.4), "0");
}

TEST(NumberFormatTest, UserDecimalSeparator) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(GeneralNumber(19.568), "19,568");
  EXPECT_EQ(FixedNumber(1.862, 3), "1,862");
  EXPECT_EQ(CurrentText(1234.4), "1234");
  QLocale::setDefault(before);
  EXPECT_EQ(GeneralNumber(19.568), "19.568");
}

}  // namespace
}  // namespace velmora::electrical
