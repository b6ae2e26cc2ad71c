// The books of another personal-finance program, read whole before anything
// is stored: accounts, the category tree and the transactions, each
// transaction as seen from one account with one or more lines (a category
// or a transfer to another account). Converters fill it from their files;
// a new database is made from it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Dates.h"
#include "ForeignNote.h"
#include "Moneytype.h"

struct CForeignAccount {
  std::string name;         // UTF-8, unique in the book
  std::string kind;         // as the source names it: "Bank", "Cash", "CCard", "Oth A", ...
  std::string currency;     // ISO code; "" for the book's own
  std::string description;  // UTF-8
  Money opening = 0;        // the balance before the first transaction
  Date openingDate = 0;     // the day the source gives it; 0: the first transaction's
};

struct CForeignCategory {
  std::string path;  // "Parent:Child", UTF-8
  bool income = false;
};

// One part of a transaction: money to or from a category, or moved to or
// from another of the book's accounts.
struct CForeignLine {
  std::string category;         // a category path; "" for none
  std::string transferAccount;  // the other account of a transfer; "" otherwise
  Money amount = 0;             // as the transaction's account sees it: money out negative
  Money counterAmount = 0;      // a transfer's amount as the other account sees it
  std::string memo;
};

struct CForeignTransaction {
  Date date = 0;
  std::string account;  // the account it is seen from
  std::string payee, memo, number;
  std::vector<CForeignLine> lines;  // one, or the parts of a split
  std::uint32_t source = 0;         // where the source file has it (a line number)
  Money Amount() const {
    Money sum = 0;
    for (const CForeignLine& line : lines) sum += line.amount;
    return sum;
  }
};

// A transaction the source repeats on a schedule: from its next day on,
// every so many days or every so many months on that day of the month.
struct CForeignPlanned {
  CForeignTransaction transaction;  // dated its next occurrence
  int everyDays = 0;
  int everyMonths = 0;
};

// One unit of `from` is worth `rate` units of `to` (ISO codes) on `date`.
struct CForeignRate {
  std::string from, to;
  double rate = 0;
  Date date = 0;
};

struct CForeignBook {
  std::string format;  // "QIF", "GnuCash", ...
  std::vector<CForeignAccount> accounts;
  std::vector<CForeignCategory> categories;
  std::vector<CForeignTransaction> transactions;
  std::vector<CForeignPlanned> planned;
  std::vector<CForeignRate> rates;
  // What the source holds that does not come over, one note for each thing
  // or each count of things.
  std::vector<CForeignNote> notImported;

  CForeignAccount* FindAccount(const std::string& name) {
    for (CForeignAccount& account : accounts)
      if (account.name == name) return &account;
    return nullptr;
  }
};

// A book read whole from another program's file, or why not.
struct CForeignRead {
  bool ok = false;
  CForeignNote error;
  // QIF: the dates read day-first and month-first alike; read again with
  // the order given.
  bool dateOrderUndecided = false;
  CForeignBook book;

  std::string ErrorText() const { return NoteText(error); }
};

// Whether `code` is written as a currency code: three capital letters.
inline bool IsCurrencyCode(std::string_view code) {
  return code.size() == 3 &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}
