// `pardow-cli dump` of files written byte by byte: every field in its JSON
// form, the list orders, texts of both encodings and the password slot.
#include <gtest/gtest.h>

#include "CliTestUtil.h"
#include "VltBuilder.h"

namespace {

const double kMay1 = Day(2007, 5, 1);
const double kMay31 = Day(2007, 5, 31);

TEST(DumpTest, HeaderFieldsAndEveryTransactionField) {
  CVltBuilder b(kMay1, kMay31);
  b.SetSelection(1, 2);
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  const std::uint32_t cash = b.Account("Cash", dollar, "wallet");
  const std::uint32_t food = b.SubType("Food", 2, true);
  const std::uint32_t me = b.SubType("Me", 6);
  const std::uint32_t shop = b.SubType("Shop", 5);
  TxSpec t;
  t.date = Day(2007, 5, 3, 0.75);  // 18:00
  t.from = cash;
  t.amountOut = t.amountIn = 125000;
  t.quantity = 2.5f;
  t.member = me;
  t.category = food;
  t.section = shop;
  t.description = "Bread \"rye\"";
  t.comment = "line one\nline two";
  const std::uint32_t id = b.Transaction(t);
  const std::string file = TempFile("db.vlt");
  b.Write(file);

  Json d = Dump(file);
  EXPECT_EQ(d["version"], 230);
  EXPECT_EQ(d["nextItemId"], id);
  EXPECT_EQ(d["nextStringId"], 109);  // $, Dollar, Cash, wallet, Food, Me, Shop, 2 texts
  EXPECT_EQ(d["interval"]["begin"], "2007-05-01");
  EXPECT_EQ(d["interval"]["end"], "2007-05-31");
  EXPECT_EQ(d["selectedAccount"], 1);
  EXPECT_EQ(d["selectedCurrency"], 2);
  ASSERT_EQ(d["transactions"].size(), 1u);
  const Json& x = d["transactions"][0];
  EXPECT_EQ(x["id"], id);
  EXPECT_EQ(x["date"], "2007-05-03T18:00:00");
  EXPECT_EQ(x["from"], cash);
  EXPECT_EQ(x["to"], 0);
  EXPECT_EQ(x["amountOut"], 125000);  // 12.5 in ten-thousandths, an integer
  EXPECT_TRUE(x["amountOut"].is_number_integer());
  EXPECT_EQ(x["quantity"], 2.5);
  EXPECT_EQ(x["member"], me);
  EXPECT_EQ(x["category"], food);
  EXPECT_EQ(x["section"], shop);
  EXPECT_EQ(x["description"], "Bread \"rye\"");
  EXPECT_EQ(x["comment"], "line one\nline two");
  EXPECT_EQ(d["subtypes"][0]["showQuantity"], true);
  EXPECT_EQ(d["subtypes"][1]["showQuantity"], false);
  EXPECT_EQ(d["accounts"][0]["comment"], "wallet");
}

TEST(DumpTest, QuantitiesReadBackAsTheStoredFloat) {
  CVltBuilder b(kMay1, kMay31);
  TxSpec t;
  t.date = kMay1;
  t.quantity = 0.1f;
  b.Transaction(t);
  t.quantity = 1.0f;
  b.Transaction(t);
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json d = Dump(file);
  EXPECT_EQ(d["transactions"][0]["quantity"].get<float>(), 0.1f);
  EXPECT_EQ(d["transactions"][1]["quantity"], 1);
}

TEST(DumpTest, TextsAreUtf8WhetherStoredAsUtf8OrWindows1251) {
  CVltBuilder b(kMay1, kMay31);
  b.Currency("\x88", "Euro");                      // the euro sign of code page 1251
  b.Currency("\xD0\xA0", "\xD0\xF3\xE1\xEB\xFC");  // UTF-8 "Р"; 1251 "Рубль"
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json d = Dump(file);
  ASSERT_EQ(d["currencies"].size(), 2u);
  // Listed by full name in byte order: "Euro" before the 1251 bytes.
  EXPECT_EQ(d["currencies"][0]["name"], "\xE2\x82\xAC");
  EXPECT_EQ(d["currencies"][1]["name"], "\xD0\xA0");
  EXPECT_EQ(d["currencies"][1]["fullName"], "\xD0\xA0\xD1\x83\xD0\xB1\xD0\xBB\xD1\x8C");
}

TEST(DumpTest, ListsAreInByteOrderAndSubtypesInIdOrder) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t c1 = b.Currency("e", "euro");
  const std::uint32_t c2 = b.Currency("D", "Dollar");
  const std::uint32_t c3 = b.Currency("U",
                                      "\xC3\x9C"
                                      "ber");  // "Über": bytes above 'z'
  const std::uint32_t b1 = b.Account("b", c1);
  const std::uint32_t b2 = b.Account("B", c1);
  const std::uint32_t b3 = b.Account("a", c1);
  const std::uint32_t b4 = b.Account("ab", c1);
  const std::uint32_t s1 = b.SubType("zeta", 2);
  const std::uint32_t s2 = b.SubType("alpha", s1);
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json d = Dump(file);
  std::vector<std::uint32_t> currencies, accounts, subtypes;
  for (const Json& c : d["currencies"]) currencies.push_back(c["id"]);
  for (const Json& a : d["accounts"]) accounts.push_back(a["id"]);
  for (const Json& s : d["subtypes"]) subtypes.push_back(s["id"]);
  EXPECT_EQ(currencies, (std::vector<std::uint32_t>{c2, c1, c3}));
  EXPECT_EQ(accounts, (std::vector<std::uint32_t>{b2, b3, b4, b1}));  // B, a, ab, b
  EXPECT_EQ(subtypes, (std::vector<std::uint32_t>{s1, s2}));
  EXPECT_EQ(d["subtypes"][1]["parent"], s1);
}

TEST(DumpTest, PasswordIsUnscrambledAndAnUnsetSlotIsEmpty) {
  // "abc" is stored with each byte lowered by its length, 3.
  CVltBuilder b(kMay1, kMay31);
  b.SetSlot(0, b.String("^_`"));
  const std::string withPassword = TempFile("with.vlt");
  b.Write(withPassword);
  EXPECT_EQ(Json::parse(RunCli({"--password", "abc", "dump", withPassword}).out)["password"],
            "abc");

  const std::string without = TempFile("without.vlt");
  CVltBuilder(kMay1, kMay31).Write(without);
  EXPECT_EQ(Dump(without)["password"], "");
  EXPECT_EQ(Dump(without)["nextStringId"], 100);  // reading it stored no text
}

TEST(DumpTest, AProtectedFileOpensOnlyForItsPassword) {
  CVltBuilder b(kMay1, kMay31);
  b.SetSlot(0, b.String("^_`"));  // "abc"
  const std::string file = TempFile("locked.vlt");
  b.Write(file);
  struct Case {
    std::string prefix;  // the environment
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {"", {"dump", file}, 3},
      {"", {"--password", "abd", "balance", file}, 3},
      {"", {"--password", "abc", "balance", file}, 0},
      {"PARDOW_PASSWORD=abc ", {"info", file}, 0},
      {"PARDOW_PASSWORD=x ", {"add-account", file, R"({"name": "A", "currency": 101})"}, 3},
      {"", {"create", file}, 1},  // never over an existing file
  };
  for (const Case& c : cases) {
    const CliResult r = RunCliAfter(c.prefix, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.prefix << c.args[0] << " " << r.err;
    if (c.exitCode != 0) {
      EXPECT_EQ(r.out, "") << c.args[0];
    }
  }
  EXPECT_EQ(Json::parse(RunCli({"--password", "abc", "dump", file}).out)["accounts"].size(), 0u);
}

TEST(DumpTest, PlannedTransactionsCarryTheirSchedule) {
  CVltBuilder b(kMay1, kMay31);
  TxSpec t;
  t.description = "Gym";
  ScheduleSpec s;
  s.kind = 3;
  s.lastProcessed = Day(2007, 5, 4);
  s.onceDate = Day(2007, 6, 1, 0.5);
  s.period = 75;
  s.weekdays = {1, 0, 0, 0, 1, 0, 0};
  const std::uint32_t id = b.Planned(t, s);
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json p = Dump(file)["planned"][0];
  EXPECT_EQ(p["id"], id);
  EXPECT_EQ(p["description"], "Gym");
  EXPECT_EQ(p["schedule"]["kind"], 3);
  EXPECT_EQ(p["schedule"]["lastProcessed"], "2007-05-04");
  EXPECT_EQ(p["schedule"]["onceDate"], "2007-06-01T12:00:00");
  EXPECT_EQ(p["schedule"]["period"], 75);
  EXPECT_EQ(p["schedule"]["weekdays"], Json::parse("[1,0,0,0,1,0,0]"));
}

TEST(DumpTest, DumpExecutesNoPlannedTransaction) {
  CVltBuilder b(kMay1, kMay31);
  TxSpec t;
  ScheduleSpec s;
  s.kind = 2;
  s.period = 1;
  s.lastProcessed = Day(2007, 4, 1);  // thirty days overdue on 1 May
  b.Planned(t, s);
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json d = Dump(file, "2007-05-15");
  EXPECT_TRUE(d["transactions"].empty());
  EXPECT_EQ(d["planned"][0]["schedule"]["lastProcessed"], "2007-04-01");
}

TEST(DumpTest, RefusedFilesFailWithoutOutput) {
  const std::string missing = TempFile("missing.vlt");
  CliResult r = RunCli({"dump", missing});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.out.empty());

  const std::string bad = TempFile("bad.vlt");
  CVltBuilder b(kMay1, kMay31);
  b.Write(bad);
  {
    std::FILE* f = std::fopen(bad.c_str(), "r+b");
    std::fseek(f, 8, SEEK_SET);
    std::fputc('X', f);  // signature no longer "Omrin DBE"
    std::fclose(f);
  }
  r = RunCli({"dump", bad});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.out.empty());
}

}  // namespace

namespace {

// Amounts at the ends of the range (only a damaged file holds them) must
// not make the figures undefined. Run under -fsanitize=undefined this shows
// the unguarded sums of the account figures and of the planned forecast.
TEST(DumpTest, ExtremeAmountsOfADamagedFileStillGiveFigures) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  const std::uint32_t a = b.Account("A", dollar);
  TxSpec t;
  t.date = Day(2007, 5, 2);
  t.from = a;
  t.amountOut = t.amountIn = INT64_MIN;
  b.Transaction(t);
  t.amountOut = t.amountIn = INT64_MAX;
  b.Transaction(t);
  ScheduleSpec daily;
  daily.kind = 2;
  daily.period = 1;
  daily.lastProcessed = Day(2007, 4, 30);
  b.Planned(t, daily);
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json d = Dump(file);
  EXPECT_EQ(d["accounts"].size(), 1u);
  CliResult r = RunCli({"--today", "2007-05-15", "balance", file});
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace
