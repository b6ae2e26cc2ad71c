// Fuzzes the date and amount readers and the detection of a column's style:
// the input is a column of cells, one per line.
#include <cstdint>
#include <string>
#include <vector>

#include "Formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> cells;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    cells.push_back(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  const auto dates = DetectDateStyle(cells, EDateOrder::kDmy);
  const auto amounts = DetectAmountStyle(cells, ',');
  for (std::string_view cell : cells) {
    Date d;
    Money m;
    std::string why;
    ParseDateCell(cell, dates.style, d);
    if (!ParseAmountCell(cell, amounts.style, m, why) && why.empty()) __builtin_trap();
  }
  return 0;
}
