// Dates and amounts as bank statements write them, and finding out from a
// column of cells which way a file writes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Dates.h"
#include "Moneytype.h"

// The order of day, month and year in a date cell. Any of '.', '/', '-' and
// ' ' separates the parts; a year has four digits (or two: 70-99 -> 19xx,
// else 20xx); a time of day after the date is ignored.
enum class EDateOrder { kYmd, kDmy, kMdy };

struct CDateStyle {
  EDateOrder order = EDateOrder::kYmd;
};

// How an amount cell is written. Both a leading or trailing minus and
// parentheses mean a negative amount; blanks, currency signs and codes
// around the number are ignored.
struct CAmountStyle {
  char decimal = '.';  // '.' or ','
  char group = 0;      // ',', '.', '\'', ' ' (any blank) or 0 for none
};

// "YYYY-MM-DD", "DD.MM.YYYY", "MM/DD/YYYY" ...: the style as people read it.
std::string DateStyleText(const CDateStyle& style);
// "1,234.56", "1.234,56", "1234,56" ...: an example of the style.
std::string AmountStyleText(const CAmountStyle& style);

// The day a cell names; false for anything else (a day that does not exist
// included).
bool ParseDateCell(std::string_view cell, const CDateStyle& style, Date& out);

// The amount a cell names, exact to the ten-thousandth. False with the
// reason in `why` for an empty cell, text that is not a number in the
// style, more than four decimals, or an amount too large to store.
bool ParseAmountCell(std::string_view cell, const CAmountStyle& style, Money& out,
                     std::string& why);

// The style that reads every non-empty cell of a column; when several do,
// the one `fallback` names if it is among them, else the first of Y-M-D,
// D-M-Y, M-D-Y. `ambiguous` tells whether more than one order reads them
// all. False when no order reads every cell (the style is then the one that
// reads the most).
struct CDateDetection {
  CDateStyle style;
  bool readsAll = false;
  bool ambiguous = false;
};
CDateDetection DetectDateStyle(const std::vector<std::string_view>& cells, EDateOrder fallback);

// The style whose reading of the column is unambiguous: a comma or point
// followed by one, two or four digits at the end is the decimal mark, the
// other mark (and blanks, apostrophes) group digits. `fallbackDecimal` when
// the cells do not tell.
struct CAmountDetection {
  CAmountStyle style;
  bool readsAll = false;
};
CAmountDetection DetectAmountStyle(const std::vector<std::string_view>& cells,
                                   char fallbackDecimal);
