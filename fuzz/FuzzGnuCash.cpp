// Fuzzes the GnuCash book reader (XML, gzip when the input starts like it,
// SQLite when it starts like that).
#include <cstdint>
#include <string>

#include "FuzzBook.h"
#include "GnuCash.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckForeignRead(ReadGnuCash(bytes, std::size_t{16} << 20));
  return 0;
}
