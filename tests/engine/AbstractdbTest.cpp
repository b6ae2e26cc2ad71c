// The string pool: size classes, slot reuse after reopening, deletes and
// edits, and the exact bytes of a string record.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "Adbengine.h"
#include "EngineTestUtil.h"

namespace {

class StringPool : public testing::Test {
 protected:
  void SetUp() override {
    path = dir.Path("s.vlt");
    db.CreateFile(path);
    capture.Clear();
  }
  void Reopen() {
    db.CloseFile();
    ASSERT_TRUE(db.OpenFile(path));
    capture.Clear();
  }
  RecordHeader HeaderOf(std::uint32_t position) {
    return ReadAt<RecordHeader>(ReadFileBytes(path), position);
  }

  CCapture capture;
  CScratch dir;
  std::string path;
  CADBEngine db;
};

}  // namespace

TEST_F(StringPool, SizeClassesFollowTheTextLength) {
  struct Case {
    std::size_t length;
    std::uint8_t type;
    std::uint32_t slot;
  } cases[] = {{1, 1, 16},        {15, 1, 16},      {16, 2, 64},     {63, 2, 64},
               {64, 3, 256},      {1023, 4, 1024},  {1024, 5, 4096}, {4095, 5, 4096},
               {16383, 6, 16384}, {65535, 7, 65536}};
  for (const Case& c : cases) {
    std::uint64_t end = db.GetFileSize();
    std::string text(c.length, 'x');
    std::uint32_t id = db.AddString(text);
    ASSERT_GT(id, 100u) << c.length;
    RecordHeader h = HeaderOf(static_cast<std::uint32_t>(end));
    EXPECT_EQ(h.type, c.type) << c.length;
    EXPECT_EQ(h.size, c.slot) << c.length;
    EXPECT_EQ(h.id, id);
    EXPECT_EQ(db.GetFileSize(), end + 12 + c.slot) << c.length;
    EXPECT_EQ(db.GetString(id), text);
  }
}

// Many texts read at once give what reading each alone gives, across the
// reads' window (texts of every size class, more than 1 MB of them).
TEST_F(StringPool, ManyTextsReadAtOnceAsOneByOne) {
  std::vector<std::uint32_t> ids = {0, 99999};  // no text and an unknown id: skipped
  for (int i = 0; i < 240; ++i)
    ids.push_back(db.AddString(std::string(static_cast<std::size_t>(1) << (i % 16), 'a' + i % 26)));
  std::map<std::uint32_t, std::string> read;
  db.ReadStrings(ids, [&](std::uint32_t id, std::string_view text) { read[id] = text; });
  ASSERT_EQ(read.size(), 240u);
  for (const auto& [id, text] : read) EXPECT_EQ(text, db.GetString(id)) << id;
}

TEST_F(StringPool, RefusesEmptyAndOverlongTexts) {
  std::uint64_t end = db.GetFileSize();
  std::uint32_t next = db.GetNextStringId();
  EXPECT_EQ(db.AddString(""), 0u);
  EXPECT_EQ(db.AddString(std::string(65536, 'y')), 0u);
  EXPECT_TRUE(capture.Logged(3, "[AddString] String length > 1023"));
  EXPECT_EQ(db.GetFileSize(), end);
  EXPECT_EQ(db.GetNextStringId(), next);
  EXPECT_EQ(db.GetString(0), "");
  EXPECT_EQ(db.GetString(99), "");
  EXPECT_EQ(capture.log.size(), 1u) << "ids below 100 are no text, silently";
  // A text ends at its first zero byte.
  std::uint32_t id = db.AddString(std::string("ab\0cd", 5));
  EXPECT_EQ(db.GetString(id), "ab");
}

TEST_F(StringPool, RecordBytesAreExact) {
  std::uint32_t end = static_cast<std::uint32_t>(db.GetFileSize());
  std::uint32_t id = db.AddString("Milk");
  std::vector<char> bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), end + 28u);
  const unsigned char expected[28] = {0,   1, 0,   0,   static_cast<unsigned char>(id),
                                      0,   0, 0,   16,  0,
                                      0,   0, 'M', 'i', 'l',
                                      'k', 0, 0,   0,   0,
                                      0,   0, 0,   0,   0,
                                      0,   0, 0};
  EXPECT_EQ(std::memcmp(bytes.data() + end, expected, 28), 0);
  // Both counters are rewritten whenever an id is handed out.
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 256), 103u);
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 260), id);
}

TEST_F(StringPool, FreedSlotIsReusedOnlyAfterReopenWithTheDeletedId) {
  std::uint32_t a = db.AddString("first");
  std::uint32_t posA = static_cast<std::uint32_t>(db.GetFileSize()) - 28;
  ASSERT_TRUE(db.DelString(a));
  EXPECT_EQ(HeaderOf(posA).state, 1);
  std::uint32_t b = db.AddString("second");
  EXPECT_NE(b, a);
  EXPECT_EQ(HeaderOf(posA).state, 1) << "not reused before the file is reopened";
  Reopen();
  std::uint64_t end = db.GetFileSize();
  std::uint32_t next = db.GetNextStringId();
  std::uint32_t c = db.AddString("third");
  EXPECT_EQ(c, a) << "the slot's old id comes back with it";
  EXPECT_EQ(db.GetFileSize(), end);
  EXPECT_EQ(db.GetNextStringId(), next);
  RecordHeader h = HeaderOf(posA);
  EXPECT_EQ(h.state, 0);
  EXPECT_EQ(h.id, a);
  EXPECT_EQ(db.GetString(c), "third");
  EXPECT_EQ(db.GetString(b), "second");
  // A text of another class does not take that slot.
  EXPECT_GT(db.AddString(std::string(20, 'z')), next);
}

TEST_F(StringPool, DeleteAndEditEdgeCases) {
  std::uint32_t id = db.AddString("gone");
  EXPECT_TRUE(db.DelString(id));
  EXPECT_FALSE(db.DelString(id));
  EXPECT_TRUE(capture.Logged(2, "[DelString] Can't find string ID: " + std::to_string(id)));
  EXPECT_TRUE(db.DelString(0));

  capture.Clear();
  std::uint32_t fresh = db.EditString(0, "new text");
  EXPECT_GT(fresh, 100u);
  EXPECT_EQ(db.GetString(fresh), "new text");
  EXPECT_TRUE(capture.log.empty()) << "id 0 counts as already deleted";

  EXPECT_EQ(db.EditString(fresh, ""), 0u);
  EXPECT_EQ(db.GetString(fresh), "");
  EXPECT_TRUE(capture.Logged(2, "[GetString] Can't find string ID: " + std::to_string(fresh)));

  capture.Clear();
  std::uint32_t again = db.EditString(9999, "orphan");
  EXPECT_EQ(db.GetString(again), "orphan");
  EXPECT_TRUE(capture.Logged(2, "[EditString] Can't find string ID: 9999. String Added."));
}

TEST_F(StringPool, OverwrittenStringRecordIsReportedByType) {
  std::uint32_t id = db.AddString("text");
  std::uint32_t pos = static_cast<std::uint32_t>(db.GetFileSize()) - 28;
  {
    // Something else writes over the record while the file is open.
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(pos + 1);
    f.put(static_cast<char>(kCurrencyRecord));
  }
  EXPECT_EQ(db.GetString(id), "");
  EXPECT_TRUE(capture.Logged(3, "[GetString] Unexpected String type: 100"));
}

TEST(StringPoolClosed, AddStringWithoutAFileReturnsZero) {
  CADBEngine db;
  EXPECT_EQ(db.AddString("x"), 0u);
  EXPECT_EQ(db.GetString(101), "");
}
