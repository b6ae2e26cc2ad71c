// Creating, opening, upgrading and closing database files, with files built
// byte by byte: current and legacy formats, refused files and damaged ones.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "Adbengine.h"
#include "EngineTestUtil.h"

namespace {

class Files : public testing::Test {
 protected:
  CCapture capture;
  CScratch dir;
  CADBEngine db;
};

LegacyTransactionRecord Legacy(std::uint32_t account, Money amount) {
  LegacyTransactionRecord r{};
  r.date = EncodeDate(2006, 3, 4);
  r.accountId = account;
  r.quantity = 2.5f;
  r.amount = amount;
  r.memberId = 301;
  r.categoryId = 302;
  r.sectionId = 303;
  r.descriptionId = 0;
  r.commentId = 0;
  return r;
}

}  // namespace

TEST_F(Files, CreateWritesTheDefaultItemsInOrder) {
  std::string path = dir.Path("new.vlt");
  db.CreateFile(path);
  EXPECT_TRUE(db.IsOpened());
  std::vector<char> bytes = ReadFileBytes(path);
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 0), 1024u);
  EXPECT_EQ(ReadAt<std::int32_t>(bytes, 4), 230);
  EXPECT_EQ(std::string(bytes.data() + 8, 10), std::string("Omrin DBE\0", 10));
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 256), 103u);
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 260), 105u);
  EXPECT_EQ(ReadAt<double>(bytes, 264), EncodeDate(2007, 5, 1));
  EXPECT_EQ(ReadAt<double>(bytes, 272), EncodeDate(2007, 5, 31));
  // "$", "Dollar", currency 101, euro sign, "Euro", currency 102, "Cash", account 103.
  struct Expect {
    std::uint8_t type;
    std::uint32_t id;
    std::string text;
  } expected[] = {{1, 101, "$"},    {1, 102, "Dollar"}, {100, 101, ""},   {1, 103, "\x88"},
                  {1, 104, "Euro"}, {100, 102, ""},     {1, 105, "Cash"}, {103, 103, ""}};
  std::size_t pos = 1024;
  for (const Expect& e : expected) {
    RecordHeader h = ReadAt<RecordHeader>(bytes, pos);
    EXPECT_EQ(h.state, 0);
    EXPECT_EQ(h.type, e.type) << pos;
    EXPECT_EQ(h.id, e.id) << pos;
    if (!e.text.empty()) {
      EXPECT_EQ(std::string(bytes.data() + pos + 12), e.text);
    }
    pos += 12 + h.size;
  }
  EXPECT_EQ(pos, bytes.size());
  CurrencyRecord euro = ReadAt<CurrencyRecord>(bytes, 1024 + 2 * 28 + 24 + 2 * 28 + 12);
  EXPECT_EQ(euro.nameId, 103u);
  EXPECT_EQ(euro.fullNameId, 104u);
  EXPECT_EQ(db.Accounts().Find(103)->record.currencyId, 101u);
  // The statistics of Create's own open come before the default items.
  EXPECT_TRUE(capture.Logged(0, "New base created: " + path));
  EXPECT_TRUE(capture.Logged(1, "| Currencies: 0 * 12 bytes"));
  EXPECT_TRUE(capture.Logged(1, "| File size: 1024 bytes"));
}

TEST_F(Files, CreateOverwritesAnExistingReadOnlyFile) {
  std::string path = dir.Path("ro.vlt");
  WriteFileBytes(path, std::vector<char>(5000, 'x'));
  chmod(path.c_str(), 0444);
  db.CreateFile(path);
  EXPECT_TRUE(db.IsOpened());
  EXPECT_EQ(db.Currencies().size(), 2u);
  // Root may write any file whatever its mode: the cleared write bit itself
  // shows that Create made the file writable again.
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IWUSR, 0u);
}

TEST_F(Files, CreateInAMissingFolderThrows) {
  EXPECT_THROW(db.CreateFile(dir.Path("no/such/folder.vlt")), CFileError);
  EXPECT_FALSE(db.IsOpened());
}

TEST_F(Files, HeaderOnlyFileOpensEmptyAndCloseStoresTheSelection) {
  std::string path = dir.Path("empty.vlt");
  CFileBuilder().Save(path);
  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_EQ(db.Currencies().size(), 0u);
  EXPECT_EQ(db.GetIntervalBegin(), EncodeDate(2007, 5, 1));
  EXPECT_EQ(db.GetIntervalEnd(), EncodeDate(2007, 5, 31));
  EXPECT_TRUE(capture.Logged(0, "Reading file: " + path));
  EXPECT_TRUE(capture.Logged(1, "| DataBase version: 2.30"));
  EXPECT_TRUE(capture.Logged(1, "| Header size: 1024 bytes"));
  EXPECT_TRUE(capture.Logged(1, "| PlnTransactions: 0 * 96 bytes"));
  db.SetSelectedAccount(3);
  db.SetSelectedCurrency(-1);
  db.CloseFile();
  EXPECT_TRUE(capture.Logged(0, "Base closed"));
  EXPECT_EQ(db.GetIntervalBegin(), 0.0);
  EXPECT_EQ(db.GetNextItemId(), 100u);
  std::vector<char> bytes = ReadFileBytes(path);
  EXPECT_EQ(ReadAt<std::int32_t>(bytes, 280), 3);
  EXPECT_EQ(ReadAt<std::int32_t>(bytes, 284), -1);
  EXPECT_EQ(db.GetSelectedAccount(), 3) << "a close does not reset the selection";
  CADBEngine other;
  ASSERT_TRUE(other.OpenFile(path));
  EXPECT_EQ(other.GetSelectedAccount(), 3);
  EXPECT_EQ(other.GetSelectedCurrency(), -1);
  other.CloseFile();
  capture.Clear();
  other.CloseFile();
  EXPECT_TRUE(capture.log.empty()) << "closing a closed engine logs nothing";
}

TEST_F(Files, CurrentFileWithEveryRecordKind) {
  std::string path = dir.Path("mixed.vlt");
  CurrencyRecord currency{101, 7, 0};
  TransactionRecord t;
  t.date = EncodeDate(2007, 5, 3);
  t.fromAccount = 150;
  t.descriptionId = 102;
  ExchangeRateRecord rate{130, 120, 1.5};
  CFileBuilder file;
  file.Counters(100, 100)
      .String(101, "Dollar")
      .Table(kCurrencyRecord, 120, currency)
      .Table(kTransactionRecord, 121, t, kDeletedState)
      .Record(0, kFillerRecord, 0, 0, nullptr, 0)  // a bare 12-byte filler
      .Record(0, kFillerRecord, 0, 5, "abcde", 5)
      .Record(0, 77, 555, 3, "xyz", 3)  // unknown type, skipped by its size
      .Record(0, kExchangeRateRecord, 125, 0, &rate, sizeof rate);  // size field 0
  const std::uint32_t ratePos = file.Position() - 28;
  file.Table(kTransactionRecord, 130, t)
      .Table(kCurrencyRecord, 120, CurrencyRecord{0, 0, 0})  // duplicate id: first wins
      .String(102, std::string(20, 'd'))
      .String(102, "dup")  // duplicate string id: first wins
      .String(103, "deleted", kDeletedState)
      .Save(path);
  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_TRUE(capture.Logged(2, "Unknown record missed. Record type: 77"));
  EXPECT_EQ(db.Currencies().size(), 1u);
  EXPECT_EQ(db.Currencies().Find(120)->record.nameId, 101u);
  EXPECT_EQ(db.Currencies().Find(120)->record.carried, 7u);
  EXPECT_EQ(db.Transactions().size(), 1u);
  EXPECT_EQ(db.Transactions().Find(121), nullptr);
  EXPECT_EQ(db.ExchangeRates().Find(125)->record.rate, 1.5);
  EXPECT_EQ(db.GetString(102), std::string(20, 'd'));
  EXPECT_EQ(db.GetString(103), "");
  EXPECT_EQ(db.GetStringCount(), 2u);
  // Counters follow the largest ids found, deleted records included.
  EXPECT_EQ(db.GetNextItemId(), 555u - 555u + 130u);
  EXPECT_EQ(db.GetNextStringId(), 103u);
  db.CloseFile();
  std::vector<char> bytes = ReadFileBytes(path);
  EXPECT_EQ(ReadAt<RecordHeader>(bytes, ratePos).size, 16u) << "size field 0 repaired";
  // The freed transaction slot and the freed string slot are reused.
  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_EQ(db.AddItem(t), 131u);
  EXPECT_EQ(db.AddString("reuse"), 103u);
}

TEST_F(Files, LegacyFileIsConvertedOnceAndIdsKept) {
  std::string path = dir.Path("old.vlt");
  LegacyAccountRecord account{101, 11, 100, 12};
  LegacyTransactionRecord income = Legacy(110, 50000);
  LegacyTransactionRecord expense = Legacy(110, 20000);
  LegacyTransactionRecord planned = Legacy(110, 30000);
  LegacyTransactionRecord transfer = Legacy(110, 10000);
  transfer.secondAccountId = 111;
  transfer.secondAmount = 15000;
  CFileBuilder file(220);
  file.Counters(120, 101).String(101, "Wallet");
  const std::uint32_t accountPos = file.Position();
  file.Table(kLegacyAccountRecord, 110, account)
      .Record(0, kLegacyIncomeRecord, 112, 48, &income, 48);
  const std::uint32_t expensePos = file.Position();
  file.Record(0, kLegacyExpenseRecord, 113, 48, &expense, 48)
      .Record(0, kLegacyPlannedRecord, 114, 48, &planned, 48)
      .Record(0, kLegacyTransferRecord, 115, 64, &transfer, 64)
      .Record(kDeletedState, kLegacyExpenseRecord, 116, 48, &expense, 48);
  const std::uint32_t end = file.Position();
  file.Save(path);

  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_TRUE(capture.Logged(2, "Try to convert old database. v2.20"));
  EXPECT_EQ(db.GetVersion(), 230);
  const AccountRecord& a = db.Accounts().Find(110)->record;
  EXPECT_EQ(a.nameId, 101u);
  EXPECT_EQ(a.carried1, 11u);
  EXPECT_EQ(a.currencyId, 100u);
  EXPECT_EQ(a.carried2, 12u);
  EXPECT_EQ(a.commentId, 0u);
  EXPECT_EQ(a.budgetEnabled, 0);

  const TransactionRecord in = db.Transactions().Find(112)->record;
  EXPECT_EQ(in.fromAccount, 0u);
  EXPECT_EQ(in.toAccount, 110u);
  EXPECT_EQ(in.amountOut, 50000);
  EXPECT_EQ(in.amountIn, 50000);
  EXPECT_EQ(in.quantity, 2.5f);
  EXPECT_EQ(in.memberId, 301u);
  EXPECT_EQ(in.categoryId, 302u);
  EXPECT_EQ(in.sectionId, 303u);
  const TransactionRecord out = db.Transactions().Find(113)->record;
  EXPECT_EQ(out.fromAccount, 110u);
  EXPECT_EQ(out.toAccount, 0u);
  const TransactionRecord move = db.Transactions().Find(115)->record;
  EXPECT_EQ(move.fromAccount, 110u);
  EXPECT_EQ(move.toAccount, 111u);
  EXPECT_EQ(move.amountOut, 10000);
  EXPECT_EQ(move.amountIn, 15000);
  const PlnTransactionRecord& plan = db.PlnTransactions().Find(114)->record;
  EXPECT_EQ(plan.schedule.kind, kScheduleNotSet);
  EXPECT_EQ(plan.schedule.lastProcessed, EncodeDate(2007, 5, 15));
  EXPECT_EQ(plan.transaction.fromAccount, 110u);
  EXPECT_EQ(plan.transaction.amountOut, 30000);
  EXPECT_EQ(db.Transactions().Find(116), nullptr);
  EXPECT_EQ(db.GetNextItemId(), 120u);
  db.CloseFile();

  std::vector<char> bytes = ReadFileBytes(path);
  EXPECT_EQ(ReadAt<std::int32_t>(bytes, 4), 230);
  RecordHeader filler = ReadAt<RecordHeader>(bytes, accountPos);
  EXPECT_EQ(filler.type, 0);
  EXPECT_EQ(filler.id, 0u);
  EXPECT_EQ(filler.size, 16u);
  filler = ReadAt<RecordHeader>(bytes, expensePos);
  EXPECT_EQ(filler.type, 0);
  EXPECT_EQ(filler.size, 48u);
  EXPECT_EQ(filler.state, 0);
  // The converted records stand at the end, in scan order, with their ids.
  RecordHeader appended = ReadAt<RecordHeader>(bytes, end);
  EXPECT_EQ(appended.type, kAccountRecord);
  EXPECT_EQ(appended.id, 110u);
  EXPECT_EQ(appended.size, 48u);
  EXPECT_EQ(bytes.size(), end + 60 + 3 * 68 + 108u);

  // A second open converts nothing and changes nothing.
  capture.Clear();
  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_FALSE(capture.LoggedPrefix("Try to convert"));
  EXPECT_EQ(db.Transactions().size(), 3u);
  EXPECT_EQ(db.PlnTransactions().size(), 1u);
  db.CloseFile();
  EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST_F(Files, EveryUpgradableVersionOpens) {
  for (int version : {202, 203, 204, 210, 211, 220}) {
    std::string path = dir.Path("v" + std::to_string(version) + ".vlt");
    CFileBuilder(version).Save(path);
    EXPECT_TRUE(db.OpenFile(path)) << version;
    EXPECT_EQ(ReadAt<std::int32_t>(ReadFileBytes(path), 4), 230) << version;
  }
}

TEST_F(Files, RefusedFilesAreLeftUnchangedAndTheEngineClosed) {
  struct Case {
    const char* name;
    std::vector<char> bytes;
    std::vector<std::pair<int, std::string>> log;
    std::string message;  // empty: no message box
  };
  auto header = [](int version, const char* signature) {
    return CFileBuilder(version, signature).bytes;
  };
  std::vector<char> shortFile = header(230, "Omrin DBE");
  shortFile.resize(600);
  std::vector<char> smallHeader = header(230, "Omrin DBE");
  smallHeader[0] = 12;
  smallHeader[1] = 0;
  std::vector<char> bigHeader = header(230, "Omrin DBE");
  bigHeader[1] = 0x20;  // header size 8192 in a 1024-byte file
  std::vector<Case> cases = {
      {"newer",
       header(231, "Omrin DBE"),
       {{3, "Invalid database version: 2.31"}},
       "Invalid database version: 2.31\nPlease, update software to latest version to open this "
       "file"},
      {"v130", header(130, "Omrin DBE"), {{2, "Try to convert old database. v1.30"}}, ""},
      {"unknown",
       header(229, "Omrin DBE"),
       {{2, "Try to convert old database. v2.29"}, {3, "Can't convert! Unknown version."}},
       "Can't convert! Unknown version."},
      {"foreign230", header(230, "Other FILE"), {{3, "Wrong file type!"}}, "Invalid file type!"},
      {"foreign220", header(220, "Omrin DBX"), {{3, "Wrong file type!"}}, "Invalid file type!"},
      // The signature is checked before the version: a file that is no
      // database says so, whatever its version field holds.
      {"foreignNewer", header(900, "PK"), {{3, "Wrong file type!"}}, "Invalid file type!"},
      {"foreignOld", header(229, "PK"), {{3, "Wrong file type!"}}, "Invalid file type!"},
      {"short", shortFile, {{3, "Wrong file type!"}}, "Invalid file type!"},
      {"smallHeader", smallHeader, {{3, "Wrong file type!"}}, "Invalid file type!"},
      {"bigHeader", bigHeader, {{3, "Wrong file type!"}}, "Invalid file type!"},
  };
  std::string good = dir.Path("good.vlt");
  for (const Case& c : cases) {
    db.CreateFile(good);
    std::string path = dir.Path(std::string(c.name) + ".vlt");
    WriteFileBytes(path, c.bytes);
    capture.Clear();
    EXPECT_FALSE(db.OpenFile(path)) << c.name;
    for (const auto& [level, text] : c.log)
      EXPECT_TRUE(capture.Logged(level, text)) << c.name << text;
    if (c.message.empty()) {
      EXPECT_TRUE(capture.messages.empty()) << c.name;
    } else {
      ASSERT_EQ(capture.messages.size(), 1u) << c.name;
      EXPECT_EQ(capture.messages[0], c.message);
    }
    EXPECT_FALSE(db.IsOpened()) << c.name << ": the previous database was closed";
    EXPECT_EQ(ReadFileBytes(path), c.bytes) << c.name;
    EXPECT_EQ(db.AddItem(CurrencyRecord{}), 0u);
  }
  // A Create after a refused open still writes a correct header.
  db.CreateFile(dir.Path("after.vlt"));
  std::vector<char> bytes = ReadFileBytes(dir.Path("after.vlt"));
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 0), 1024u);
  EXPECT_EQ(ReadAt<std::int32_t>(bytes, 4), 230);
}

TEST_F(Files, MissingFileKeepsTheOpenDatabase) {
  std::string path = dir.Path("keep.vlt");
  db.CreateFile(path);
  capture.Clear();
  EXPECT_FALSE(db.OpenFile(dir.Path("nothing.vlt")));
  EXPECT_TRUE(capture.Logged(3, "File not exists: " + dir.Path("nothing.vlt")));
  EXPECT_TRUE(capture.messages.empty());
  EXPECT_TRUE(db.IsOpened());
  EXPECT_EQ(db.GetFileName(), path);
  EXPECT_EQ(db.AddItem(CurrencyRecord{}), 104u);
}

TEST_F(Files, SecondOpenOfTheSameFileIsRefused) {
  std::string path = dir.Path("locked.vlt");
  db.CreateFile(path);
  CADBEngine second;
  capture.Clear();
  EXPECT_FALSE(second.OpenFile(path));
  EXPECT_TRUE(capture.Logged(3, "[Open] Can't initialize file stream: " + path));
  EXPECT_TRUE(capture.Logged(3, "[Open] File is open in another program!"));
  ASSERT_EQ(capture.messages.size(), 1u);
  EXPECT_EQ(capture.messages[0], "Can't open: " + path + ".\nFile is open in another program!");
  EXPECT_FALSE(second.IsOpened());
  EXPECT_THROW(second.CreateFile(path), CFileError) << "Create must not empty a file in use";
  EXPECT_EQ(db.Currencies().size(), 2u);
  db.CloseFile();
  EXPECT_TRUE(second.OpenFile(path));
  EXPECT_EQ(second.Currencies().size(), 2u);
}

TEST_F(Files, TornLastRecordIsCutAwayAndLaterRecordsSurvive) {
  std::string path = dir.Path("torn.vlt");
  db.CreateFile(path);
  TransactionRecord t = DefaultTransactionRecord();
  t.fromAccount = 103;
  std::uint32_t kept = db.AddItem(t);
  db.CloseFile();
  std::vector<char> bytes = ReadFileBytes(path);
  for (std::size_t cut : {5u, 12u, 40u}) {  // inside the header, at its end, inside the data
    const std::size_t whole = bytes.size();
    std::vector<char> torn = bytes;
    std::vector<char> record(bytes.end() - 68, bytes.end());
    record[0] = 0;     // live
    record[4] = 0x7F;  // another id
    torn.insert(torn.end(), record.begin(), record.begin() + static_cast<std::ptrdiff_t>(cut));
    WriteFileBytes(path, torn);
    capture.Clear();
    ASSERT_TRUE(db.OpenFile(path)) << cut;
    EXPECT_TRUE(capture.Logged(2,
                               "[LoadRecords] Incomplete record at the end of the file cut "
                               "away. Position: " +
                                   std::to_string(whole)))
        << cut;
    EXPECT_EQ(db.GetFileSize(), whole);
    EXPECT_NE(db.Transactions().Find(kept), nullptr);
    const std::vector<std::string> copies = DamagedCopies(dir, "torn.vlt");
    ASSERT_EQ(copies.size(), 1u) << "the file as found is kept before the cut";
    EXPECT_EQ(ReadFileBytes(copies[0]), torn);
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_NE(capture.messages[0].find(copies[0]), std::string::npos) << "the user is told where";
    std::filesystem::remove(copies[0]);
    std::uint32_t added = db.AddItem(t);
    db.CloseFile();
    ASSERT_TRUE(db.OpenFile(path));
    EXPECT_NE(db.Transactions().Find(added), nullptr) << "a record added after the cut is found";
    EXPECT_TRUE(db.DelItem<CTransactionIndex>(added));
    db.CloseFile();
    bytes = ReadFileBytes(path);
  }
}

TEST_F(Files, OversizedFillerIsSkippedToTheNextWholeRecordWithoutAChange) {
  std::string path = dir.Path("damaged.vlt");
  CurrencyRecord c{0, 0, 0};
  CFileBuilder file;
  file.Table(kCurrencyRecord, 101, c);
  const std::uint32_t fillerPos = file.Position();
  file.Record(0, kFillerRecord, 0, 1000000, "", 0).Table(kCurrencyRecord, 102, c).Save(path);
  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_TRUE(capture.LoggedPrefix("[LoadRecords] Damaged record skipped. Position: " +
                                   std::to_string(fillerPos)));
  EXPECT_EQ(db.Currencies().size(), 2u) << "the record after the damage is found";
  std::uint32_t added = db.AddItem(c);
  db.CloseFile();
  EXPECT_EQ(DamagedCopies(dir, "damaged.vlt").size(), 0u) << "nothing was changed";
  capture.Clear();
  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_NE(db.Currencies().Find(added), nullptr) << "a record added after the damage is found";
  EXPECT_EQ(db.Currencies().size(), 3u);
}

TEST_F(Files, CountersBehindTheRecordsAreRaisedAtOpen) {
  // A crash between a record write and the counter write leaves counters
  // behind the largest ids in the file.
  std::string path = dir.Path("cut.vlt");
  TransactionRecord t;
  CFileBuilder()
      .Counters(100, 100)
      .String(140, "latest")
      .Table(kTransactionRecord, 150, t)
      .Table(kTransactionRecord, 149, t, kDeletedState)
      .String(141, "old", kDeletedState)
      .Save(path);
  ASSERT_TRUE(db.OpenFile(path));
  EXPECT_EQ(db.GetNextItemId(), 150u);
  EXPECT_EQ(db.GetNextStringId(), 141u);
  std::vector<char> bytes = ReadFileBytes(path);
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 256), 150u);
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 260), 141u);
  EXPECT_EQ(db.AddItem(CurrencyRecord{}), 151u);
  EXPECT_EQ(db.AddString("a text of more than fifteen"), 142u);
}
