// Helpers for the dialog tests: a scratch database with accounts in two
// currencies and a few subtypes, and recorded messages. The program runs with
// settings in a temporary INI file, the English language file and the clock
// pinned to 4 May 2007.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>
#include <vector>

#include "Money.h"
#include "Omrindb.h"
#include "StripPicture.h"
#include "WindowDriver.h"

// The finance database with a switch that makes the windows' stores fail
// as a full disk does: adds answer 0, edits and deletes fail, nothing is
// written.
class CSwitchableBase : public CDataBase {
 public:
  bool failStores = false;
  std::uint32_t AddSubType(CSubTypeItem item) override {
    return failStores ? 0 : CDataBase::AddSubType(std::move(item));
  }
  int EditSubType(CSubTypeItem item) override {
    return failStores ? 0 : CDataBase::EditSubType(std::move(item));
  }
  bool DelSubType(std::uint32_t id, bool withChildren) override {
    return !failStores && CDataBase::DelSubType(id, withChildren);
  }
  std::uint32_t AddCurrency(CCurrencyItem item) override {
    return failStores ? 0 : CDataBase::AddCurrency(std::move(item));
  }
  int EditCurrency(CCurrencyItem item) override {
    return failStores ? 0 : CDataBase::EditCurrency(std::move(item));
  }
  bool DelCurrency(std::uint32_t id) override { return !failStores && CDataBase::DelCurrency(id); }
  std::uint32_t AddAccount(CAccountItem item) override {
    return failStores ? 0 : CDataBase::AddAccount(std::move(item));
  }
  int EditAccount(CAccountItem item) override {
    return failStores ? 0 : CDataBase::EditAccount(std::move(item));
  }
  bool DelAccount(std::uint32_t id) override { return !failStores && CDataBase::DelAccount(id); }
};

// Records the messages shown to the user while it lives.
class CMessages {
 public:
  CMessages();
  ~CMessages();
  std::vector<std::string> texts;
};

// A new database with the accounts Cash and Bank in dollars and Savings in
// euros (one dollar is worth 0.8 euros).
class CTestBase {
 public:
  CTestBase();
  std::uint32_t AddSubType(const std::string& name, std::uint32_t parent);
  std::uint32_t AddExpense(const std::string& description, double amount, float quantity = 1.0f);
  // Stored transactions in id order.
  std::vector<CTransactionItem> Transactions();

  QTemporaryDir dir;
  CSwitchableBase db;
  std::uint32_t dollar = 101, euro = 102;
  std::uint32_t cash = 103, bank = 0, savings = 0;
};
