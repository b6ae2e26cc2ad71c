// Undo and redo of every kind of change: the data after an undo is the data
// before the change (ids, texts, dates and schedules included), in memory
// and in the file; a failed or killed undo leaves every item whole.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "FinanceTestUtil.h"

namespace {

// Every live item as (table and id) -> its record with the texts written out
// in place of their string ids, plus the password slot.
using TState = std::map<std::string, std::string>;

template <class Record>
std::string Bytes(Record record, std::initializer_list<std::uint32_t Record::*> textFields) {
  for (auto field : textFields) record.*field = 0;  // the texts are compared as texts
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

TState State(CDataBase& db) {
  TState state;
  auto put = [&](const char* table, std::uint32_t id, std::string value) {
    state[std::string(table) + std::to_string(id)] = std::move(value);
  };
  for (auto [id, e] : db.Currencies()) {
    CCurrencyItem item;
    db.GetCurrency(id, item);
    put("currency", id,
        item.name + "|" + item.fullName + "|" +
            Bytes(e->record, {&CurrencyRecord::nameId, &CurrencyRecord::fullNameId}));
  }
  for (auto [id, e] : db.Accounts()) {
    CAccountItem item;
    db.GetAccount(id, item);
    put("account", id,
        item.name + "|" + item.comment + "|" +
            Bytes(e->record, {&AccountRecord::nameId, &AccountRecord::commentId}));
  }
  for (auto [id, e] : db.SubTypes()) {
    CSubTypeItem item;
    put("subtype", id,
        db.GetSubType(id, item).name + "|" + Bytes(e->record, {&SubTypeRecord::nameId}));
  }
  for (auto [id, e] : db.ExchangeRates()) put("rate", id, Bytes(e->record, {}));
  for (auto [id, e] : db.Transactions()) {
    CTransactionItem item;
    db.GetTransaction(id, item);
    put("transaction", id,
        item.description + "|" + item.comment + "|" +
            Bytes(e->record, {&TransactionRecord::descriptionId, &TransactionRecord::commentId}));
  }
  for (auto [id, e] : db.PlnTransactions()) {
    CPlnTransactionItem item;
    db.GetPlnTransaction(id, item);
    PlnTransactionRecord r = e->record;
    r.transaction.descriptionId = r.transaction.commentId = 0;
    put("planned", id, item.description + "|" + item.comment + "|" + Bytes(r, {}));
  }
  state["password"] = db.GetPassword();
  return state;
}

}  // namespace

class Undo : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    SetToday(2026, 5, 20);
    db.SetPassword("secret");
    usd = 100 + 1;  // the new file's dollar
    bank = Account("Bank");
    food = SubType("Food", kExpenseRoot);
    bakery = SubType("Bakery", food);
    fruit = SubType("Fruit", food);
    bread = Move(D(2026, 5, 3) + 0.75, bank, 0, 2.5, -1, "Bread");
    CTransactionItem t;
    db.GetTransaction(bread, t);
    t.record.categoryId = bakery;
    t.comment = "rye";
    db.EditTransaction(t);
    milk = Move(D(2026, 5, 4), bank, 0, 1.2, -1, "Milk");
    ScheduleRecord weekly;
    weekly.kind = kScheduleWeekly;
    weekly.lastProcessed = D(2026, 5, 10);
    weekly.weekdays[0] = 1;
    rent = Plan(weekly, bank, 0, 700, "Rent");
    db.SetExchangeRate(usd, usd + 1, 0.9);
  }

  // The data as a second reader of a copy of the file sees it.
  TState FileState() {
    const std::string copy = dir.Path("copy.vlt");
    WriteFileBytes(copy, ReadFileBytes(path));
    CDataBase reader;
    EXPECT_TRUE(reader.Open(copy));
    return State(reader);
  }

  std::uint32_t usd = 0, bank = 0, food = 0, bakery = 0, fruit = 0, bread = 0, milk = 0, rent = 0;
};

// Each change kind: do, undo, redo, undo. The data after each equals the
// data before the change or right after it, in memory and after reopening.
TEST_F(Undo, EveryChangeKindIsUndoneAndRedoneExactly) {
  struct Case {
    const char* name;
    EChangeKind kind;
    std::string subject;
    std::function<void()> change;
  };
  const std::vector<Case> cases = {
      {"add transaction", EChangeKind::kAdd, "Cheese",
       [&] { Move(D(2026, 5, 5), bank, 0, 4, -1, "Cheese"); }},
      {"edit transaction", EChangeKind::kEdit, "Brown bread",
       [&] {
         CTransactionItem t;
         db.GetTransaction(bread, t);
         t.description = "Brown bread";
         t.record.amountOut = t.record.amountIn = 31000;
         db.EditTransaction(t);
       }},
      {"delete transaction", EChangeKind::kDelete, "Bread", [&] { db.DelTransaction(bread); }},
      {"edit fields", EChangeKind::kEdit, "Milk",
       [&] {
         TransactionRecord r = db.Transactions().Find(milk)->record;
         r.categoryId = fruit;
         db.EditTransactionFields(kTransactionKind, milk, r);
       }},
      {"delete planned", EChangeKind::kDelete, "Rent", [&] { db.DelPlnTransaction(rent); }},
      {"post planned", EChangeKind::kPlannedPosting, "",
       [&] {
         SetToday(2026, 6, 2);
         db.ApplyPlnTransactions();
       }},
      {"edit account", EChangeKind::kEdit, "Savings",
       [&] {
         CAccountItem a;
         db.GetAccount(bank, a);
         a.name = "Savings";
         a.comment = "moved";
         db.EditAccount(a);
       }},
      {"delete account", EChangeKind::kDelete, "Bank", [&] { db.DelAccount(bank); }},
      {"delete currency and its rate", EChangeKind::kDelete, "$", [&] { db.DelCurrency(usd); }},
      {"change a rate", EChangeKind::kExchangeRate, "",
       [&] { db.SetExchangeRate(usd, usd + 1, 0.8); }},
      {"delete category lifting children", EChangeKind::kDelete, "Food",
       [&] { db.DelSubType(food, false); }},
      {"delete category with children", EChangeKind::kDelete, "Food",
       [&] { db.DelSubType(food, true); }},
      {"move category", EChangeKind::kMove, "Fruit", [&] { db.MoveSubType(fruit, kExpenseRoot); }},
      {"password", EChangeKind::kSettings, "", [&] { db.SetPassword("other"); }},
      {"bulk change", EChangeKind::kChangeMany, "",
       [&] {
         CDataBase::CChangeScope step(db, EChangeKind::kChangeMany);
         for (std::uint32_t id : {bread, milk}) {
           CTransactionItem t;
           db.GetTransaction(id, t);
           t.record.categoryId = fruit;
           db.EditTransaction(t);
         }
         db.DelTransaction(milk);
       }},
      {"import", EChangeKind::kImport, "may.csv",
       [&] {
         CDataBase::CChangeScope step(db, EChangeKind::kImport, "may.csv");
         std::vector<TransactionRecord> records(3, db.Transactions().Find(milk)->record);
         std::vector<std::array<std::string, 2>> texts = {
             {"Tea", ""}, {"Coffee", "beans"}, {"", ""}};
         std::vector<std::uint32_t> ids;
         db.AppendTransactions(records, texts, ids);
         SubType("Drinks", kExpenseRoot);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();  // a fresh file for each case
    Reopen();
    const TState before = State(db);
    c.change();
    const TState after = State(db);
    ASSERT_NE(after, before);
    const CChangeStep* step = db.NextUndo();
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->kind, c.kind);
    if (!c.subject.empty()) {
      EXPECT_EQ(step->subject, c.subject);
    }
    ASSERT_TRUE(db.Undo()) << db.GetLastWriteError();
    EXPECT_EQ(State(db), before);
    EXPECT_EQ(FileState(), before) << "undone in the file";
    ASSERT_TRUE(db.Redo()) << db.GetLastWriteError();
    EXPECT_EQ(State(db), after);
    ASSERT_TRUE(db.Undo()) << db.GetLastWriteError();
    EXPECT_EQ(FileState(), before) << "undone again in the file";
    ASSERT_TRUE(db.Redo());
    Reopen();
    EXPECT_EQ(State(db), after) << "redone in the file";
    EXPECT_EQ(db.NextUndo(), nullptr) << "opening forgets the steps";
    db.Close();
  }
}

TEST_F(Undo, StepsGoBackInOrderAndANewChangeDropsTheRedos) {
  const TState start = State(db);
  db.SetInterval(D(2026, 5, 1), D(2026, 5, 31));
  const Money balance = Figures(bank).balance;
  const std::uint32_t cheese = Move(D(2026, 5, 6), bank, 0, 4, -1, "Cheese");
  EXPECT_EQ(Figures(bank).balance, balance - M(4));
  const TState added = State(db);
  db.DelTransaction(bread);
  ASSERT_EQ(db.NextUndo()->subject, "Bread");
  ASSERT_TRUE(db.Undo());
  EXPECT_EQ(State(db), added);
  ASSERT_TRUE(db.Undo());
  EXPECT_EQ(State(db), start);
  EXPECT_EQ(Figures(bank).balance, balance) << "the figures follow an undo";
  EXPECT_EQ(db.NextRedo()->subject, "Cheese");
  ASSERT_TRUE(db.Redo());
  EXPECT_TRUE(db.Transactions().Find(cheese) != nullptr) << "the same id comes back";
  db.DelTransaction(milk);  // a new change: "delete Bread" can no longer be redone
  EXPECT_EQ(db.NextRedo(), nullptr);
  EXPECT_EQ(db.NextUndo()->subject, "Milk");
}

// A full disk halfway through an undo: reported, the file keeps the step
// whole, and the step can be undone once there is room.
TEST_F(Undo, AFailedUndoLeavesTheStepWhole) {
  const TState before = State(db);
  db.DelSubType(food, true);
  const TState after = State(db);
  int writes = 0;
  SetWriteFaultHook([&](const std::string&, const char* what) {
    return std::strcmp(what, "cannot write") == 0 && ++writes == 4 ? ENOSPC : 0;
  });
  EXPECT_FALSE(db.Undo());
  SetWriteFaultHook({});
  EXPECT_FALSE(db.GetLastWriteError().empty());
  EXPECT_EQ(State(db), after);
  ASSERT_NE(db.NextUndo(), nullptr);
  ASSERT_TRUE(db.Undo()) << db.GetLastWriteError();
  EXPECT_EQ(State(db), before);
}

// Killed at every write of an undo and of a redo: the file opens and every
// item is as before the step or as after it; nothing is half-written.
TEST_F(Undo, KilledAtEveryWriteLosesNothing) {
  auto step = [&] {
    CDataBase::CChangeScope change(db, EChangeKind::kChangeMany);
    db.DelSubType(food, true);
    CTransactionItem t;
    db.GetTransaction(milk, t);
    t.description = "Oat milk";
    db.EditTransaction(t);
    Move(D(2026, 5, 7), bank, 0, 9, -1, "Eggs");
  };
  db.Close();
  const std::vector<char> start = ReadFileBytes(path);
  ASSERT_TRUE(db.Open(path));
  const TState before = State(db);
  step();
  const TState after = State(db);
  db.Close();
  auto value = [](const TState& state, const std::string& key) {
    auto it = state.find(key);
    return it == state.end() ? std::string("(none)") : it->second;
  };
  for (bool redo : {false, true}) {
    int kills = 0;
    for (int n = 1;; ++n) {
      SCOPED_TRACE((redo ? "redo killed at write " : "undo killed at write ") + std::to_string(n));
      WriteFileBytes(path, start);
      const pid_t child = fork();
      if (child == 0) {
        db.Open(path);
        step();
        if (redo) db.Undo();
        int seen = 0;
        SetWriteFaultHook([&](const std::string&, const char*) {
          if (++seen == n) _exit(9);  // killed at this instant
          return 0;
        });
        _exit((redo ? db.Redo() : db.Undo()) ? 0 : 1);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status));
      ASSERT_TRUE(db.Open(path));
      const TState cut = State(db);
      db.Close();
      if (WEXITSTATUS(status) != 9) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(cut, redo ? after : before) << "the undisturbed run";
        break;
      }
      ++kills;
      std::set<std::string> keys;
      for (const TState* state : {&before, &after, &cut})
        for (const auto& [key, unused] : *state) keys.insert(key);
      for (const std::string& key : keys) {
        const std::string now = value(cut, key);
        EXPECT_TRUE(now == value(before, key) || now == value(after, key))
            << key << " is half changed: " << now;
      }
    }
    EXPECT_GT(kills, 5);
  }
  EXPECT_TRUE(capture.messages.empty()) << "no killed run left damage to repair";
}
