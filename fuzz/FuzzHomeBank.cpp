// Fuzzes the HomeBank reader: any input is read or refused with a reason,
// and a book that reads names only accounts it holds, in its transactions
// and its planned ones.
#include <cstdint>
#include <string>

#include "Convert.h"
#include "HomeBank.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CHomeBankRead read = ReadHomeBank(bytes);
  if (!read.ok) {
    if (read.error.empty()) __builtin_trap();
    return 0;
  }
  CForeignBook& book = read.book;
  const auto check = [&](const CForeignTransaction& t) {
    if (book.FindAccount(t.account) == nullptr || t.lines.empty()) __builtin_trap();
    for (const CForeignLine& line : t.lines)
      if (!line.transferAccount.empty() && book.FindAccount(line.transferAccount) == nullptr)
        __builtin_trap();
  };
  for (const CForeignTransaction& t : book.transactions) check(t);
  for (const CForeignPlanned& p : book.planned) check(p.transaction);
  SummarizeBook(book, {});
  return 0;
}
