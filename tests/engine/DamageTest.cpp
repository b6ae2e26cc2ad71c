// Opening files that are damaged, too large or interrupted while being
// upgraded never costs a stored record.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "Adbengine.h"
#include "EngineTestUtil.h"

namespace {

class Damage : public testing::Test {
 protected:
  // The ids of every live item of every table.
  std::set<std::uint32_t> LiveIds() {
    std::set<std::uint32_t> ids;
    for (auto [id, e] : db.Currencies()) ids.insert(id);
    for (auto [id, e] : db.Accounts()) ids.insert(id);
    for (auto [id, e] : db.Transactions()) ids.insert(id);
    for (auto [id, e] : db.PlnTransactions()) ids.insert(id);
    return ids;
  }

  // An expense from the cash account the new files hold.
  static TransactionRecord CashExpense() {
    TransactionRecord t = DefaultTransactionRecord();
    t.fromAccount = 103;
    return t;
  }

  CCapture capture;
  CScratch dir;
  CADBEngine db;
};

std::vector<char> RecordArea(const std::vector<char>& bytes) {
  return std::vector<char>(bytes.begin() + kHeaderLength, bytes.end());
}

}  // namespace

// Every single-bit flip of the type byte of a transaction in the middle of
// a file, and of a short text at its end (a flip that gives a larger string
// class runs past the end without being a torn record): opening costs no
// other record and either leaves the records as they are or keeps a copy
// of the file as found; restoring the byte brings every record back.
TEST_F(Damage, TypeByteFlipsNeverCostAnotherRecord) {
  const std::string path = dir.Path("flip.vlt");
  db.CreateFile(path);
  TransactionRecord t = CashExpense();
  std::vector<std::uint32_t> ids;
  std::uint32_t middle = 0;
  for (int i = 0; i < 50; ++i) {
    if (i == 25) middle = static_cast<std::uint32_t>(db.GetFileSize());
    ids.push_back(db.AddItem(t));
  }
  const std::uint32_t tail = static_cast<std::uint32_t>(db.GetFileSize());
  const std::uint32_t text = db.AddString("tail");
  db.CloseFile();
  const std::vector<char> good = ReadFileBytes(path);
  for (std::uint32_t at : {middle, tail}) {
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<char> flipped = good;
      flipped[at + 1] = static_cast<char>(flipped[at + 1] ^ (1 << bit));
      WriteFileBytes(path, flipped);
      ASSERT_TRUE(db.OpenFile(path)) << at << " " << bit;
      EXPECT_GE(db.Transactions().size(), at == middle ? 49u : 50u) << at << " " << bit;
      db.CloseFile();
      const std::vector<std::string> copies = DamagedCopies(dir, "flip.vlt");
      if (copies.empty()) {
        EXPECT_EQ(RecordArea(ReadFileBytes(path)), RecordArea(flipped)) << at << " " << bit;
      } else {
        EXPECT_EQ(ReadFileBytes(copies[0]), flipped) << at << " " << bit;
        for (const std::string& copy : copies) std::filesystem::remove(copy);
      }
      std::vector<char> restored = ReadFileBytes(path);
      ASSERT_GT(restored.size(), at + 1) << at << " " << bit;
      restored[at + 1] = good[at + 1];
      WriteFileBytes(path, restored);
      ASSERT_TRUE(db.OpenFile(path));
      for (std::uint32_t id : ids) EXPECT_NE(db.Transactions().Find(id), nullptr) << bit;
      EXPECT_EQ(db.GetString(text), "tail") << at << " " << bit;
      db.CloseFile();
    }
  }
}

TEST_F(Damage, FileOfFourGiBIsRefusedUnchanged) {
  const std::string path = dir.Path("huge.vlt");
  db.CreateFile(path);
  db.CloseFile();
  const std::vector<char> header = ReadFileBytes(path);
  const std::uint64_t size = (std::uint64_t{1} << 32) + 68;
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);  // sparse
  capture.Clear();
  EXPECT_FALSE(db.OpenFile(path));
  ASSERT_EQ(capture.messages.size(), 1u);
  EXPECT_EQ(capture.messages[0], "Can't open: " + path + ".\nFile is 4 GiB or larger!");
  EXPECT_EQ(std::filesystem::file_size(path), size);
  std::vector<char> start(header.size());
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_EQ(std::fread(start.data(), 1, start.size(), f), start.size());
  std::fclose(f);
  EXPECT_EQ(start, header) << "not a byte written";
}

TEST_F(Damage, FolderGivenAsTheFileSaysItIsAFolder) {
  const std::string path = dir.Path("base.vlt");
  db.CreateFile(path);
  capture.Clear();
  EXPECT_FALSE(db.OpenFile(dir.Path("")));
  ASSERT_EQ(capture.messages.size(), 1u);
  EXPECT_EQ(capture.messages[0],
            "Can't open: " + dir.Path("") + ".\nThis is a folder, not a database file!");
  EXPECT_TRUE(db.IsOpened()) << "the open database stays open";
}

// The upgrade of an old file killed at any of its writes, syncs or renames
// leaves a file that opens with every item exactly once: deleting them all
// leaves nothing to come back at the next open.
TEST_F(Damage, UpgradeKilledAtAnyWriteLeavesEveryItemOnce) {
  const std::string path = dir.Path("old.vlt");
  LegacyAccountRecord account{101, 0, 100, 0};
  LegacyTransactionRecord expense{};
  expense.date = EncodeDate(2006, 3, 4);
  expense.accountId = 110;
  expense.amount = 20000;
  CFileBuilder file(220);
  file.Counters(120, 101)
      .String(101, "Wallet")
      .Table(kLegacyAccountRecord, 110, account)
      .Record(0, kLegacyIncomeRecord, 112, 48, &expense, 48)
      .Record(0, kLegacyExpenseRecord, 113, 48, &expense, 48)
      .Record(0, kLegacyPlannedRecord, 114, 48, &expense, 48)
      .Record(0, kLegacyTransferRecord, 115, 64, &expense, 64);
  const std::set<std::uint32_t> expected{110, 112, 113, 114, 115};
  int events = 0;
  SetWriteFaultHook([&](const std::string&, const char*) { return ++events, 0; });
  file.Save(path);
  events = 0;
  ASSERT_TRUE(db.OpenFile(path));
  SetWriteFaultHook({});
  const int upgradeEvents = events;
  ASSERT_EQ(LiveIds(), expected);
  db.CloseFile();
  const std::string backup = path + ".bak-2.20";
  EXPECT_EQ(ReadFileBytes(backup), file.bytes) << "the original is kept";
  for (int n = 1; n <= upgradeEvents; ++n) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path("")))
      std::filesystem::remove(entry.path());
    file.Save(path);
    const pid_t child = fork();
    if (child == 0) {
      int seen = 0;
      SetWriteFaultHook([&](const std::string&, const char*) {
        if (++seen == n) _exit(9);  // killed at this instant
        return 0;
      });
      CADBEngine victim;
      victim.OpenFile(path);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(db.OpenFile(path)) << n;
    ASSERT_EQ(LiveIds(), expected) << "killed at event " << n;
    for (std::uint32_t id : {112u, 113u, 115u}) EXPECT_TRUE(db.DelItem<CTransactionIndex>(id));
    EXPECT_TRUE(db.DelItem<CPlnTransactionIndex>(114));
    EXPECT_TRUE(db.DelItem<CAccountIndex>(110));
    db.CloseFile();
    ASSERT_TRUE(db.OpenFile(path));
    EXPECT_EQ(LiveIds(), std::set<std::uint32_t>{}) << "killed at event " << n;
    db.CloseFile();
  }
}

// A large file is read by two threads, the second from a record boundary
// near the middle. Whatever the file holds, the tables, the texts, the
// repairs and the copy kept of a damaged file are those of one scan.
TEST_F(Damage, TwoThreadsReadAFileAsOneScanDoes) {
  const std::string path = dir.Path("book.vlt");
  db.CreateFile(path);
  TransactionRecord t = CashExpense();
  std::vector<std::uint32_t> ids;
  std::vector<std::uint32_t> positions;  // where each transaction's text starts
  for (int i = 0; i < 400; ++i) {
    positions.push_back(static_cast<std::uint32_t>(db.GetFileSize()));
    t.descriptionId = db.AddString("text " + std::to_string(i));
    t.amountOut = t.amountIn = i;
    t.date = 46000 + i / 7.0;  // some held whole
    ids.push_back(db.AddItem(t));
  }
  // Freed slots in the first half taken again by new items: ids out of order.
  for (int i = 10; i < 20; ++i) db.DelItem<CTransactionIndex>(ids[i]);
  for (int i = 0; i < 5; ++i) db.AddItem(t);
  db.AddItem(AccountRecord{});
  db.CloseFile();
  const std::vector<char> good = ReadFileBytes(path);

  auto snapshot = [&] {
    std::string all =
        std::to_string(db.GetNextItemId()) + " " + std::to_string(db.GetNextStringId()) + "\n";
    auto add = [&](std::uint32_t id, std::uint32_t position, const auto& record) {
      all += std::to_string(id) + "@" + std::to_string(position) + ":";
      all.append(reinterpret_cast<const char*>(&record), sizeof record);
    };
    for (auto [id, e] : db.Currencies()) add(id, e->position, e->record);
    for (auto [id, e] : db.Accounts()) add(id, e->position, e->record);
    for (auto [id, e] : db.Transactions()) add(id, e->position, e->record);
    db.Strings().ForEach([&](std::uint32_t id, std::uint32_t position) {
      all += std::to_string(id) + "@" + std::to_string(position) + "=" + db.GetString(id);
    });
    TTransactionInterval::iterator first, last;  // the index by day
    db.GetItemsInterval(-1e6, 1e6, first, last);
    for (auto it = first; it != last; ++it) all += " " + std::to_string(it->id);
    return all;
  };
  struct Case {
    const char* what;
    std::size_t at;  // byte to garble (0: none); SIZE_MAX: cut the last 5 bytes
  };
  const Case cases[] = {
      {"a clean file", 0},
      {"a damaged text in the second half", positions[300] + 1},
      {"a damaged text in the first half", positions[100] + 1},
      {"a damaged record header near the middle", positions[200] + 4},
      {"a torn tail", SIZE_MAX},
  };
  for (const Case& c : cases) {
    std::string seen[2];
    std::vector<char> after[2];
    std::size_t copies[2];
    for (int parallel = 0; parallel < 2; ++parallel) {
      std::vector<char> bytes = good;
      if (c.at == SIZE_MAX)
        bytes.resize(bytes.size() - 5);
      else if (c.at != 0)
        bytes[c.at] = static_cast<char>(0x7f);
      const std::string name = std::string(parallel ? "parallel" : "serial") + ".vlt";
      WriteFileBytes(dir.Path(name), bytes);
      CADBEngine::SetParallelLoadFrom(parallel ? 0 : UINT64_MAX);
      capture.Clear();
      ASSERT_TRUE(db.OpenFile(dir.Path(name))) << c.what;
      if (c.at == 0) {
        EXPECT_EQ(capture.LoggedPrefix("| Read by two threads"), parallel == 1) << c.what;
      }
      db.AddItem(t);  // into the slot freed last, wherever that was read
      seen[parallel] = snapshot();
      db.CloseFile();
      after[parallel] = ReadFileBytes(dir.Path(name));
      copies[parallel] = DamagedCopies(dir, name).size();
    }
    CADBEngine::SetParallelLoadFrom(std::uint64_t{64} << 20);
    EXPECT_EQ(seen[0], seen[1]) << c.what;
    EXPECT_EQ(after[0], after[1]) << c.what;
    EXPECT_EQ(copies[0], copies[1]) << c.what;
  }
}

// A second half of over a hundred thousand transactions is taken over by
// moving its pages. Deleting at the start and at the seam and adding after
// it then give what one scan gives.
TEST_F(Damage, TwoThreadsTakeOverALargeHalfAsOneScanReadsIt) {
  CFileBuilder file;
  file.Counters(300'000, 300'000);
  file.String(150, "shop");
  TransactionRecord t = CashExpense();
  t.descriptionId = 150;
  constexpr std::uint32_t kCount = 220'000;
  for (std::uint32_t i = 0; i < kCount; ++i) {
    t.date = 46000 + i / 500.0;  // some with seconds: held whole
    t.amountOut = i;
    t.amountIn = i % 1000 == 0 ? i + 7 : i;  // two amounts: held whole
    t.quantity = static_cast<float>(i % 50);
    file.Table(kTransactionRecord, 200 + i, t);
  }
  std::string seen[2];
  std::vector<char> after[2];
  for (int parallel = 0; parallel < 2; ++parallel) {
    const std::string path = dir.Path(parallel ? "parallel.vlt" : "serial.vlt");
    file.Save(path);
    CADBEngine::SetParallelLoadFrom(parallel ? 0 : UINT64_MAX);
    capture.Clear();
    ASSERT_TRUE(db.OpenFile(path));
    CADBEngine::SetParallelLoadFrom(std::uint64_t{64} << 20);
    EXPECT_EQ(capture.LoggedPrefix("| Read by two threads"), parallel == 1);
    db.DelItem<CTransactionIndex>(200);
    for (std::uint32_t id = 200 + kCount * 47 / 100 - 300; id < 200 + kCount * 53 / 100; id += 97)
      db.DelItem<CTransactionIndex>(id);  // around the seam
    for (int i = 0; i < 3; ++i) db.AddItem(t);
    std::string& all = seen[parallel];
    for (auto [id, e] : db.Transactions()) {
      all += std::to_string(id) + "@" + std::to_string(e->position) + ":";
      all.append(reinterpret_cast<const char*>(&e->record), sizeof e->record);
    }
    TTransactionInterval::iterator first, last;
    db.GetItemsInterval(-1e6, 1e6, first, last);
    for (auto it = first; it != last; ++it) all += " " + std::to_string(it->id);
    db.CloseFile();
    after[parallel] = ReadFileBytes(path);
  }
  EXPECT_TRUE(seen[0] == seen[1]);
  EXPECT_TRUE(after[0] == after[1]);
}

// A text may hold bytes that read as records. When the second thread's
// starting point falls inside such a text, what it read is dropped.
TEST_F(Damage, RecordsInsideATextAreNeverLoaded) {
  const std::string path = dir.Path("text.vlt");
  TransactionRecord t = CashExpense();
  CFileBuilder file;
  file.Counters(2000, 2000);
  for (std::uint32_t id = 200; id < 240; ++id) file.Table(kTransactionRecord, id, t);
  // The text's slot ends with eight fillers and a transaction, end to end,
  // and the middle of the file lies in the zeros before them.
  std::vector<char> slot(StringSlotSize(4), 0);
  slot[0] = 'x';
  std::size_t at = slot.size() - 8 * 16 - (sizeof(RecordHeader) + sizeof t);
  RecordHeader fake;
  fake.size = 4;
  for (int i = 0; i < 8; ++i, at += 16) std::memcpy(&slot[at], &fake, sizeof fake);
  fake.type = kTransactionRecord;
  fake.id = 999;
  fake.size = sizeof t;
  std::memcpy(&slot[at], &fake, sizeof fake);
  std::memcpy(&slot[at + sizeof fake], &t, sizeof t);
  file.Record(0, 4, 150, static_cast<std::uint32_t>(slot.size()), slot.data(), slot.size());
  for (std::uint32_t id = 300; id < 340; ++id) file.Table(kTransactionRecord, id, t);
  file.Save(path);

  CADBEngine::SetParallelLoadFrom(0);
  ASSERT_TRUE(db.OpenFile(path));
  CADBEngine::SetParallelLoadFrom(std::uint64_t{64} << 20);
  EXPECT_EQ(db.Transactions().Find(999), nullptr);
  EXPECT_EQ(db.Transactions().size(), 80u);
  EXPECT_EQ(db.GetString(150), "x");
  EXPECT_FALSE(capture.LoggedPrefix("| Read by two threads"));
}
