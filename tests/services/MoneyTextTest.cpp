#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "Include.h"
#include "ServicesTestUtil.h"
#include "Settingsstorage.h"

namespace {

constexpr Money kMax = std::numeric_limits<Money>::max();
constexpr Money kMin = std::numeric_limits<Money>::min();

QLocale Ungrouped() {
  QLocale locale("en_US");
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// The money helpers take their separators from the global settings storage,
// which reads them from the default locale when it is created.
class MoneyTextTest : public testing::Test {
 protected:
  void UseLocale(const QLocale& locale) {
    QLocale::setDefault(locale);
    InitSettings(PathIn(FDir, "settings.ini"), true);
  }
  void SetUp() override { UseLocale(QLocale("en_US")); }
  void TearDown() override {
    FreeSettings();
    QLocale::setDefault(FSaved);
  }
  // Parses `text` and checks the amount and the error code.
  static void ExpectParse(const char* text, int decimals, Money amount, std::uint8_t error) {
    std::uint8_t got = 77;
    EXPECT_EQ(StrToMoney(text, got, decimals), amount) << '"' << text << "\" " << decimals;
    EXPECT_EQ(got, error) << '"' << text << '"';
  }
  QTemporaryDir FDir;
  QLocale FSaved;
};

TEST_F(MoneyTextTest, ParsesTypedAmountsUnderEnglishSettings) {
  ExpectParse("", 2, 0, 254);
  ExpectParse("0", 2, 0, 0);
  ExpectParse(".5", 2, 5000, 0);
  ExpectParse("5.", 2, 50000, 0);
  ExpectParse("12.345", 2, 123400, 0);  // cut off, not rounded
  ExpectParse("12.349", 2, 123400, 0);
  ExpectParse("1.2.3", 2, 12000, 255);  // the second full stop is no fraction digit
  ExpectParse("1,234.56", 2, 12345600, 0);
  ExpectParse("1.234,56", 2, 12300, 0);  // beyond two decimals nothing is looked at
  ExpectParse(" 1 000 ", 2, 10000000, 0);
  ExpectParse("1,5", 2, 150000, 0);  // the comma groups here
  ExpectParse("-5", 2, 50000, 255);  // no sign: an invalid character
  ExpectParse("abc", 2, 0, 255);
  ExpectParse("1.a5", 2, 10500, 255);  // an invalid fraction digit stays 0
  ExpectParse(
      "\xE2\x82\xAC"
      "5",
      2, 50000, 255);  // "€5": one invalid character
  ExpectParse(
      "1.\xE2\x82\xAC"
      "5",
      2, 10500, 255);
  ExpectParse(
      "\xFF"
      "7",
      2, 70000, 255);
  ExpectParse("1.23456", 4, 12345, 0);  // rates
  ExpectParse("1.2345", 3, 12340, 0);   // quantities keep three decimals
  ExpectParse("2.75", 1, 27000, 0);
  ExpectParse("2.75", 0, 20000, 0);
}

TEST_F(MoneyTextTest, ParsesTypedAmountsUnderOtherLocales) {
  UseLocale(QLocale("de_DE"));
  ExpectParse("1 234,5", 2, 12345000, 0);
  ExpectParse("1.234,56", 2, 12345600, 0);
  ExpectParse("1.5", 2, 150000, 0);  // the full stop groups under German settings
  UseLocale(Ungrouped());
  ExpectParse("1,5", 2, 15000, 0);  // either mark starts the fraction
  ExpectParse("1 000.5", 2, 10005000, 0);
  UseLocale(QLocale("ru_RU"));
  ExpectParse("1\u00A0234,5", 2, 12345000, 0);
  ExpectParse("1 234.5", 2, 12345000, 0);
}

// What an amount box keeps of a typed or pasted text: a group separator
// stands only between groups of three digits, so no text shows one number
// and reads as another.
TEST_F(MoneyTextTest, TypedAmountsReadAsTheyShowOrAreRefused) {
  struct Case {
    const char* locale;
    const char* before;
    const char* after;
    int decimals;
    const char* kept;  // nullptr: refused
    Money amount;      // what the kept text reads as; kUnread: nothing yet
  };
  constexpr Money kUnread = -1;
  const Case cases[] = {
      {"en_US", "", "5,7", 2, "5,7", kUnread},  // on the way to "5,700"
      {"en_US", "", "5,70", 2, "5,70", kUnread},
      {"en_US", "", "5,70.", 2, nullptr, 0},
      {"en_US", "", "5,", 2, "5,", 50000},
      {"en_US", "", "1,234,", 2, "1,234,", 12340000},
      {"en_US", "", "5,.7", 2, nullptr, 0},
      {"en_US", "", "1,234.5", 2, "1,234.5", 12345000},
      {"en_US", "", " 1 234.5 ", 2, " 1 234.5 ", 12345000},
      {"en_US", "", "1.234,56", 2, nullptr, 0},
      {"en_US", "", "12,3456", 4, nullptr, 0},
      {"en_US", "", "1,23,4", 2, nullptr, 0},
      {"en_US", "", "1234,567", 2, nullptr, 0},
      {"en_US", "", "5 7", 2, "5 7", kUnread},
      {"en_US", "", "-5", 2, nullptr, 0},
      {"en_US", "", "", 2, "", 0},
      {"en_US", "", "1.2.3", 2, nullptr, 0},
      {"en_US", "", "5.", 2, "5.", 50000},
      {"en_US", "999,999,999,999,999,999.00", "999,999,999,999,999,999.0", 2, nullptr,
       0},                                           // beyond the largest amount
      {"en_US", "", "123456789012", 2, nullptr, 0},  // more than 11 digits
      {"en_US", "123,456,789,012.00", "123,456,789,012.0", 2, "123,456,789,012.0",
       1234567890120000},                             // a filled-in amount corrected
      {"en_US", "1,234", "1,23", 2, "123", 1230000},  // a deletion drops the groups
      {"en_US", "1,234,567.5", "1,234567.5", 2, "1234567.5", 12345675000},
      {"en_US", "1,234", "1,2534", 2, nullptr, 0},  // an insertion does not
      {"de_DE", "", "5,7", 2, "5,7", 57000},
      {"de_DE", "", "5,70", 2, "5,70", 57000},
      {"de_DE", "", "1.234,56", 2, "1.234,56", 12345600},
      {"de_DE", "", "12,3456", 4, "12,3456", 123456},
      {"de_DE", "", "12,3456", 2, nullptr, 0},
      {"de_DE", "", "1,23,4", 2, nullptr, 0},
      {"de_DE", "", "5.7", 2, "5.7", kUnread},
      {"de_DE", "", "5.7,", 2, nullptr, 0},
      {"de_DE", "", "1,234.5", 2, nullptr, 0},
      {"de_DE", "", "-5", 2, nullptr, 0},
      {"de_DE", "1.234", "1.23", 2, "123", 1230000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " \"" + c.after + '"');
    UseLocale(QLocale(c.locale));
    const NumberFormat& format = GetSettings().GetNumberFormat();
    const std::optional<std::string> kept =
        TypedAmountText(c.before, c.after, c.decimals, 11, format);
    ASSERT_EQ(kept.has_value(), c.kept != nullptr);
    if (!kept) continue;
    EXPECT_EQ(*kept, c.kept);
    const TTypedAmount read = ReadTypedAmount(*kept, c.decimals, format);
    if (c.amount == kUnread) {
      EXPECT_EQ(read.state, TTypedAmountState::kUnfinished);
      continue;
    }
    EXPECT_EQ(read.value, c.amount);
    std::uint8_t error = 0;
    if (!kept->empty()) {
      EXPECT_EQ(StrToMoney(*kept, error, c.decimals, format), c.amount);
    }
  }
}

TEST_F(MoneyTextTest, AmountsBeyondTheMoneyRangeAreRefused) {
  ExpectParse("922337203685477.5807", 4, kMax, 0);
  ExpectParse("922337203685477.5808", 4, 0, 255);
  ExpectParse("922337203685478", 2, 0, 255);
  ExpectParse("99999999999999999999999999", 2, 0, 255);
  ExpectParse("1.000000000000000000000000001", 40, 10000, 0);
}

TEST_F(MoneyTextTest, IntAndFloatConversions) {
  EXPECT_EQ(IntToMoney(-3), -30000);
  EXPECT_EQ(IntToMoney(std::numeric_limits<std::int32_t>::max()), 21474836470000);
  EXPECT_EQ(FloatToMoney(-2.25), -22500);
  EXPECT_EQ(FloatToMoney(0.00025), 2);  // 2.5: halves go to even
  EXPECT_EQ(FloatToMoney(0.00035), 4);  // 3.5
  EXPECT_EQ(FloatToMoney(0.1f), 1000);  // a float quantity of 0.1
  EXPECT_EQ(FloatToMoney(std::nan("")), 0);
  EXPECT_EQ(FloatToMoney(1e300), kMax);
  EXPECT_EQ(FloatToMoney(-1e300), kMin);
}

TEST_F(MoneyTextTest, DisplayFormats) {
  EXPECT_EQ(MoneyToStr(12345678), "1,234.57");
  EXPECT_EQ(MoneyToStr(0), "0.00");
  EXPECT_EQ(MoneyToStr(-12345678), "-1,234.57");
  EXPECT_EQ(MoneyToStr(-50), "-0.01");  // half a cent rounds away from zero
  EXPECT_EQ(MoneyToStr(-49), "0.00");   // no minus on a zero text
  EXPECT_EQ(MoneyToStr(9999950), "1,000.00");
  EXPECT_EQ(MoneyToStr(kMin), "-922,337,203,685,477.58");
  EXPECT_EQ(RateToStr(10000), "1.0000");
  EXPECT_EQ(RateToStr(12345678), "1,234.5678");
  EXPECT_EQ(QuantityToStr(10000), "1");
  EXPECT_EQ(QuantityToStr(25000), "2.5");
  EXPECT_EQ(QuantityToStr(12345), "1.2345");
  EXPECT_EQ(QuantityToStr(0), "0");
  EXPECT_EQ(QuantityToStr(-25000), "-2.5");
  EXPECT_EQ(QuantityToStr(12345678), "1234.5678");  // never grouped
  UseLocale(QLocale("de_DE"));
  EXPECT_EQ(MoneyToStr(12345678), "1.234,57");
  EXPECT_EQ(RateToStr(10000), "1,0000");
  EXPECT_EQ(QuantityToStr(25000), "2,5");
  UseLocale(Ungrouped());
  EXPECT_EQ(MoneyToStr(12345678901), "1234567.89");
  UseLocale(QLocale("ru_RU"));
  EXPECT_EQ(MoneyToStr(12345678), "1\u00A0234,57");
}

TEST_F(MoneyTextTest, EveryDisplayedAmountReadsBackAsItself) {
  for (const QLocale& locale :
       {QLocale("en_US"), QLocale("de_DE"), QLocale("ru_RU"), Ungrouped()}) {
    UseLocale(locale);
    for (Money cents : {0LL, 1LL, 99LL, 123456LL, 98765432101LL}) {
      std::uint8_t error = 77;
      EXPECT_EQ(StrToMoney(MoneyToStr(cents * 100), error, 2), cents * 100)
          << MoneyToStr(cents * 100);
      EXPECT_EQ(StrToMoney(RateToStr(cents), error, 4), cents);
      EXPECT_EQ(StrToMoney(QuantityToStr(cents), error, 4), cents);
      EXPECT_EQ(error, 0);
    }
  }
}

TEST(SharedHelpersTest, FormatVersionAndEnvironment) {
  EXPECT_EQ(FormatVersion(130), "1.30");
  EXPECT_EQ(FormatVersion(1007), "10.07");
  setenv("PARDOW_TEST_LONG", std::string(5000, 'v').c_str(), 1);
  EXPECT_EQ(GetEnvVariable("PARDOW_TEST_LONG"), "");
  unsetenv("PARDOW_TEST_LONG");
}

}  // namespace
