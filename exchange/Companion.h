// The companion file: what belongs to one database but has no place in its
// .vlt format (the OFX transaction ids of imported rows, agreed bank checks),
// kept beside it as NAME.vlt.companion.
//
// The file is UTF-8 text: the line "Pardow companion 1", then one record per
// line, fields separated by tabs, the first field naming the record's kind:
//   fitid   ACCOUNT  FITID  TRANSACTION
//   agreed  ACCOUNT  YYYY-MM-DD  BALANCE (ten-thousandths)
//   rule    ID  FIELD  MODE  CASE  MIN  MAX  KIND  ACCOUNT  CATEGORY  MEMBER  SECTION
//           DESCRIPTION  TEXT   (one line; MIN and MAX empty when not set; the
//           rules in the order the user gave them)
// Backslashes, tabs and line breaks inside a field are written \\ \t \n \r.
// Lines of kinds this version does not know are kept as they are, so a file
// written by a newer version loses nothing when this one rewrites it.
//
// The companion is never needed to open the database: a missing file reads
// as empty; a damaged one (bad first line, a line that does not parse) is
// moved aside under a name that replaces nothing, reported, and started
// afresh. Writes replace the file whole and atomically (a temporary file,
// synced, renamed over it, the folder synced).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Dates.h"
#include "Moneytype.h"
#include "RuleTypes.h"

// A check of an account against the bank that came out even: on `day` the
// books and the bank both held `balance`.
struct CAgreedCheck {
  std::uint32_t account = 0;
  Date day = 0;  // whole day
  Money balance = 0;
};

// What loading found besides the records.
struct CCompanionLoad {
  bool damaged = false;     // the file did not parse: it was moved aside
  bool unreadable = false;  // the file exists but could not be read
  std::string path;         // the companion file
  std::string asidePath;    // where the damaged file is now (empty: not moved)
  std::string reason;       // what was wrong, in the system's or the parser's words
  bool Fine() const { return !damaged && !unreadable; }
};

class CCompanion {
 public:
  CCompanion() = default;
  CCompanion(const CCompanion&) = delete;
  CCompanion& operator=(const CCompanion&) = delete;

  static std::string PathFor(const std::string& databaseFile);
  // Where versions before the companion kept the FITIDs ("NAME.vlt.fitids").
  static std::string OldFitIdPathFor(const std::string& databaseFile);

  // Reads the companion of `databaseFile`, and the old FITID file when one is
  // left (it is removed by the next successful Save). A damaged file is moved
  // aside; when it cannot be moved, or the file cannot be read, Save refuses
  // so that nothing overwrites it.
  CCompanionLoad Load(const std::string& databaseFile);
  // Replaces the file with the records held. False with the reason in `error`.
  bool Save(std::string& error);

  // The transaction a FITID of an account was imported as (0 = none).
  std::uint32_t FindFitId(std::uint32_t account, const std::string& fitId) const;
  bool HasFitIdTransaction(std::uint32_t transaction) const {
    return fitTransactions_.count(transaction) != 0;
  }
  void AddFitId(std::uint32_t account, const std::string& fitId, std::uint32_t transaction);

  // Remembers an agreed check; a second one for the same account and day
  // replaces the first.
  void AddAgreed(CAgreedCheck check);
  // The agreed check of the account with the latest day before `before`
  // (the latest of all by default); none when there is none.
  std::optional<CAgreedCheck> LastAgreed(std::uint32_t account, Date before = 1e9) const;

  // The day of the last agreed check of every account that has one.
  std::map<std::uint32_t, Date> LastAgreedDays() const;

  // The categorizing rules, in their order.
  const std::vector<CImportRule>& Rules() const { return rules_; }
  std::vector<CImportRule>& Rules() { return rules_; }
  // A number for a new rule: above every rule's.
  std::uint32_t NextRuleId() const;

  const std::string& Path() const { return path_; }
  // Lines of kinds this version does not know, as read.
  const std::vector<std::string>& UnknownLines() const { return unknown_; }

 private:
  void Clear();
  bool ParseLine(const std::string& line);
  bool ReadOldFitIds(const std::string& databaseFile);

  std::string path_;          // the companion file
  std::string oldFitIdPath_;  // an old FITID file to remove after saving
  std::string blocked_;       // why Save must not write (empty: it may)
  std::map<std::pair<std::uint32_t, std::string>, std::uint32_t> fitIds_;
  std::multiset<std::uint32_t> fitTransactions_;
  std::map<std::pair<std::uint32_t, std::int64_t>, Money> agreed_;  // (account, day)
  std::vector<CImportRule> rules_;
  std::vector<std::string> unknown_;  // verbatim lines of unknown kinds
};

// Loads the companion of `databaseFile`, lets `change` edit it and saves it.
// False with the reason in `error` when the file could not be written.
// `load` (may be null) receives what loading found.
bool UpdateCompanion(const std::string& databaseFile,
                     const std::function<void(CCompanion&)>& change, std::string& error,
                     CCompanionLoad* load = nullptr);

// The English report of a load that was not fine (for the command-line tool
// and the log); empty for a fine one.
std::string CompanionLoadText(const CCompanionLoad& load);

// Carry the companion (and an old FITID file) along when a database file is
// deleted, moved or copied. A database without a companion leaves none at
// the target: a stale one there is removed. False with the reason in `error`.
bool DeleteCompanion(const std::string& databaseFile, std::string& error);
bool MoveCompanion(const std::string& fromDatabase, const std::string& toDatabase,
                   std::string& error);
bool CopyCompanion(const std::string& fromDatabase, const std::string& toDatabase,
                   std::string& error);

// Writes `bytes` to `path` atomically: PATH.tmp is written, synced and renamed
// over `path`, then the folder is synced. False with the reason in `error`
// (the temporary file is removed then).
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);
