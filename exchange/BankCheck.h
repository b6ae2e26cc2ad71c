// Checking an account against the bank: the balance the books hold at the
// end of a day, set against the balance the bank states for that day. A
// check that comes out even is remembered in the companion file
// (Companion.h); the transactions since the last agreed day are where the
// cause of a difference lies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Companion.h"
#include "Numbertexts.h"
#include "Omrindb.h"

// One transaction of the account, as the check lists it.
struct CBankCheckRow {
  std::uint32_t id = 0;
  Date date = 0;
  Money amount = 0;         // for the account: money in positive, money out negative
  std::string description;  // as UTF-8
};

struct CBankCheck {
  std::uint32_t account = 0;
  Date day = 0;          // whole day
  Money bank = 0;        // the bank's balance at the end of the day
  Money books = 0;       // the books' balance at the end of the day
  Money difference = 0;  // bank - books
  // The latest agreed check of the account before `day`, if any.
  std::optional<CAgreedCheck> lastAgreed;
  // The account's transactions after the last agreed day (all of them when
  // there is none) up to `day`, by day and then id.
  std::vector<CBankCheckRow> since;
  bool Agreed() const { return difference == 0; }
};

// The balance of `account` at the end of `day` by the rule of the account
// figures (CDataBase::GetAccountItems): every transaction whose whole day is
// not after `day`, amounts in added, amounts out taken off. An account
// starts at zero; the money it started with is an income.
Money BooksBalance(CDataBase& db, std::uint32_t account, Date day);

// The check of `account` for `day` against the bank's `bank`, with the
// agreed checks of `companion`. False when the database holds no such account.
bool CheckAgainstBank(CDataBase& db, const CCompanion& companion, std::uint32_t account, Date day,
                      Money bank, CBankCheck& check);

// Sets the bank's side of `check` and the difference.
void SetBankBalance(CBankCheck& check, Money bank);

// Remembers an agreed check in the companion file of `databaseFile`. False
// with the reason in `error` when it could not be written; a check that did
// not agree is not remembered (true).
bool RememberAgreedCheck(const std::string& databaseFile, const CBankCheck& check,
                         std::string& error);

// A balance as typed: an optional minus sign (an overdrawn account) before
// an amount with two decimals read by ReadTypedAmount. A lone minus sign is
// unfinished.
TTypedAmount ReadSignedAmount(const std::string& text, const NumberFormat& format);
