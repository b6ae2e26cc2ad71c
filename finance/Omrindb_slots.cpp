// CDataBase: description statistics for quick expenses, and the header
// string slots with the password.
#include <algorithm>
#include <map>

#include "Logger.h"
#include "Omrindb.h"

namespace {
constexpr int kSlotCount = 64;
constexpr std::uint32_t kMaxCounted = 1002;  // matching transactions examined at most
}  // namespace

TLastTransactions& CDataBase::GetLastTransactions(std::uint32_t fromAccount,
                                                  std::uint32_t toAccount, std::uint32_t limit,
                                                  std::uint8_t byCategory, std::uint32_t category) {
  lastTransactions.clear();
  std::map<std::string, CLastTransaction> byText;
  if (!CheckOpened("GetLastTransactions")) return lastTransactions;
  const std::uint64_t maxEntries = 16ull * limit;
  std::uint32_t counted = 0;
  transactions.ForEachDescending([&](std::uint32_t id, TTransactionIndexes::Ptr entry) {
    const TransactionRecord t = entry->record;
    const bool matches = (fromAccount == 0 && toAccount == 0) ||
                         (t.fromAccount == fromAccount && t.toAccount == toAccount &&
                          (byCategory == 0 || t.categoryId == category));
    if (!matches) return true;
    std::string text = GetString(t.descriptionId);
    CLastTransaction& e = byText[text];
    if (e.uses == 0) {
      e.description = std::move(text);
      e.transaction = id;
    }
    ++e.uses;
    ++counted;
    return byText.size() < maxEntries && counted < kMaxCounted;
  });
  for (auto& [text, e] : byText) lastTransactions.push_back(std::move(e));
  std::stable_sort(
      lastTransactions.begin(), lastTransactions.end(),
      [](const CLastTransaction& a, const CLastTransaction& b) { return a.uses > b.uses; });
  if (lastTransactions.size() > limit) lastTransactions.resize(limit);
  std::sort(lastTransactions.begin(), lastTransactions.end(),
            [](const CLastTransaction& a, const CLastTransaction& b) {
              return a.description < b.description;
            });
  return lastTransactions;
}

std::string CDataBase::GetLocalizedString(std::int8_t slot, const std::string& defaultText) {
  if (slot < 0 || slot >= kSlotCount || !CheckOpened("GetLocalizedString")) return {};
  std::uint32_t stringId = 0;
  try {
    stringId = stream->Read<std::uint32_t>(kTextSlotsOffset + 4u * slot);
  } catch (const CFileError& e) {
    LogError(std::string("[GetLocalizedString] ") + e.what());
    return {};
  }
  if (stringId < kFirstFreeId) {
    // Filling in a missing default is no change of the person's: no step.
    CChangeJournal* const noting = journal;
    journal = nullptr;
    StoreSlotText(slot, defaultText);
    journal = noting;
    return defaultText;
  }
  return GetString(stringId);
}

bool CDataBase::SetLocalizedString(std::int8_t slot, const std::string& text) {
  CChangeScope change(*this, EChangeKind::kSettings);
  return StoreSlotText(slot, text);
}

bool CDataBase::StoreSlotText(std::int8_t slot, const std::string& text) {
  ClearLastWriteError();
  if (slot < 0 || slot >= kSlotCount || !CheckOpened("SetLocalizedString")) return false;
  const std::uint32_t offset = kTextSlotsOffset + 4u * slot;
  try {
    const std::uint32_t oldId = stream->Read<std::uint32_t>(offset);
    // The new text and the slot are written before the old text is freed,
    // so the slot never names a freed text.
    const std::uint32_t newId = AddString(text);
    WriteHeaderWord(offset, newId);
    FreeTexts({oldId}, true);
  } catch (const CFileError& e) {
    NoteWriteFailure("SetLocalizedString", e.what());
    return false;
  }
  return SyncChanges("SetLocalizedString");
}

std::string CDataBase::GetPassword() {
  std::string text = GetLocalizedString(0, "");
  const auto n = static_cast<unsigned char>(text.size());
  for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) + n);
  return text;
}

bool CDataBase::SetPassword(const std::string& password) {
  ClearLastWriteError();
  std::string text(password.c_str());  // a text ends at its first zero byte
  const auto n = static_cast<unsigned char>(text.size());
  for (char& c : text) {
    c = static_cast<char>(static_cast<unsigned char>(c) - n);
    if (c == 0) {
      // The scrambled text would hold a zero byte, which the string pool
      // cannot store whole: storing it would silently change the password.
      LogWarning(
          "[SetPassword] The password can't be stored: it holds a character that "
          "equals its length");
      return false;
    }
  }
  return SetLocalizedString(0, text);
}
