// Reading HomeBank files: the sample book HomeBank itself ships (Debian's
// homebank-data) converts with every balance HomeBank shows for it; splits
// and a transfer missing its other half keep the balances exact.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "Convert.h"
#include "HomeBank.h"
#include "Omrindb.h"
#include "TempFolder.h"

namespace {

TEST(HomeBank, SampleBookConvertsWithTheBalancesHomeBankShows) {
  std::ifstream in("/usr/share/homebank/datas/example.xhb", std::ios::binary);
  ASSERT_TRUE(in) << "scripts/install-deps.sh installs homebank-data";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const CForeignRead read = ReadForeignBook(bytes.str());
  ASSERT_TRUE(read.ok) << read.ErrorText();
  EXPECT_EQ(read.book.format, "HomeBank");
  CTempFolder folder;
  SetClock(EncodeDate(2026, 12, 10));
  const CConvertResult result = ConvertBook(read.book, folder.Path("home.vlt"), {});
  ASSERT_TRUE(result.ok) << result.error;
  // The fifteen monthly schedules come over as planned transactions that
  // start after today: opening the database posts none of 2023's backlog.
  EXPECT_EQ(result.planned, 15u);
  {
    CDataBase db;
    ASSERT_TRUE(db.Open(folder.Path("home.vlt")));
    const std::size_t before = db.Transactions().size();
    EXPECT_TRUE(db.ApplyPlnTransactions());
    EXPECT_EQ(db.Transactions().size(), before);
    bool netflix = false;
    for (auto [id, entry] : db.PlnTransactions()) {
      CPlnTransactionItem item;
      db.GetPlnTransaction(id, item);
      if (item.description != "Netflix") continue;
      netflix = true;
      EXPECT_EQ(item.record.schedule.kind, kScheduleMonthly);
      EXPECT_EQ(item.record.schedule.period, 14 + 50);  // the 14th of every month
      EXPECT_EQ(item.record.schedule.lastProcessed, EncodeDate(2026, 11, 30));
    }
    EXPECT_TRUE(netflix);
  }
  ResetClock();
  std::map<std::string, Money> stored;
  for (const CAccountCheck& check : result.checks) stored[check.name] = check.stored;
  // HomeBank's own account list for the file: 513,10 EUR, 1 260,00 EUR, 565 JPY.
  EXPECT_EQ(stored, (std::map<std::string, Money>{{"Cheque account", 5131000},
                                                  {"Saving account", 12600000},
                                                  {"Japan account", 5650000}}));
  ASSERT_EQ(read.book.rates.size(), 1u);
  EXPECT_DOUBLE_EQ(read.book.rates[0].rate, 130.56);
}

TEST(HomeBank, SplitsAndAHalfTransferKeepBalancesExact) {
  const std::string file =
      "<?xml version=\"1.0\"?>\n<homebank v=\"1.3\">\n<properties curr=\"1\"/>\n"
      "<cur key=\"1\" iso=\"EUR\" name=\"Euro\" rate=\"0\"/>\n"
      "<account key=\"1\" type=\"1\" curr=\"1\" name=\"Bank\" initial=\"100\"/>\n"
      "<account key=\"2\" type=\"2\" curr=\"1\" name=\"Cash\" initial=\"0\"/>\n"
      "<cat key=\"1\" name=\"Food\"/>\n<cat key=\"2\" parent=\"1\" name=\"Bakery\"/>\n"
      "<cat key=\"3\" flags=\"2\" name=\"Salary\"/>\n"
      "<ope date=\"739600\" amount=\"-30\" account=\"1\" flags=\"256\" wording=\"shop\" "
      "scat=\"2||1\" samt=\"-10.5||-19.5\" smem=\"bread||other\"/>\n"
      "<ope date=\"739601\" amount=\"-20\" account=\"1\" dst_account=\"2\" kxfer=\"7\"/>\n"
      "<ope date=\"739602\" amount=\"1000\" account=\"1\" category=\"3\"/>\n"
      "</homebank>\n";
  const CForeignRead read = ReadHomeBank(file);
  ASSERT_TRUE(read.ok) << read.ErrorText();
  const CConvertSummary summary = SummarizeBook(read.book, {});
  ASSERT_EQ(summary.accounts.size(), 2u);
  EXPECT_EQ(summary.accounts[0].source, (100 - 30 - 20 + 1000) * kMoneyOne);
  EXPECT_EQ(summary.accounts[1].source, 0);  // the other half is not in the file
  ASSERT_EQ(read.book.transactions[0].lines.size(), 2u);
  EXPECT_EQ(read.book.transactions[0].lines[0].category, "Food:Bakery");
  EXPECT_EQ(read.book.transactions[0].lines[0].amount, -105000);
  EXPECT_EQ(read.book.transactions[0].date, EncodeDate(2025, 12, 15));
  EXPECT_FALSE(ReadHomeBank("<gnc-v2/>").ok);
}

}  // namespace
