// A transaction tree over a scratch database that holds May 2007, shown in
// the tree control of the main window, with log lines and messages captured.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "EngineTestUtil.h"
#include "Money.h"
#include "Node.h"
#include "Omrindb.h"
#include "Skin.h"

// Adds a subtype under `parent` and returns its id.
inline std::uint32_t AddSubType(CDataBase& db, const std::string& name, std::uint32_t parent,
                                bool showQuantity = false) {
  CSubTypeItem s;
  s.name = name;
  s.record.parentId = parent;
  s.record.showQuantity = showQuantity;
  return db.AddSubType(s);
}

class CTreeFixture : public testing::Test {
 protected:
  void SetUp() override {
    db.Create(dir.Path("tree.vlt"));
    db.SetInterval(EncodeDate(2007, 5, 1), EncodeDate(2007, 5, 31));
    tree = std::make_unique<CTransactionsTree>(&control, db, "Incomings", "Expenses");
  }
  std::uint32_t SubType(const std::string& name, std::uint32_t parent, bool showQuantity = false) {
    return AddSubType(db, name, parent, showQuantity);
  }
  // Builds the tree of `account` from the transactions of the interval.
  void Build(bool full = true, std::uint32_t account = 103, bool showEmpty = false) {
    TTransactionInterval::iterator first, last;
    ASSERT_TRUE(db.GetTransactions(first, last));
    tree->BuildForAccount(first, last, account, full, showEmpty);
  }
  void BuildInCurrency(std::uint32_t currency) {
    TTransactionInterval::iterator first, last;
    ASSERT_TRUE(db.GetTransactions(first, last));
    tree->BuildInCurrency(first, last, currency, true, false);
  }
  // The child of `node` under `key`, or nullptr.
  static CTransactionNode* Child(CTransactionNode* node, std::uint32_t key) {
    auto it = node->children.find(key);
    return it == node->children.end() ? nullptr : it->second.get();
  }

  CCapture capture;
  CScratch dir;
  CDataBase db;
  CFundsTree control;
  std::unique_ptr<CTransactionsTree> tree;
};
