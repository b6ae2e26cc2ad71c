// Fuzzes the QIF reader and the summary of what a conversion would store:
// any input is read or refused with a reason, and a book that reads names
// only accounts it holds.
#include <cstdint>
#include <string>

#include "Convert.h"
#include "Qif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CQifRead read = ReadQif(text);
  if (!read.ok) {
    if (read.error.empty()) __builtin_trap();
    return 0;
  }
  CForeignBook book = read.book;
  for (const CForeignTransaction& t : book.transactions) {
    if (book.FindAccount(t.account) == nullptr || t.lines.empty()) __builtin_trap();
    for (const CForeignLine& line : t.lines)
      if (!line.transferAccount.empty() && book.FindAccount(line.transferAccount) == nullptr)
        __builtin_trap();
  }
  SummarizeBook(book, {});
  return 0;
}
