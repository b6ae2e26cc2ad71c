// Items made from records, record defaults, transaction kinds and the
// in-memory index map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <random>

#include "Adbengine.h"
#include "EngineTestUtil.h"

TEST(Records, DefaultsCarryTodayAndQuantityOne) {
  CCapture capture;  // pins today to 15 May 2007, 12:00
  CTransactionItem t;
  EXPECT_EQ(t.id, 0u);
  EXPECT_EQ(t.record.date, EncodeDate(2007, 5, 15));
  EXPECT_EQ(t.record.quantity, 1.0f);
  CPlnTransactionItem p;
  EXPECT_EQ(p.record.schedule.kind, kScheduleNotSet);
  EXPECT_EQ(p.record.schedule.lastProcessed, EncodeDate(2007, 5, 15));
  EXPECT_EQ(p.record.schedule.onceDate, 0.0);
  EXPECT_EQ(p.record.transaction.date, EncodeDate(2007, 5, 15));
  CAccountItem a;
  EXPECT_EQ(a.balance, 0);
  EXPECT_EQ(a.record.budgetEnabled, 0);
}

TEST(Records, KindFollowsTheAccountFields) {
  TransactionRecord r;
  r.fromAccount = 103;
  EXPECT_TRUE(IsExpense(r));
  r.fromAccount = 0;
  r.toAccount = 103;
  EXPECT_TRUE(IsIncome(r));
  r.fromAccount = 104;
  EXPECT_TRUE(IsTransfer(r));
  EXPECT_FALSE(IsIncome(r));
  EXPECT_FALSE(IsExpense(r));
}

TEST(Records, ItemTextsComeFromThePoolAndMissingTextsAreEmpty) {
  CCapture capture;
  CScratch dir;
  CADBEngine db;
  db.CreateFile(dir.Path("a.vlt"));
  TransactionRecord r = DefaultTransactionRecord();
  r.descriptionId = db.AddString("Bread");
  r.commentId = 0;
  std::uint32_t id = db.AddItem(r);
  capture.Clear();
  CTransactionItem item = MakeItem(db, id, *db.Transactions().Find(id));
  EXPECT_EQ(item.id, id);
  EXPECT_EQ(item.description, "Bread");
  EXPECT_EQ(item.comment, "");
  EXPECT_TRUE(capture.log.empty()) << "an id below 100 is no text, not a missing one";

  // A string deleted behind the record's back: empty text and the pool's warning.
  ASSERT_TRUE(db.DelString(r.descriptionId));
  item = MakeItem(db, id, *db.Transactions().Find(id));
  EXPECT_EQ(item.description, "");
  EXPECT_TRUE(
      capture.Logged(2, "[GetString] Can't find string ID: " + std::to_string(r.descriptionId)));

  CCurrencyItem euro = MakeItem(db, 102, *db.Currencies().Find(102));
  EXPECT_EQ(euro.name, "\x88");
  EXPECT_EQ(euro.fullName, "Euro");
  CAccountItem cash = MakeItem(db, 103, *db.Accounts().Find(103));
  EXPECT_EQ(cash.name, "Cash");
  EXPECT_EQ(cash.record.currencyId, 101u);
}

namespace {
struct TestEntry : CBaseIndex {
  int record = 0;
};
TestEntry Entry(std::uint32_t position, int value) {
  TestEntry e;
  e.position = position;
  e.record = value;
  return e;
}
std::vector<std::uint32_t> Ids(TIndexMap<TestEntry>& map) {
  std::vector<std::uint32_t> ids;
  for (auto [id, entry] : map) ids.push_back(id);
  return ids;
}
}  // namespace

TEST(IndexMap, KeepsIdOrderWhateverTheInsertOrder) {
  TIndexMap<TestEntry> map;
  EXPECT_TRUE(map.Insert(105, Entry(2000, 5)));
  EXPECT_TRUE(map.Insert(101, Entry(2100, 1)));
  EXPECT_TRUE(map.Insert(103, Entry(2200, 3)));
  EXPECT_FALSE(map.Insert(103, Entry(2300, 9))) << "a present id is not replaced";
  EXPECT_EQ(Ids(map), (std::vector<std::uint32_t>{101, 103, 105}));
  EXPECT_EQ(map.Find(103)->record, 3);
  EXPECT_EQ(map.Find(104), nullptr);
  EXPECT_EQ(map.size(), 3u);
}

TEST(IndexMap, BulkLoadKeepsTheFirstOfDuplicateIds) {
  TIndexMap<TestEntry> map;
  map.LoadAppend(110, Entry(1024, 10));
  map.LoadAppend(102, Entry(1100, 2));
  map.LoadAppend(110, Entry(1200, 99));
  map.LoadAppend(120, Entry(1300, 20));
  map.FinishLoad();
  EXPECT_EQ(Ids(map), (std::vector<std::uint32_t>{102, 110, 120}));
  EXPECT_EQ(map.Find(110)->record, 10);
  EXPECT_EQ(map.size(), 3u);
}

TEST(IndexMap, FindsEveryIdAcrossRunsAndGaps) {
  // Runs of ids handed out one after another, with gaps of other items'
  // ids between them, some wide.
  TIndexMap<TestEntry> map;
  std::vector<bool> held(4200, false);
  for (std::uint32_t id = 7; id < 4100; id += (id % 97 == 0 ? 700 : id % 13 == 0 ? 3 : 1)) {
    map.LoadAppend(id, Entry(1024 + id, int(id)));
    held[id] = true;
  }
  map.FinishLoad();
  for (std::uint32_t id = 0; id < held.size(); ++id) {
    const TestEntry* found = map.Find(id);
    ASSERT_EQ(found != nullptr, held[id]) << id;
    if (found != nullptr) {
      EXPECT_EQ(found->record, int(id));
    }
  }
  // An id put into a gap lands between its neighbours.
  const std::uint32_t gap = 14 + 1;  // 13 skips to 16
  ASSERT_FALSE(held[gap]);
  EXPECT_TRUE(map.Insert(gap, Entry(9000, 15)));
  EXPECT_EQ(map.Find(gap)->record, 15);
  const std::vector<std::uint32_t> ids = Ids(map);
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

TEST(IndexMap, EraseHidesEntriesAndSweepsKeepTheRest) {
  TIndexMap<TestEntry> map;
  for (std::uint32_t id = 101; id < 20101; ++id) map.Insert(id, Entry(1024 + id, int(id)));
  EXPECT_EQ(map.Find(4000)->record, 4000) << "growing keeps the entries";
  EXPECT_TRUE(map.Erase(102));
  EXPECT_FALSE(map.Erase(102));
  EXPECT_EQ(map.Find(102), nullptr);
  // Erase most entries: the sweep must keep the survivors and their order.
  for (std::uint32_t id = 103; id < 20000; ++id) ASSERT_TRUE(map.Erase(id));
  EXPECT_EQ(map.size(), 102u);
  std::vector<std::uint32_t> ids = Ids(map);
  ASSERT_EQ(ids.size(), 102u);
  EXPECT_EQ(ids.front(), 101u);
  EXPECT_EQ(ids[1], 20000u);
  EXPECT_EQ(map.Find(20100)->record, 20100);
  EXPECT_TRUE(map.Insert(20101, Entry(9999, 1)));
  EXPECT_EQ(Ids(map).back(), 20101u);
}

TEST(IndexMap, TakesOverALargeMapAndFindsAcrossTheGap) {
  // The later map is large enough for its pages to be moved: dead slots lie
  // between the two runs. Every search, insert, erase from either end and
  // growth afterwards must step over them.
  TIndexMap<TestEntry> map, later;
  std::vector<bool> held(330'000, false);
  auto load = [&](TIndexMap<TestEntry>& into, std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t id = from; id < to; ++id) {
      into.LoadAppend(id, Entry(1024 + id, int(id)));
      held[id] = true;
    }
  };
  load(map, 100, 1100);
  load(later, 1105, 301105);
  EXPECT_GE(map.LoadAppendFrom(later), 1000u);
  map.FinishLoad();
  EXPECT_TRUE(later.empty());
  EXPECT_EQ(map.size(), 301000u);
  auto findsAll = [&](const char* step) {
    for (std::uint32_t id = 0; id < held.size(); ++id) {
      const TestEntry* found = map.Find(id);
      ASSERT_EQ(found != nullptr, held[id]) << step << ", id " << id;
      if (found != nullptr) {
        ASSERT_EQ(found->record, int(id)) << step;
      }
    }
    const std::vector<std::uint32_t> ids = Ids(map);
    ASSERT_EQ(ids.size(), map.size()) << step;
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << step;
  };
  findsAll("taken over");
  ASSERT_TRUE(map.Insert(1102, Entry(9000, 1102)));
  held[1102] = true;
  EXPECT_FALSE(map.Insert(1099, Entry(9001, 0))) << "the id before the gap is held";
  for (std::uint32_t id = 301104; id > 301000; --id) held[id] = !map.Erase(id);
  findsAll("inserted between, erased at the end");
  for (std::uint32_t id = 100; id < 1100; ++id) held[id] = !map.Erase(id);
  for (std::uint32_t id = 310'000; id < 330'000; ++id)
    held[id] = map.Insert(id, Entry(1024 + id, int(id)));
  findsAll("the first run erased, grown past the moved pages");
}

TEST(IndexMap, InsertsAmongManyIdsInAnyOrder) {
  // Ids missing from a large map come back one by one, as undoing a large
  // delete brings them: going down, going up, in no order, and mixed with
  // erases. The inserts far from the end go through the spare slots moved
  // to their place; every id must be found or not, and the walk stay sorted.
  struct Case {
    const char* order;
    std::function<std::vector<std::uint32_t>(std::vector<std::uint32_t>)> arrange;
  };
  const std::vector<Case> cases = {
      {"down", [](auto ids) { return std::vector<std::uint32_t>(ids.rbegin(), ids.rend()); }},
      {"up", [](auto ids) { return ids; }},
      {"no order",
       [](auto ids) {
         std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
         return ids;
       }},
  };
  for (const Case& c : cases) {
    TIndexMap<TestEntry> map;
    std::vector<bool> held(400'010, false);
    for (std::uint32_t id = 10; id < held.size(); id += 2) {
      map.LoadAppend(id, Entry(1024 + id, int(id)));
      held[id] = true;
    }
    map.FinishLoad();
    std::vector<std::uint32_t> missing;
    for (std::uint32_t id = 1001; id < 390'000; id += 6) missing.push_back(id);
    std::size_t step = 0;
    for (std::uint32_t id : c.arrange(missing)) {
      ASSERT_TRUE(map.Insert(id, Entry(1024 + id, int(id)))) << c.order << " " << id;
      held[id] = true;
      if (++step % 1000 == 0) {  // an erase now and then, near and far
        const std::uint32_t gone = id % 2 == 0 ? id : id + 1;
        held[gone] = held[gone] && !map.Erase(gone);
      }
    }
    for (std::uint32_t id = 0; id < held.size(); ++id) {
      const TestEntry* found = map.Find(id);
      ASSERT_EQ(found != nullptr, held[id]) << c.order << ", id " << id;
      if (found != nullptr) {
        ASSERT_EQ(found->record, int(id)) << c.order;
      }
    }
    const std::vector<std::uint32_t> ids = Ids(map);
    EXPECT_EQ(ids.size(), map.size()) << c.order;
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(std::count(held.begin(), held.end(), true)));
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << c.order;
  }
}

TEST(PageArray, KeepsTheValuesOfADequeThroughGrowthAndFrontDrops) {
  // The same operations on the array and on a deque, across growths by
  // remapping, drops from the front that give pages back (over 1 MB), and
  // the move down of the rest when it grows after such drops.
  TPageArray<std::uint64_t> array;
  std::deque<std::uint64_t> model;
  auto same = [&](const char* step) {
    ASSERT_EQ(array.size(), model.size()) << step;
    EXPECT_TRUE(std::equal(model.begin(), model.end(), array.begin())) << step;
  };
  std::uint64_t next = 1;
  auto push = [&](std::size_t n) {
    for (std::size_t i = 0; i < n; ++i, ++next) {
      array.push_back(next);
      model.push_back(next);
    }
  };
  push(300'000);  // 2.4 MB: grown several times
  same("after pushing");
  array.pop_front(200'000);
  model.erase(model.begin(), model.begin() + 200'000);
  same("after dropping 1.6 MB from the front");
  push(500'000);  // grows: the rest moves down first
  same("after growing past dropped pages");
  *array.open(5, 1) = 7;
  model.insert(model.begin() + 5, 7);
  array.pop_front(10);
  model.erase(model.begin(), model.begin() + 10);
  *array.open(3, 1) = 8;  // into the room dropped at the front
  model.insert(model.begin() + 3, 8);
  same("after inserts at either end of the array");
  array.resize_down(1000);
  model.resize(1000);
  same("after an insert and cutting back");
  TPageArray<std::uint64_t> moved(std::move(array));
  EXPECT_TRUE(array.empty());
  array.swap(moved);
  same("after a move and a swap");
  array.pop_front(array.size());
  model.clear();
  same("emptied from the front");
  push(3);
  same("filled again");
  // Growing by resize_zeroed clears what was written before, and nothing else.
  array.resize_down(1);
  array.resize_zeroed(1'000'000);
  model.resize(1);
  model.resize(1'000'000, 0);
  same("cut back and grown with zeros");
  // Pages taken from another array follow these; growth moves both.
  TPageArray<std::uint64_t> other;
  for (std::uint64_t i = 0; i < 400'000; ++i) other.push_back(i * 3);
  const std::size_t at = array.TakePagesOf(other);
  ASSERT_GE(at, model.size());
  model.resize(at, 0);  // (what lies between is left as it was: zeros here)
  for (std::uint64_t i = 0; i < 400'000; ++i) model.push_back(i * 3);
  EXPECT_TRUE(other.empty());
  same("after taking the pages of another");
  push(3'000'000);
  same("grown past the pages taken");
}

TEST(PageArray, GrowsWhereverTheSystemPlacesItsPages) {
  // Arrays that grow side by side, among other memory taken and given
  // back, land at places not aligned to huge pages. A growth must never
  // fail there (advice for huge pages on part of a mapping had split it,
  // and the next remap of the whole failed).
  for (unsigned round = 0; round < 5; ++round) {
    std::mt19937 random(round);
    TPageArray<char> arrays[4];
    std::vector<std::unique_ptr<char[]>> other;  // (never touched)
    std::size_t sizes[4] = {};
    for (int step = 0; step < 12'000; ++step) {
      const std::size_t k = random() % 4, n = random() % 4000;
      std::memset(arrays[k].append(n), static_cast<int>(k + 1), n);
      sizes[k] += n;
      if (random() % 50 == 0) other.emplace_back(new char[random() % (1 << 20)]);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      ASSERT_EQ(arrays[k].size(), sizes[k]);
      for (std::size_t i = 0; i < sizes[k]; i += 997)  // (moved pages keep their bytes)
        ASSERT_EQ(arrays[k][i], static_cast<char>(k + 1)) << round << " " << k << " " << i;
    }
  }
}
