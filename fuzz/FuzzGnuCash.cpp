// Fuzzes the GnuCash book reader (XML, and gzip when the input starts like
// it): any input is read or refused with a reason, and a book that reads
// names only accounts it holds and has parts that add up.
#include <cstdint>
#include <string>

#include "Convert.h"
#include "GnuCash.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CGnuCashRead read = ReadGnuCash(bytes, std::size_t{16} << 20);
  if (!read.ok) {
    if (read.error.empty()) __builtin_trap();
    return 0;
  }
  CForeignBook& book = read.book;
  for (const CForeignTransaction& t : book.transactions) {
    if (book.FindAccount(t.account) == nullptr || t.lines.empty()) __builtin_trap();
    for (const CForeignLine& line : t.lines)
      if (!line.transferAccount.empty() && book.FindAccount(line.transferAccount) == nullptr)
        __builtin_trap();
  }
  SummarizeBook(book, {});
  return 0;
}
