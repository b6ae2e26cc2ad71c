#include "DialogsTestUtil.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "Dates.h"
#include "Include.h"
#include "Platform.h"

namespace {

// Settings in a temporary INI file, the English language file and a pinned
// clock for the whole program.
class CDialogsEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    InitSettings(std::string(getenv("HOME")) + "/settings.ini", true);
    InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
    SetClock(EncodeDate(2007, 5, 4));
  }
  void TearDown() override {
    FreeLocalization("");
    FreeSettings();
  }
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new CDialogsEnvironment);

}  // namespace

CMessages::CMessages() {
  SetMessageHook([this](const std::string& text) { texts.push_back(text); });
}
CMessages::~CMessages() {
  SetMessageHook({});
}

CTestBase::CTestBase() {
  db.Create(dir.filePath("test.vlt").toStdString());
  CAccountItem account;
  account.name = "Bank";
  account.record.currencyId = dollar;
  bank = db.AddAccount(account);
  account.name = "Savings";
  account.record.currencyId = euro;
  savings = db.AddAccount(account);
  db.SetExchangeRate(dollar, euro, 0.8);
}

std::uint32_t CTestBase::AddSubType(const std::string& name, std::uint32_t parent) {
  CSubTypeItem item;
  item.name = name;
  item.record.parentId = parent;
  return db.AddSubType(item);
}

std::uint32_t CTestBase::AddExpense(const std::string& description, double amount, float quantity) {
  CTransactionItem item;
  item.description = description;
  item.record.date = EncodeDate(2007, 4, 1);
  item.record.fromAccount = cash;
  item.record.amountOut = item.record.amountIn = M(amount);
  item.record.quantity = quantity;
  return db.AddTransaction(item);
}

std::vector<CTransactionItem> CTestBase::Transactions() {
  std::vector<CTransactionItem> items;
  for (std::uint32_t id = 101; id < 400; ++id) {
    CTransactionItem item;
    if (db.GetTransaction(id, item).id != 0) items.push_back(item);
  }
  return items;
}
