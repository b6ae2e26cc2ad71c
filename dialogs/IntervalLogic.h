// An interval of whole days as the windows show it: moved by a month and
// captioned with the month's name. The main window and the export window
// step their intervals the same way.
#pragma once

#include <array>
#include <string>

#include "Dates.h"

struct TInterval {
  Date begin = 0.0;
  Date end = 0.0;
};

// True when the interval is made of whole months: it starts on a first and
// ends on a last day of a month.
bool IsWholeMonths(Date begin, Date end);

// The interval one month back (direction -1) or forward (+1). Whole months
// stay whole months (February's last day recomputed); otherwise both days are
// kept, each cut to the length of its new month.
TInterval StepMonth(Date begin, Date end, int direction);

// "September, 2006" for exactly one calendar month (with the given month
// names, January first), otherwise the two short dates joined by " - ".
std::string IntervalCaption(Date begin, Date end, const std::array<std::string, 12>& monthNames);
