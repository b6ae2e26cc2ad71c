// The texts of the notes on other programs' books, in English, with the
// language ids the windows look them up by.
#include "ForeignNote.h"

#include <array>
#include <map>
#include <set>
#include <utility>

namespace {

constexpr std::size_t kKinds = static_cast<std::size_t>(EForeignNote::kCount);

// One row for each kind, in the order of the kinds.
struct CRow {
  EForeignNote kind;
  CForeignNoteText text;
};

constexpr std::array<CRow, kKinds> kTexts = {{
    {EForeignNote::kNone, {0, ""}},
    {EForeignNote::kQifOtherRecords,
     {30850,
      "%1 record of !%3 (investments, prices, classes and memorized transactions do not come "
      "over)|%1 records of !%3 (investments, prices, classes and memorized transactions do not "
      "come over)"}},
    {EForeignNote::kQifSplitRest,
     {30851,
      "%1 split whose parts do not add up to its total (line %2): the rest is kept without a "
      "category|%1 splits whose parts do not add up to their totals (lines %2): the rest is kept "
      "without a category"}},
    {EForeignNote::kQifAccountWithoutList,
     {30852,
      "%1 account has no list of its own in the file and is made from the transfers to it "
      "only: %2|%1 accounts have no list of their own in the file and are made from the "
      "transfers to them only: %2"}},
    {EForeignNote::kGnuCashScheduled,
     {30853, "%1 scheduled transaction|%1 scheduled transactions"}},
    {EForeignNote::kGnuCashBudgets, {30854, "%1 budget|%1 budgets"}},
    {EForeignNote::kGnuCashBusiness, {30855, "%1 business record (%3)|%1 business records (%3)"}},
    {EForeignNote::kGnuCashOtherAccount,
     {30856, "%1 account of type %3: %2|%1 accounts of type %3: %2"}},
    {EForeignNote::kGnuCashOtherSide,
     {30885,
      "%1 transaction with a stock, business or trading account: the bank side is kept without "
      "a category|%1 transactions with stock, business or trading accounts: the bank side is "
      "kept without a category"}},
    {EForeignNote::kGnuCashCategoriesOnly,
     {30857, "%1 transaction between categories only|%1 transactions between categories only"}},
    {EForeignNote::kGnuCashRounded,
     {30858,
      "%1 split amount with more than four decimals, rounded|%1 split amounts with more than "
      "four decimals, rounded"}},
    {EForeignNote::kHomeBankUnpaired,
     {30859,
      "%1 transfer whose other half is missing, kept in its own account|%1 transfers whose "
      "other half is missing, kept in their own accounts"}},
    {EForeignNote::kHomeBankUncounted,
     {30860,
      "%1 transaction marked Remind or Void, which HomeBank counts in no balance|%1 "
      "transactions marked Remind or Void, which HomeBank counts in no balance"}},
    {EForeignNote::kHomeBankPlannedFromToday,
     {30861,
      "%1 scheduled transaction becomes a planned one from today on; occurrences already due "
      "and a limit on how often it runs stay behind|%1 scheduled transactions become planned "
      "ones from today on; occurrences already due and a limit on how often they run stay "
      "behind"}},
    {EForeignNote::kHomeBankScheduleOther,
     {30862,
      "%1 scheduled transaction with splits or another period|%1 scheduled transactions with "
      "splits or another period"}},
    {EForeignNote::kHomeBankAssignments, {30863, "%1 assignment rule|%1 assignment rules"}},
    {EForeignNote::kNotThisFormat, {30864, "This is not a %3 file."}},
    {EForeignNote::kTextUnreadable, {30865, "The file's text does not read: %3"}},
    {EForeignNote::kDatesAmbiguous,
     {30866, "The dates read day-first and month-first alike: say which order the file uses."}},
    {EForeignNote::kAmountUnreadable, {30867, "The amount '%2' does not read."}},
    {EForeignNote::kDateOutOfRange, {30868, "The date '%2' is no day of the years 1900 to 2999."}},
    {EForeignNote::kDateNotInStyle,
     {30869, "The date '%2' is no day of the years 1900 to 2999 written as %3."}},
    {EForeignNote::kCategoryTooDeep, {30870, "The category '%2' nests deeper than %1 levels."}},
    {EForeignNote::kTooLarge, {30871, "The file is larger than %1 MB."}},
    {EForeignNote::kUnpacksTooLarge,
     {30872, "The file unpacks to more than %1 MB; it is not taken as a book."}},
    {EForeignNote::kCannotOpen, {30873, "The file could not be opened."}},
    {EForeignNote::kDamaged, {30874, "The file is damaged or cut short."}},
    {EForeignNote::kNoXml, {30875, "The file holds no XML."}},
    {EForeignNote::kDocumentType,
     {30876, "The file declares a document type, which a %3 file does not."}},
    {EForeignNote::kEntity, {30877, "The file refers to an entity it declares."}},
    {EForeignNote::kNestingTooDeep, {30878, "The elements nest deeper than in a %3 file."}},
    {EForeignNote::kTablesUnreadable, {30879, "The book's tables do not read."}},
    {EForeignNote::kNoCurrencyCode,
     {30880, "The account '%2' keeps its money in '%3', which is no currency code."}},
    {EForeignNote::kCurrencyMissing,
     {30881, "The account '%2' names a currency the file does not hold."}},
    {EForeignNote::kOpeningUnreadable, {30882, "The opening balance of '%2' does not read."}},
    {EForeignNote::kAccountMissing,
     {30883, "A transaction names an account the file does not hold."}},
}};

constexpr bool InKindOrder() {
  for (std::size_t i = 0; i < kKinds; ++i)
    if (static_cast<std::size_t>(kTexts[i].kind) != i) return false;
  return true;
}
static_assert(InKindOrder(), "a row of kTexts stands at another kind's place");

constexpr CForeignNoteText kLineText = {30884, "Line %1: %2"};

// `text` with %2 and %3 replaced in one pass, so that a name holding "%3"
// stays as it is.
std::string Fill(const std::string& text, const std::string& two, const std::string& three) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '2' || text[i + 1] == '3')) {
      out += text[i + 1] == '2' ? two : three;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

const CForeignNoteText& ForeignNoteText(EForeignNote kind) {
  const auto index = static_cast<std::size_t>(kind);
  return kTexts[index < kKinds ? index : 0].text;
}

const CForeignNoteText& ForeignNoteLineText() {
  return kLineText;
}

std::string EnglishCountedText(std::uint32_t, const std::string& forms, long long count) {
  const std::size_t bar = forms.find('|');
  std::string text =
      count == 1 || bar == std::string::npos ? forms.substr(0, bar) : forms.substr(bar + 1);
  const std::string digits = std::to_string(count);
  for (std::size_t at = text.find("%1"); at != std::string::npos;
       at = text.find("%1", at + digits.size()))
    text.replace(at, 2, digits);
  return text;
}

std::string NoteText(const CForeignNote& note, TCountedText counted) {
  if (note.Empty()) return {};
  const CForeignNoteText& text = ForeignNoteText(note.kind);
  const std::string sentence = Fill(
      counted(text.id, text.english, static_cast<long long>(note.count)), note.name, note.detail);
  if (note.line == 0) return sentence;
  // "Line 12: The amount '5.00001' does not read."
  return Fill(counted(kLineText.id, kLineText.english, note.line), sentence, {});
}

std::vector<CForeignNote> GroupNotes(const std::vector<CForeignNote>& notes) {
  constexpr std::size_t kListed = 10;
  std::vector<CForeignNote> groups;
  std::map<std::pair<EForeignNote, std::string>, std::size_t> at;
  std::vector<std::size_t> listed;
  std::vector<std::set<std::string>> seen;
  for (const CForeignNote& note : notes) {
    auto [it, added] = at.emplace(std::make_pair(note.kind, note.detail), groups.size());
    if (added) {
      CForeignNote group = note;
      group.count = 0;
      group.name.clear();
      group.line = 0;
      groups.push_back(group);
      listed.push_back(0);
      seen.emplace_back();
    }
    const std::size_t g = it->second;
    groups[g].count += note.count;
    const std::string item = !note.name.empty() ? note.name
                             : note.line != 0   ? std::to_string(note.line)
                                                : std::string();
    if (item.empty() || !seen[g].insert(item).second) continue;
    if (listed[g] < kListed)
      groups[g].name += (listed[g] == 0 ? "" : ", ") + item;
    else if (listed[g] == kListed)
      groups[g].name += ", \u2026";
    ++listed[g];
  }
  return groups;
}
