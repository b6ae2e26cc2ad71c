// Checking an account against the bank.
#include "BankCheck.h"

#include <algorithm>

#include "Textcodec.h"

namespace {

// What a transaction does to `account`: money in positive, out negative.
Money SignedAmount(const TransactionRecord& t, std::uint32_t account) {
  Money amount = 0;
  if (t.toAccount == account) amount = WrapAdd(amount, t.amountIn);
  if (t.fromAccount == account) amount = WrapSub(amount, t.amountOut);
  return amount;
}

bool Touches(const TransactionRecord& t, std::uint32_t account) {
  return t.fromAccount == account || t.toAccount == account;
}

}  // namespace

Money BooksBalance(CDataBase& db, std::uint32_t account, Date day) {
  const Date end = WholeDay(day);
  Money balance = 0;
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord t = entry->record;
    if (Touches(t, account) && !(WholeDay(t.date) > end))
      balance = WrapAdd(balance, SignedAmount(t, account));
  }
  return balance;
}

bool CheckAgainstBank(CDataBase& db, const CCompanion& companion, std::uint32_t account, Date day,
                      Money bank, CBankCheck& check) {
  if (db.Accounts().Find(account) == nullptr) return false;
  check = CBankCheck();
  check.account = account;
  check.day = WholeDay(day);
  check.books = BooksBalance(db, account, check.day);
  SetBankBalance(check, bank);
  check.lastAgreed = companion.LastAgreed(account, check.day);
  const Date after = check.lastAgreed ? check.lastAgreed->day : -1e9;
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord t = entry->record;
    const Date whole = WholeDay(t.date);
    if (!Touches(t, account) || !(whole > after) || whole > check.day) continue;
    check.since.push_back(
        {id, t.date, SignedAmount(t, account), StoredToUtf8(db.GetString(t.descriptionId))});
  }
  std::sort(check.since.begin(), check.since.end(),
            [](const CBankCheckRow& a, const CBankCheckRow& b) {
              const Date dayA = WholeDay(a.date), dayB = WholeDay(b.date);
              return dayA != dayB ? dayA < dayB : a.id < b.id;
            });
  return true;
}

void SetBankBalance(CBankCheck& check, Money bank) {
  check.bank = bank;
  check.difference = WrapSub(bank, check.books);
}

bool RememberAgreedCheck(const std::string& databaseFile, const CBankCheck& check,
                         std::string& error) {
  if (!check.Agreed()) return true;
  return UpdateCompanion(
      databaseFile,
      [&check](CCompanion& companion) {
        companion.AddAgreed({check.account, check.day, check.books});
      },
      error);
}

TTypedAmount ReadSignedAmount(const std::string& text, const NumberFormat& format) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos || text[start] != '-') return ReadTypedAmount(text, 2, format);
  const std::string rest = text.substr(start + 1);
  TTypedAmount amount = ReadTypedAmount(rest, 2, format);
  if (amount.state == TTypedAmountState::kEmpty) amount.state = TTypedAmountState::kUnfinished;
  amount.value = -amount.value;
  return amount;
}
