#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <string>

#include "Include.h"
#include "ServicesTestUtil.h"
#include "Settingsstorage.h"

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kRussian(QLocale::Russian, QLocale::Russia);

// The money helpers read their separators from the global settings storage,
// which takes them from the default locale when it is created.
class MoneyTextTest : public testing::Test {
 protected:
  void UseLocale(const QLocale& locale) {
    QLocale::setDefault(locale);
    InitSettings(PathIn(FDir, "settings.ini"), true);
  }
  void SetUp() override { UseLocale(kEnglish); }
  void TearDown() override {
    FreeSettings();
    QLocale::setDefault(FSaved);
  }

  QTemporaryDir FDir;
  QLocale FSaved;
};

struct ParseCase {
  const char* text;
  int decimals;
  Money expected;
  std::uint8_t error;
};

void ExpectParses(const ParseCase& c) {
  std::uint8_t error = 77;
  EXPECT_EQ(StrToMoney(c.text, error, c.decimals), c.expected)
      << "text \"" << c.text << "\" with " << c.decimals << " decimals";
  EXPECT_EQ(error, c.error) << "text \"" << c.text << "\"";
}

TEST_F(MoneyTextTest, ParsesTypedAmountsUnderEnglishSettings) {
  for (const ParseCase& c : {
           ParseCase{"", 2, 0, 254},
           ParseCase{"0", 2, 0, 0},
           ParseCase{".5", 2, 5000, 0},
           ParseCase{"5.", 2, 50000, 0},
           ParseCase{"12.345", 2, 123400, 0},       // cut off, not rounded
           ParseCase{"12.349", 2, 123400, 0},
           ParseCase{"1.2.3", 2, 12000, 255},       // the second full stop is no digit
           ParseCase{"1,234.56", 2, 12345600, 0},
           ParseCase{"1.234,56", 2, 12300, 0},      // beyond two decimals nothing is looked at
           ParseCase{" 1 000 ", 2, 10000000, 0},
           ParseCase{"1,5", 2, 150000, 0},          // the comma groups under English settings
           ParseCase{"-5", 2, 50000, 255},          // no sign: the minus is an invalid character
           ParseCase{"abc", 2, 0, 255},
           ParseCase{"12a3", 2, 1230000, 255},
           ParseCase{"1.a5", 2, 10500, 255},        // an invalid fraction digit stays 0
           ParseCase{"\xE2\x82\xAC" "5", 2, 50000, 255},  // "€5": one invalid character
           ParseCase{"1.\xE2\x82\xAC" "5", 2, 10500, 255},
           ParseCase{"\xFF" "7", 2, 70000, 255},
           ParseCase{"1.2345", 4, 12345, 0},        // rates and quantities
           ParseCase{"1.23456", 4, 12345, 0},
           ParseCase{"1.2345", 3, 12340, 0},        // the editor keeps 1.234 of 1.2345
           ParseCase{"2.5", 3, 25000, 0},
           ParseCase{"2.75", 1, 27000, 0},
           ParseCase{"2.75", 0, 20000, 0},
           ParseCase{"0.0001", 4, 1, 0},
       }) {
    ExpectParses(c);
  }
}

TEST_F(MoneyTextTest, ParsesTypedAmountsUnderGermanSettings) {
  UseLocale(kGerman);
  for (const ParseCase& c : {
           ParseCase{"1 234,5", 2, 12345000, 0},
           ParseCase{"1.234,56", 2, 12345600, 0},
           ParseCase{"1,5", 2, 15000, 0},
           ParseCase{"1.5", 2, 150000, 0},  // the full stop groups under German settings
           ParseCase{"0,07", 2, 700, 0},
       }) {
    ExpectParses(c);
  }
}

TEST_F(MoneyTextTest, ParsesTypedAmountsWithoutDigitGrouping) {
  UseLocale(UngroupedEnglish());
  for (const ParseCase& c : {
           ParseCase{"1.5", 2, 15000, 0},
           ParseCase{"1,5", 2, 15000, 0},  // either mark starts the fraction
           ParseCase{"1 000.5", 2, 10005000, 0},
       }) {
    ExpectParses(c);
  }
}

TEST_F(MoneyTextTest, ParsesNoBreakSpaceGroups) {
  UseLocale(kRussian);
  for (const ParseCase& c : {
           ParseCase{"1\u00A0234,5", 2, 12345000, 0},
           ParseCase{"1 234.5", 2, 12345000, 0},
       }) {
    ExpectParses(c);
  }
}

TEST_F(MoneyTextTest, AmountsBeyondTheMoneyRangeAreRefused) {
  for (const ParseCase& c : {
           ParseCase{"922337203685477.5807", 4, std::numeric_limits<Money>::max(), 0},
           ParseCase{"922337203685477.5808", 4, 0, 255},
           ParseCase{"922337203685478", 2, 0, 255},
           ParseCase{"99999999999999999999999999", 2, 0, 255},
           ParseCase{"1.000000000000000000000000001", 40, 10000, 0},
       }) {
    ExpectParses(c);
  }
}

TEST_F(MoneyTextTest, IntAndFloatConversions) {
  EXPECT_EQ(IntToMoney(-3), -30000);
  EXPECT_EQ(IntToMoney(std::numeric_limits<std::int32_t>::max()), 21474836470000);
  EXPECT_EQ(FloatToMoney(1.5), 15000);
  EXPECT_EQ(FloatToMoney(-2.25), -22500);
  EXPECT_EQ(FloatToMoney(0.00025), 2);      // 2.5: halves go to even
  EXPECT_EQ(FloatToMoney(0.00035), 4);      // 3.5
  EXPECT_EQ(FloatToMoney(2.00025), 20002);  // 20002.5
  EXPECT_EQ(FloatToMoney(-0.00025), -2);
  EXPECT_EQ(FloatToMoney(0.1f), 1000);      // a float quantity of 0.1 is 0.1
  EXPECT_EQ(FloatToMoney(std::nan("")), 0);
  EXPECT_EQ(FloatToMoney(1e300), std::numeric_limits<Money>::max());
  EXPECT_EQ(FloatToMoney(-1e300), std::numeric_limits<Money>::min());
}

TEST_F(MoneyTextTest, MoneyTextHasGroupsAndTwoDecimals) {
  EXPECT_EQ(MoneyToStr(12345678), "1,234.57");
  EXPECT_EQ(MoneyToStr(0), "0.00");
  EXPECT_EQ(MoneyToStr(-12345678), "-1,234.57");
  EXPECT_EQ(MoneyToStr(50), "0.01");    // half a cent rounds away from zero
  EXPECT_EQ(MoneyToStr(-50), "-0.01");
  EXPECT_EQ(MoneyToStr(49), "0.00");
  EXPECT_EQ(MoneyToStr(-49), "0.00");   // no minus on a zero text
  EXPECT_EQ(MoneyToStr(9999950), "1,000.00");
  EXPECT_EQ(MoneyToStr(1234567890000), "123,456,789.00");
  EXPECT_EQ(MoneyToStr(std::numeric_limits<Money>::max()), "922,337,203,685,477.58");
  EXPECT_EQ(MoneyToStr(std::numeric_limits<Money>::min()), "-922,337,203,685,477.58");
}

TEST_F(MoneyTextTest, MoneyTextFollowsTheLocale) {
  UseLocale(kGerman);
  EXPECT_EQ(MoneyToStr(12345678), "1.234,57");
  EXPECT_EQ(RateToStr(10000), "1,0000");
  EXPECT_EQ(QuantityToStr(25000), "2,5");
  UseLocale(UngroupedEnglish());
  EXPECT_EQ(MoneyToStr(12345678901), "1234567.89");
  UseLocale(kRussian);
  EXPECT_EQ(MoneyToStr(12345678), "1\u00A0234,57");
}

TEST_F(MoneyTextTest, RateTextHasFourDecimals) {
  EXPECT_EQ(RateToStr(10000), "1.0000");
  EXPECT_EQ(RateToStr(12345678), "1,234.5678");
  EXPECT_EQ(RateToStr(-5), "-0.0005");
  EXPECT_EQ(RateToStr(0), "0.0000");
}

TEST_F(MoneyTextTest, QuantityTextIsTheShortestForm) {
  EXPECT_EQ(QuantityToStr(10000), "1");
  EXPECT_EQ(QuantityToStr(25000), "2.5");
  EXPECT_EQ(QuantityToStr(12345), "1.2345");
  EXPECT_EQ(QuantityToStr(0), "0");
  EXPECT_EQ(QuantityToStr(1), "0.0001");
  EXPECT_EQ(QuantityToStr(-25000), "-2.5");
  EXPECT_EQ(QuantityToStr(12345678), "1234.5678");  // never grouped
  EXPECT_EQ(QuantityToStr(1000000000), "100000");
}

TEST_F(MoneyTextTest, EveryMoneyTextReadsBackAsItsAmount) {
  for (const QLocale& locale : {kEnglish, kGerman, kRussian, UngroupedEnglish()}) {
    UseLocale(locale);
    for (Money cents : {0LL, 1LL, 99LL, 100LL, 123456LL, 100000000LL, 98765432101LL}) {
      std::uint8_t error = 77;
      EXPECT_EQ(StrToMoney(MoneyToStr(cents * 100), error, 2), cents * 100)
          << locale.name().toStdString() << " " << MoneyToStr(cents * 100);
      EXPECT_EQ(error, 0);
      EXPECT_EQ(StrToMoney(RateToStr(cents), error, 4), cents);
      EXPECT_EQ(StrToMoney(QuantityToStr(cents), error, 4), cents);
    }
  }
}

TEST(SharedHelpersTest, FormatVersionAndEnvironment) {
  EXPECT_EQ(FormatVersion(130), "1.30");
  EXPECT_EQ(FormatVersion(1007), "10.07");
  EXPECT_EQ(FormatVersion(205), "2.05");
  setenv("PARDOW_TEST_LONG", std::string(5000, 'v').c_str(), 1);
  EXPECT_EQ(GetEnvVariable("PARDOW_TEST_LONG"), "");
  setenv("PARDOW_TEST_LONG", std::string(4095, 'v').c_str(), 1);
  EXPECT_EQ(GetEnvVariable("PARDOW_TEST_LONG").size(), 4095u);
  unsetenv("PARDOW_TEST_LONG");
}

}  // namespace
