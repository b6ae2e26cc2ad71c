// Automatic backups: their names, the copy as the file was when it was
// started, trimming, restoring, a full disk, and counting a damaged backup.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Backups.h"
#include "Companion.h"
#include "FileSizeLimit.h"
#include "FinanceTestUtil.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::chrono::system_clock::time_point At(int y, unsigned m, unsigned d, int h, int min, int s) {
  using namespace std::chrono;
  return sys_days{year{y} / m / d} + hours{h} + minutes{min} + seconds{s};
}

std::vector<std::string> Names(const std::vector<CBackupEntry>& entries) {
  std::vector<std::string> names;
  for (const CBackupEntry& e : entries) names.push_back(fs::path(e.path).filename().string());
  return names;
}

class Backups : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    folder = dir.Path("backups/");
    cash = Account("Wallet");
  }
  // Adds `count` transactions, the last on `last`.
  void AddTransactions(int count, Date last) {
    for (int i = count - 1; i >= 0; --i) Move(last - i, cash, 0, 1 + i);
  }
  std::string folder;
  std::uint32_t cash = 0;
};

}  // namespace

TEST(BackupNames, ReadBackWhatTheyWriteAndRefuseOtherNames) {
  const TBackupStamp stamp{2026, 12, 10, 7, 15, 2, 1};
  struct Case {
    const char* name;
    bool parses;
    const char* stem;
    int serial;
  };
  const Case cases[] = {
      {"household-20261210-071502.vlt", true, "household", 1},
      {"my-budget-20261210-071502-2.vlt", true, "my-budget", 2},
      {"a-20261210-071502-20261210-071502.vlt", true, "a-20261210-071502", 1},
      {"a-20261210-071502-0.vlt", false, "", 0},
      {"a-20261210-071502-.vlt", false, "", 0},
      {"a-20261210-07150.vlt", false, "", 0},
      {"-20261210-071502.vlt", false, "", 0},
      {"a-20261210-071502.vlt.companion", false, "", 0},
      {"a-2026121x-071502.vlt", false, "", 0},
      {"household.vlt", false, "", 0},
  };
  for (const Case& c : cases) {
    std::string stem;
    TBackupStamp got;
    ASSERT_EQ(ParseBackupFileName(c.name, stem, got), c.parses) << c.name;
    if (!c.parses) continue;
    EXPECT_EQ(stem, c.stem) << c.name;
    EXPECT_EQ(got.serial, c.serial) << c.name;
    EXPECT_EQ(BackupFileName(stem, got), c.name);
  }
  TBackupStamp second = stamp;
  second.serial = 12;
  EXPECT_EQ(BackupFileName(BackupStem("/x/household.vlt"), second),
            "household-20261210-071502-12.vlt");
  EXPECT_EQ(StampOf(At(2026, 12, 10, 7, 15, 2)), stamp);
  EXPECT_EQ(BackupStem("/x/notes.VLT"), "notes.VLT");
}

TEST_F(Backups, HoldTheFileAndCompanionAsTheyWereWhenStarted) {
  AddTransactions(3, D(2026, 11, 30));
  WriteAll(CCompanion::PathFor(path), "Pardow companion 1\n");
  std::string error;
  auto pending = StartBackup(path, folder, {}, At(2026, 12, 10, 7, 15, 2), error);
  ASSERT_NE(pending, nullptr) << error;
  // The change the backup was taken for, written before the copy is finished.
  Move(D(2026, 12, 9), cash, 0, 5);
  WriteAll(CCompanion::PathFor(path), "Pardow companion 1\nchanged\n");
  std::vector<std::string> done;
  {
    CBackupRunner runner([&](const std::string& made, const std::string& why) {
      done.push_back(made.empty() ? why : made);
    });
    runner.Post(std::move(pending));
    runner.Wait();
  }
  const std::string made = folder + "f-20261210-071502.vlt";
  EXPECT_EQ(done, std::vector<std::string>{made});
  EXPECT_EQ(ReadAll(CCompanion::PathFor(made)), "Pardow companion 1\n");
  struct stat before {};
  ASSERT_EQ(::stat(made.c_str(), &before), 0);
  const std::string bytes = ReadAll(made);
  const CBackupCounts counts = ScanBackupCounts(made);
  EXPECT_TRUE(counts.readable);
  EXPECT_FALSE(counts.damaged);
  EXPECT_EQ(counts.transactions, 3u);
  EXPECT_EQ(counts.lastDay, D(2026, 11, 30));
  // Counting leaves the backup as it was.
  struct stat after {};
  ASSERT_EQ(::stat(made.c_str(), &after), 0);
  EXPECT_EQ(ReadAll(made), bytes);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(ScanBackupCounts(path).transactions, 4u);
  // Nothing but the backup and its companion is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(Backups, InTheSameSecondGetSerialsAndNeverReplaceEachOther) {
  std::string error;
  for (int i = 0; i < 3; ++i) {
    auto pending = StartBackup(path, folder, {}, At(2026, 12, 10, 7, 15, 2), error);
    ASSERT_NE(pending, nullptr) << error;
    ASSERT_FALSE(pending->Finish(error).empty()) << error;
    Move(D(2026, 12, 9), cash, 0, 5);
  }
  const std::vector<CBackupEntry> listed = ListBackups(folder, path);
  EXPECT_EQ(Names(listed),
            (std::vector<std::string>{"f-20261210-071502-3.vlt", "f-20261210-071502-2.vlt",
                                      "f-20261210-071502.vlt"}));
  EXPECT_EQ(ScanBackupCounts(listed[0].path).transactions, 2u);
  EXPECT_EQ(ScanBackupCounts(listed[2].path).transactions, 0u);
}

TEST_F(Backups, TrimKeepsTheNewestPerDatabaseAndUnderTheSizeLimit) {
  struct Case {
    const char* name;
    TBackupPolicy policy;
    std::vector<std::string> left;  // newest first
  };
  // Five backups of "f" (100 bytes each, one with a 50-byte companion) and
  // two of "g" between them, each a day apart.
  const Case cases[] = {
      {"count per database",
       {3, 1 << 20},
       {"f-20260107", "f-20260106", "g-20260105", "f-20260104", "g-20260102"}},
      {"size of the folder, oldest first",
       {20, 450},
       {"f-20260107", "f-20260106", "g-20260105", "f-20260104"}},
      {"the newest stays even alone over the limit", {20, 10}, {"f-20260107"}},
  };
  for (const Case& c : cases) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    const char* stems = "ffgffgff";  // day 0 .. 7
    for (int day = 1; day <= 7; ++day) {
      const std::string name =
          std::string(1, stems[day]) + "-2026010" + std::to_string(day) + "-120000.vlt";
      WriteAll(folder + name, std::string(100, 'x'));
      if (day == 4) WriteAll(CCompanion::PathFor(folder + name), std::string(50, 'c'));
    }
    // Copies left behind by a process that ended: yesterday's go, a fresh one stays.
    WriteAll(folder + ".backup-old", "x");
    WriteAll(folder + ".backup-new", "x");
    fs::last_write_time(folder + ".backup-old",
                        fs::file_time_type::clock::now() - std::chrono::hours(25));
    std::string error;
    EXPECT_TRUE(TrimBackups(folder, "f", c.policy, folder + "f-20260107-120000.vlt", error))
        << error;
    std::vector<std::string> left;
    for (const std::string& name : Names(ListBackups(folder, "")))
      left.push_back(name.substr(0, 10));
    EXPECT_EQ(left, c.left) << c.name;
    EXPECT_FALSE(fs::exists(folder + ".backup-old")) << c.name;
    EXPECT_TRUE(fs::exists(folder + ".backup-new")) << c.name;
    // A removed backup takes its companion along.
    EXPECT_EQ(fs::exists(folder + "f-20260104-120000.vlt.companion"),
              fs::exists(folder + "f-20260104-120000.vlt"))
        << c.name;
  }
}

TEST_F(Backups, RestoreBacksUpTheCurrentFileFirstAndBringsTheCompanionBack) {
  AddTransactions(3, D(2026, 11, 30));
  WriteAll(CCompanion::PathFor(path), "Pardow companion 1\nold\n");
  std::string error;
  const std::string old = MakeBackup(path, folder, {}, error);
  ASSERT_FALSE(old.empty()) << error;
  Move(D(2026, 12, 9), cash, 0, 5);
  WriteAll(CCompanion::PathFor(path), "Pardow companion 1\nnew\n");

  // Refused while the database is open: the file stays as it is.
  std::string made;
  EXPECT_FALSE(RestoreBackup(old, path, folder, {}, made, error));
  EXPECT_EQ(ListBackups(folder, path).size(), 1u);
  db.Close();

  ASSERT_TRUE(RestoreBackup(old, path, folder, {}, made, error)) << error;
  EXPECT_EQ(ReadAll(path), ReadAll(old));
  EXPECT_EQ(ReadAll(CCompanion::PathFor(path)), "Pardow companion 1\nold\n");
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(ScanBackupCounts(made).transactions, 4u);
  EXPECT_EQ(ReadAll(CCompanion::PathFor(made)), "Pardow companion 1\nnew\n");
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(db.Transactions().size(), 3u);
  // The folder beside the database holds no leftover temporary file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path("")), fs::directory_iterator()), 3);
}

TEST_F(Backups, RestoreRefusesAFileThatIsNoDatabase) {
  WriteAll(dir.Path("junk.vlt"), "not a database");
  const std::string before = ReadAll(path);
  db.Close();
  std::string made, error;
  EXPECT_FALSE(RestoreBackup(dir.Path("junk.vlt"), path, folder, {}, made, error));
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_TRUE(made.empty());
}

TEST_F(Backups, OnAFullDiskFailWithTheReasonAndLeaveNothingBehind) {
  AddTransactions(200, D(2026, 11, 30));
  const std::uint64_t size = fs::file_size(path);
  std::string error;
  {
    CFileSizeLimit full(size / 2);
    EXPECT_EQ(StartBackup(path, folder, {}, At(2026, 12, 10, 7, 15, 2), error), nullptr);
  }
  EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 0);
}

TEST_F(Backups, CountingADamagedBackupStopsAtTheDamage) {
  AddTransactions(10, D(2026, 11, 30));
  db.Close();
  const std::string good = ReadAll(path);
  const std::size_t record = sizeof(RecordHeader) + sizeof(TransactionRecord);
  struct Case {
    const char* name;
    std::string bytes;
    bool readable, damaged;
    std::uint64_t transactions;
  };
  std::string hugeSize = good;
  const std::size_t lastRecord = good.size() - record;
  const std::uint32_t huge = 0xFFFFFFF0u;
  std::memcpy(&hugeSize[lastRecord + 8], &huge, sizeof huge);
  std::string badHeader = good;
  const std::uint32_t past = static_cast<std::uint32_t>(good.size() + 1);
  std::memcpy(&badHeader[0], &past, sizeof past);
  const Case cases[] = {
      {"whole", good, true, false, 10},
      {"cut in the last record", good.substr(0, good.size() - 7), true, true, 9},
      {"a size field past the end", hugeSize, true, true, 9},
      {"a header larger than the file", badHeader, false, false, 0},
      {"cut in the header", good.substr(0, 600), false, false, 0},
      {"no database", std::string(4000, 'x'), false, false, 0},
  };
  for (const Case& c : cases) {
    WriteAll(dir.Path("b.vlt"), c.bytes);
    const CBackupCounts counts = ScanBackupCounts(dir.Path("b.vlt"));
    EXPECT_EQ(counts.readable, c.readable) << c.name;
    EXPECT_EQ(counts.damaged, c.damaged) << c.name;
    EXPECT_EQ(counts.transactions, c.transactions) << c.name;
  }
}
