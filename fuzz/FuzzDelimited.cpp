// Fuzzes the delimited-text reader: any bytes read in any encoding give rows
// without crashing, and fields written back with QuoteField read back the
// same.
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "Delimited.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const char separators[] = {'\t', ';', ',', '|'};
  const char sep = separators[data[0] % 4];
  const ETextEncoding encoding = kAllEncodings[data[1] % std::size(kAllEncodings)];
  std::string text, error;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (!DecodeText(bytes, encoding, text, error, data[1] & 0x80)) return 0;
  DetectSeparator(text);
  DetectEncoding(bytes);
  CDelimitedReader reader(text, sep);
  CDelimitedRow row;
  while (reader.Next(row)) {
    std::string line;
    for (std::size_t i = 0; i < row.fields.size(); ++i)
      line += (i ? std::string(1, sep) : std::string()) + QuoteField(row.fields[i], sep);
    CDelimitedReader again(line, sep);
    CDelimitedRow back;
    if (!again.Next(back)) back.fields = {""};
    if (back.fields != row.fields) std::abort();
  }
  return 0;
}
