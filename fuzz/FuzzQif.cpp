// Fuzzes the QIF reader and the summary of what a conversion would store.
#include <cstdint>
#include <string>

#include "FuzzBook.h"
#include "Qif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckForeignRead(ReadQif(std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
