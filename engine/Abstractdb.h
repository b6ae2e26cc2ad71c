// CAbstractDB: the bottom of the database engine. It owns the open database
// file, the two id counters of the file header and the string pool: every
// text is stored once as a string record in one of seven size classes and
// referred to from records by a 32-bit string id.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Filestream.h"
#include "Journal.h"
#include "PageArray.h"
#include "Records.h"

// TStringIndexes: string id -> file position of the live string record.
// String ids are handed out one after another and every id ever handed out
// took a record in the file, so the ids of a file are dense: they are held in
// a plain array indexed by id (4 bytes a string), in pages of its own, so that
// the room reserved for a large file costs nothing until it is used. An id
// far beyond the array (only a damaged file has one) goes to a small ordered
// map instead.
class TStringIndexes {
 public:
  // The position of `id`, or 0 when it is not present.
  std::uint32_t Find(std::uint32_t id) const;
  // Enters id -> position, overwriting a present entry. Returns false when
  // the id was already present (the position is then NOT changed if
  // `keepExisting`).
  bool Insert(std::uint32_t id, std::uint32_t position, bool keepExisting);
  bool Erase(std::uint32_t id);
  std::size_t size() const { return count_; }
  // Makes room for the ids below `count` without entering any.
  void Reserve(std::size_t count) { dense_.reserve(count); }
  void clear();
  // Calls f(id, position) for every present id, in ascending id order.
  template <class F>
  void ForEach(F f) const {
    for (std::size_t id = 0; id < dense_.size(); ++id)
      if (dense_[id] != 0) f(static_cast<std::uint32_t>(id), dense_[id]);
    for (const auto& [id, position] : sparse_) f(id, position);
  }

 private:
  static constexpr std::uint32_t kDenseSlack = 1u
                                               << 20;  // how far past the array an id may grow it
  TPageArray<std::uint32_t> dense_;                    // index = id; 0 = absent
  std::map<std::uint32_t, std::uint32_t> sparse_;      // ids too far beyond dense_
  std::size_t count_ = 0;                              // live ids in both
};

// Number of string size classes, and the slot size of class k (1..7).
constexpr int kStringClasses = 7;
constexpr std::uint32_t StringSlotSize(int k) {
  return 1u << (2 * (k + 1));
}
// The class of a text of `length` bytes, or 0 when it is too long to store.
int StringClassOf(std::size_t length);

class CAbstractDB {
 public:
  CAbstractDB();
  virtual ~CAbstractDB();
  CAbstractDB(const CAbstractDB&) = delete;
  CAbstractDB& operator=(const CAbstractDB&) = delete;

  // Stores `text` (up to its first zero byte) and returns its string id; 0 for
  // an empty text, a text of 65536 bytes or more, or when no file is open.
  // A write failure throws CFileError and leaves the pool as it was (an
  // append cut short is taken back off the end of the file); so does a pool
  // whose string ids are used up.
  std::uint32_t AddString(const std::string& text);
  // The stored text of `stringId`; empty for ids below 100, while closed, and
  // (with a warning) for ids not in the pool.
  std::string GetString(std::uint32_t stringId) const;
  // The stored texts of many string ids, handed to `use` in the order they
  // lie in the file (ids 0 and unknown ids are skipped): a few large reads
  // instead of one for every text.
  void ReadStrings(std::vector<std::uint32_t> ids,
                   const std::function<void(std::uint32_t, std::string_view)>& use) const;
  // Deletes a stored text. True when deleted or the id is below 100; false
  // (with a warning) when the id is not in the pool.
  bool DelString(std::uint32_t stringId);
  // Replaces a stored text: stores `text` as a new string and deletes the old
  // one. Returns the new id (0 for an empty text); callers store it in place
  // of the old id. The new text is on disk before the old one is freed.
  std::uint32_t EditString(std::uint32_t stringId, const std::string& text);
  // Writes both counters to the file header. On failure the file is given up
  // at once: the engine behaves as closed from then on.
  void WriteCounters();

  bool IsOpened() const { return opened && stream != nullptr; }

  // ---- Failed writes and durability ----
  // The reason of the last change that could not be stored (a failed write
  // or sync, ids used up), in the system's words; empty when the last change
  // operation of the finance database succeeded or was merely refused. An
  // operation that answers 0 or false with this empty was refused (no file
  // open, unknown id); with it set, the file could not be written.
  const std::string& GetLastWriteError() const { return lastWriteError; }
  void ClearLastWriteError() { lastWriteError.clear(); }
  // Puts every change so far on the medium (fdatasync), unless a batch is
  // open, in which case the sync waits for the batch's end. A failed sync
  // gives the file up like a failed counter write: the data may not be on
  // the medium, so nothing more is written to it. True when synced (or
  // deferred); false, with the reason in GetLastWriteError, otherwise.
  bool SyncChanges(const char* operation);
  // A batch of changes synced once at its end (an apply run, the demo):
  // SyncChanges inside it only notes that a sync is due. Batches nest; the
  // outermost EndBatch syncs and answers like SyncChanges.
  void BeginBatch() { ++batchDepth; }
  bool EndBatch(const char* operation);
  std::uint32_t GetNextItemId() const { return nextItemId; }
  // Steps by one before every change is written (whether or not the write
  // then succeeds): what was computed from the tables while it stays the
  // same is still right.
  std::uint64_t GetWriteCount() const { return writeCount; }
  // Every change stored from now on is noted in `journal` (none: nullptr).
  void SetJournal(CChangeJournal* noteInto) { journal = noteInto; }
  // Called once for each opened file, right before the first change of that
  // session reaches it (a session that only reads never calls it).
  void SetBeforeFirstWrite(std::function<void()> hook) { beforeFirstWrite = std::move(hook); }
  std::uint32_t GetNextStringId() const { return nextStringId; }
  std::size_t GetStringCount() const { return strings.size(); }
  const TStringIndexes& Strings() const { return strings; }
  // Changes whenever a string id may start to name another text (a file
  // opened or closed, a freed slot reused with its old id): caches of texts
  // by string id are valid while it stays the same.
  std::uint64_t GetStringGeneration() const { return stringGeneration; }
  // The string ids whose freed slots were given to a new text since the
  // generation was `generation`, oldest first. False when that is not known
  // (the pool was cleared since, or the log no longer reaches back so far):
  // then every cached text is to be read again.
  bool ReusedStringsSince(std::uint64_t generation, std::vector<std::uint32_t>& ids) const;

 protected:
  // The file position where a record of `dataSize` bytes would be appended.
  // Throws CFileError when the file would pass the 4 GiB that 32-bit
  // positions can address.
  std::uint32_t AppendPosition(std::uint32_t dataSize) const;
  // Appends `n` bytes at `position` (the end of the file); on failure takes
  // back whatever part reached the file and throws.
  void WriteAppend(std::uint32_t position, const void* bytes, std::size_t n);
  // Empties the string directory and the free-slot stacks.
  void ClearStrings();
  // Steps the generation for a freed slot given to a new text, and logs it.
  void NoteReusedString(std::uint32_t stringId);
  // Logs "[operation] what" as an error and keeps `what` as the last write
  // error.
  void NoteWriteFailure(const std::string& operation, const std::string& what);
  // Gives the file up after a failure that leaves its state on the medium
  // unknown: the engine behaves as closed from then on.
  void GiveUpFile();
  // Every change primitive calls this before it writes anything.
  void NoteWrite();
  // Writes a 4-byte field of the file header that is part of the data (a
  // text slot); throws CFileError when the write fails.
  void WriteHeaderWord(std::uint32_t offset, std::uint32_t value);
  // Makes the dead string slot at `position`, which last held `stringId`,
  // hold `text` under that id again (taking back a deletion, or making an
  // addition again). False when the slot is not that string's dead slot or
  // the id is live; throws CFileError when the write fails.
  bool RestoreString(std::uint32_t stringId, std::uint32_t position, std::string_view text);

  std::uint32_t nextItemId = kFirstFreeId;               // last item id handed out
  std::unique_ptr<CFileStream> stream;                   // the open file, or none
  bool opened = false;                                   // a file is open and loaded
  std::uint32_t nextStringId = kFirstFreeId;             // last string id handed out
  TStringIndexes strings;                                // live strings by id
  std::array<TFreeIndexes, kStringClasses> freeStrings;  // deleted slots per class
  std::uint64_t stringGeneration = 0;                    // see GetStringGeneration
  std::vector<std::uint32_t> reusedStrings;              // ids reused, one per generation step
  std::uint64_t reusedFrom = 0;                          // generation before reusedStrings[0]
  std::string lastWriteError;                            // see GetLastWriteError
  int batchDepth = 0;                                    // open batches
  bool syncDue = false;                                  // a change waits for its sync
  bool countersDue = false;                              // the counters wait for the batch's end
  CChangeJournal* journal = nullptr;                     // where stored changes are noted
  std::function<void()> beforeFirstWrite;                // see SetBeforeFirstWrite
  bool wroteThisSession = true;                          // the hook has run (or must not)
  std::uint64_t writeCount = 0;                          // see GetWriteCount
};
