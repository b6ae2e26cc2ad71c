// Fuzzes the HomeBank reader, scheduled transactions included.
#include <cstdint>
#include <string>

#include "FuzzBook.h"
#include "HomeBank.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckForeignRead(ReadHomeBank(std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
