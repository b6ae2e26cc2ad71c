// What the readers of other programs' books tell the user: why a file does
// not read, or what of it does not come over. A note is a kind with its
// arguments, not a sentence, so that the command line prints it in English
// and the windows in the user's language from the same parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class EForeignNote : std::uint8_t {
  kNone,
  // What does not come over.
  kQifOtherRecords,        // detail: the section ("Type:Invst")
  kQifSplitRest,           // line
  kQifAccountWithoutList,  // name: the account
  kGnuCashScheduled,
  kGnuCashBudgets,
  kGnuCashBusiness,      // detail: the kind of record ("Customer")
  kGnuCashOtherAccount,  // name: the account; detail: its type
  kGnuCashOtherSide,     // a transaction with a stock, business or trading account
  kGnuCashCategoriesOnly,
  kGnuCashRounded,
  kHomeBankUnpaired,
  kHomeBankUncounted,
  kHomeBankPlannedFromToday,
  kHomeBankScheduleOther,
  kHomeBankAssignments,
  // Why a file does not read.
  kNotThisFormat,   // detail: the format ("QIF", "GnuCash", "HomeBank")
  kTextUnreadable,  // detail: the decoder's reason
  kDatesAmbiguous,
  kAmountUnreadable,  // name: the amount as written
  kDateOutOfRange,    // name: the date as written
  kDateNotInStyle,    // name: the date as written; detail: the style ("MM/DD/YYYY")
  kCategoryTooDeep,   // name: the category; count: the levels allowed
  kTooLarge,          // count: the megabytes allowed
  kUnpacksTooLarge,   // count: the megabytes allowed
  kCannotOpen,
  kDamaged,
  kNoXml,
  kDocumentType,  // detail: the format
  kEntity,
  kNestingTooDeep,  // detail: the format
  kTablesUnreadable,
  kNoCurrencyCode,     // name: the account; detail: what it keeps its money in
  kCurrencyMissing,    // name: the account
  kOpeningUnreadable,  // name: the account
  kAccountMissing,
  kCount
};

struct CForeignNote {
  EForeignNote kind = EForeignNote::kNone;
  std::size_t count = 1;   // how many things it is about
  std::uint32_t line = 0;  // where the file has it; 0: nowhere in particular
  std::string name;        // the account, category, amount or date it is about
  std::string detail;      // a second argument, see the kinds

  CForeignNote() = default;
  CForeignNote(EForeignNote k, std::size_t n = 1, std::uint32_t at = 0, std::string about = {},
               std::string more = {})
      : kind(k), count(n), line(at), name(std::move(about)), detail(std::move(more)) {}
  bool Empty() const { return kind == EForeignNote::kNone; }
};

// The language id of a kind's text and its English forms ("%1 budget|%1
// budgets"): %1 is the count, %2 the name (or the list of names or lines of
// a grouped note), %3 the detail.
struct CForeignNoteText {
  std::uint32_t id = 0;
  const char* english = "";
};
const CForeignNoteText& ForeignNoteText(EForeignNote kind);
// The text put before a note that has a line: "line %1: %2".
const CForeignNoteText& ForeignNoteLineText();

// Gives the form of counted text `id` (English `forms`) for `count`, with
// %1 replaced by the count: GetLocalizedCount in the windows.
using TCountedText = std::string (*)(std::uint32_t id, const std::string& forms, long long count);
std::string EnglishCountedText(std::uint32_t id, const std::string& forms, long long count);

// The sentence of `note`, in English unless `counted` looks its texts up.
std::string NoteText(const CForeignNote& note, TCountedText counted = EnglishCountedText);

// The notes of the same kind and detail as one, their counts added and
// their names (or lines) listed in `name`; in the order first seen.
std::vector<CForeignNote> GroupNotes(const std::vector<CForeignNote>& notes);
