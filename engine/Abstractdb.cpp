#include "Abstractdb.h"

#include <algorithm>
#include <cstring>

#include "Logger.h"

// ---- TStringIndexes ----

std::uint32_t TStringIndexes::Find(std::uint32_t id) const {
  if (id < dense_.size()) return dense_[id];
  auto it = sparse_.find(id);
  return it == sparse_.end() ? 0 : it->second;
}

bool TStringIndexes::Insert(std::uint32_t id, std::uint32_t position, bool keepExisting) {
  std::uint32_t* slot = nullptr;
  if (id < dense_.size() || id - dense_.size() < kDenseSlack) {
    if (id >= dense_.size()) {
      // Grows by half, but not past room made by Reserve while it suffices.
      std::size_t grown = std::max<std::size_t>(id + 1, dense_.size() * 3 / 2);
      if (id < dense_.capacity()) grown = std::min(grown, dense_.capacity());
      dense_.resize_zeroed(grown);
    }
    slot = &dense_[id];
  } else {
    slot = &sparse_[id];
  }
  bool present = *slot != 0;
  if (!present) ++count_;
  if (!present || !keepExisting) *slot = position;
  return !present;
}

bool TStringIndexes::Erase(std::uint32_t id) {
  if (id < dense_.size()) {
    if (dense_[id] == 0) return false;
    dense_[id] = 0;
  } else if (sparse_.erase(id) == 0) {
    return false;
  }
  --count_;
  return true;
}

void TStringIndexes::clear() {
  dense_.clear();
  sparse_.clear();
  count_ = 0;
}

// ---- CAbstractDB ----

int StringClassOf(std::size_t length) {
  for (int k = 1; k <= kStringClasses; ++k)
    if (length < StringSlotSize(k)) return k;
  return 0;
}

CAbstractDB::CAbstractDB() = default;
CAbstractDB::~CAbstractDB() = default;

std::uint32_t CAbstractDB::AppendPosition(std::uint32_t dataSize) const {
  std::uint64_t end = stream->Size();
  if (end + sizeof(RecordHeader) + dataSize > UINT32_MAX)
    throw CFileError("the database file cannot grow beyond 4 GiB");
  return static_cast<std::uint32_t>(end);
}

std::uint32_t CAbstractDB::AddString(const std::string& value) {
  std::string text(value.c_str());  // a text ends at its first zero byte
  if (text.empty() || stream == nullptr) return 0;
  int k = StringClassOf(text.size());
  if (k == 0) {
    LogError("[AddString] String length > " + std::to_string(1023));
    return 0;
  }
  const std::uint32_t slotSize = StringSlotSize(k);
  NoteWrite();
  RecordHeader header;
  std::uint32_t position = 0;
  const bool reused = !freeStrings[k - 1].empty();
  if (reused) {
    position = freeStrings[k - 1].back();
    header = stream->Read<RecordHeader>(position);  // keeps the deleted string's id
    header.state = 0;
    header.size = slotSize;
  } else {
    // A wrapped counter would hand out the reserved ids 0..100.
    if (nextStringId == UINT32_MAX) throw CFileError("no string id is left in the file");
    position = AppendPosition(slotSize);
    ++nextStringId;
    WriteCounters();
    if (stream == nullptr) throw CFileError(lastWriteError);  // the counters failed
    header.type = static_cast<std::uint8_t>(k);
    header.id = nextStringId;
    header.size = slotSize;
  }

  std::vector<char> record(sizeof header + slotSize, 0);
  std::memcpy(record.data(), &header, sizeof header);
  std::memcpy(record.data() + sizeof header, text.data(), text.size());
  if (reused) {
    // The text goes in before the header that makes the slot live again, so
    // an interrupted write never shows a live record with a stale text.
    stream->WriteAt(position + sizeof header, record.data() + sizeof header, slotSize);
    stream->Write(position, header);
    freeStrings[k - 1].pop_back();
    NoteReusedString(header.id);
  } else {
    WriteAppend(position, record.data(), record.size());
  }
  strings.Insert(header.id, position, false);
  if (journal != nullptr)
    journal->Note(EJournalOp::kStringAdded, header.type, header.id, position, text.data(),
                  text.size());
  return header.id;
}

std::string CAbstractDB::GetString(std::uint32_t stringId) const {
  if (stringId < kFirstFreeId || stream == nullptr || !opened) return {};
  std::uint32_t position = strings.Find(stringId);
  if (position == 0) {
    LogWarning("[GetString] Can't find string ID: " + std::to_string(stringId));
    return {};
  }
  // Most texts are short: read the header and the start of the slot at once.
  char buf[sizeof(RecordHeader) + 256];
  std::size_t got = stream->ReadSomeAt(position, buf, sizeof buf);
  if (got < sizeof(RecordHeader)) return {};
  RecordHeader header;
  std::memcpy(&header, buf, sizeof header);
  if (header.type < kStringRecordFirst || header.type > kStringRecordLast) {
    LogError("[GetString] Unexpected String type: " + std::to_string(header.type));
    return {};
  }
  const std::size_t slotSize = StringSlotSize(header.type);
  const char* data = buf + sizeof header;
  std::size_t inBuf = std::min(got - sizeof header, slotSize);
  std::size_t len = strnlen(data, inBuf);
  if (len < inBuf || inBuf == slotSize) return std::string(data, len);
  std::vector<char> slot(slotSize);
  std::size_t n = stream->ReadSomeAt(position + sizeof header, slot.data(), slotSize);
  return std::string(slot.data(), strnlen(slot.data(), n));
}

void CAbstractDB::ReadStrings(
    std::vector<std::uint32_t> ids,
    const std::function<void(std::uint32_t, std::string_view)>& use) const {
  if (stream == nullptr || !opened) return;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> at;  // position, id
  at.reserve(ids.size());
  for (std::uint32_t id : ids)
    if (id >= kFirstFreeId)
      if (const std::uint32_t position = strings.Find(id); position != 0)
        at.emplace_back(position, id);
  // Texts asked for in the order they were added mostly lie in that order.
  if (!std::is_sorted(at.begin(), at.end())) std::sort(at.begin(), at.end());
  constexpr std::size_t kWindow = 1 << 20;
  std::vector<char> window(kWindow);
  std::uint64_t start = 0;  // the file offset of window[0]
  std::size_t got = 0;      // bytes of the window read
  for (const auto& [position, id] : at) {
    // The record must lie in the window whole; else the window moves to it.
    if (position < start || position + sizeof(RecordHeader) > start + got) {
      start = position;
      got = stream->ReadSomeAt(start, window.data(), kWindow);
    }
    if (position + sizeof(RecordHeader) > start + got) continue;
    RecordHeader header;
    std::memcpy(&header, window.data() + (position - start), sizeof header);
    if (header.type < kStringRecordFirst || header.type > kStringRecordLast) continue;
    const std::size_t slotSize = StringSlotSize(header.type);
    if (position + sizeof header + slotSize > start + got) {
      // A long text past the window's end: read where it starts.
      start = position;
      got = stream->ReadSomeAt(start, window.data(), kWindow);
      if (sizeof header + slotSize > got) {
        use(id, GetString(id));  // longer than the window
        continue;
      }
    }
    const char* data = window.data() + (position - start) + sizeof header;
    use(id, std::string_view(data, strnlen(data, slotSize)));
  }
}

bool CAbstractDB::DelString(std::uint32_t stringId) {
  if (stringId < kFirstFreeId) return true;
  std::uint32_t position = stream ? strings.Find(stringId) : 0;
  if (position == 0) {
    LogWarning("[DelString] Can't find string ID: " + std::to_string(stringId));
    return false;
  }
  NoteWrite();
  const std::string text = journal != nullptr ? GetString(stringId) : std::string();
  RecordHeader header = stream->Read<RecordHeader>(position);
  header.state = kDeletedState;
  stream->Write(position, header);
  strings.Erase(stringId);
  if (journal != nullptr)
    journal->Note(EJournalOp::kStringDeleted, header.type, stringId, position, text.data(),
                  text.size());
  return true;
}

bool CAbstractDB::RestoreString(std::uint32_t stringId, std::uint32_t position,
                                std::string_view text) {
  if (stream == nullptr || strings.Find(stringId) != 0) return false;
  RecordHeader header = stream->Read<RecordHeader>(position);
  if (header.state != kDeletedState || header.id != stringId || header.type < kStringRecordFirst ||
      header.type > kStringRecordLast || text.size() >= StringSlotSize(header.type))
    return false;
  NoteWrite();
  // The text first, then the header that makes the slot live again.
  std::vector<char> slot(StringSlotSize(header.type), 0);
  std::memcpy(slot.data(), text.data(), text.size());
  stream->WriteAt(position + sizeof header, slot.data(), slot.size());
  header.state = 0;
  stream->Write(position, header);
  strings.Insert(stringId, position, false);
  NoteReusedString(stringId);  // caches may still hold the id's former text
  if (journal != nullptr)
    journal->Note(EJournalOp::kStringAdded, header.type, stringId, position, text.data(),
                  text.size());
  return true;
}

void CAbstractDB::WriteHeaderWord(std::uint32_t offset, std::uint32_t value) {
  const auto before = stream->Read<std::uint32_t>(offset);
  if (before == value) return;
  NoteWrite();
  stream->Write(offset, value);
  if (journal != nullptr)
    journal->Note(EJournalOp::kHeaderEdited, 0, 0, offset, &before, sizeof before, &value);
}

void CAbstractDB::NoteWrite() {
  ++writeCount;
  if (wroteThisSession) return;
  wroteThisSession = true;
  if (beforeFirstWrite) beforeFirstWrite();
}

std::uint32_t CAbstractDB::EditString(std::uint32_t stringId, const std::string& text) {
  // The new text is stored first and the old one freed after it, so that a
  // record never points at a freed text whatever instant the process dies.
  std::uint32_t newId = AddString(text);
  if (!DelString(stringId))
    LogWarning("[EditString] Can't find string ID: " + std::to_string(stringId) +
               ". String Added.");
  return newId;
}

void CAbstractDB::WriteCounters() {
  if (stream == nullptr) return;
  // Inside a batch the counters are written once at its end: a load raises
  // them past every id in the file, so a run cut before then hands out no
  // id twice.
  if (batchDepth > 0) {
    countersDue = true;
    return;
  }
  countersDue = false;
  try {
    std::uint32_t counters[2] = {nextItemId, nextStringId};
    stream->WriteAt(kCountersOffset, counters, sizeof counters);
  } catch (const CFileError& e) {
    lastWriteError = e.what();
    GiveUpFile();
  }
}

void CAbstractDB::NoteWriteFailure(const std::string& operation, const std::string& what) {
  LogError("[" + operation + "] " + what);
  lastWriteError = what;
}

void CAbstractDB::WriteAppend(std::uint32_t position, const void* bytes, std::size_t n) {
  try {
    stream->WriteAt(position, bytes, n);
  } catch (const CFileError&) {
    // Part of the record may have reached the file: take it back off, so
    // the next record follows the last whole one.
    try {
      stream->SetSize(position);
    } catch (const CFileError&) {
      GiveUpFile();
    }
    throw;
  }
}

void CAbstractDB::GiveUpFile() {
  opened = false;
  stream.reset();
}

bool CAbstractDB::SyncChanges(const char* operation) {
  if (batchDepth > 0) {
    syncDue = true;
    return true;
  }
  syncDue = false;
  if (stream == nullptr) {
    if (lastWriteError.empty()) lastWriteError = "the file was given up";
    return false;
  }
  try {
    stream->Sync();
  } catch (const CFileError& e) {
    NoteWriteFailure(operation, e.what());
    GiveUpFile();
    return false;
  }
  return true;
}

bool CAbstractDB::EndBatch(const char* operation) {
  if (batchDepth > 0) --batchDepth;
  if (batchDepth > 0) return true;
  if (countersDue) WriteCounters();  // gives the file up if it fails
  if (!syncDue && stream != nullptr) return true;
  return SyncChanges(operation);
}

void CAbstractDB::NoteReusedString(std::uint32_t stringId) {
  // A bounded log: past it, caches are told to read everything again.
  constexpr std::size_t kMaxReuseLog = 1 << 20;
  if (reusedStrings.size() >= kMaxReuseLog) {
    reusedStrings.clear();
    reusedFrom = stringGeneration;
  }
  ++stringGeneration;
  reusedStrings.push_back(stringId);
}

bool CAbstractDB::ReusedStringsSince(std::uint64_t generation,
                                     std::vector<std::uint32_t>& ids) const {
  if (generation < reusedFrom || generation > stringGeneration) return false;
  ids.assign(reusedStrings.begin() + static_cast<std::ptrdiff_t>(generation - reusedFrom),
             reusedStrings.end());
  return true;
}

void CAbstractDB::ClearStrings() {
  ++stringGeneration;
  reusedStrings.clear();
  reusedFrom = stringGeneration;
  strings.clear();
  for (TFreeIndexes& stack : freeStrings) TFreeIndexes().swap(stack);
}
