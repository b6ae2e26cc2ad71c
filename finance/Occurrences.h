// The days a planned transaction's schedule falls on, worked out from the
// schedule alone: no database, no clock.
#pragma once

#include <vector>

#include "Records.h"

// One occurrence: the day it falls on and the last processed date the
// schedule records once it has been executed.
struct TOccurrence {
  Date day;
  Date processed;
};

// Whether the schedule has one of the four kinds (once, every N days,
// weekly, monthly); any other value counts as not set.
inline bool HasScheduleKind(const ScheduleRecord& s) {
  return s.kind >= kScheduleOnce && s.kind <= kScheduleMonthly;
}

// The occurrences of `schedule` after its last processed day up to `end`,
// leaving out those before `from`, in order. A schedule of the once kind
// records `today` as processed; a schedule without a kind, a period of 0 or
// dates outside years 1 to 9999 (a damaged file) have none.
std::vector<TOccurrence> ScheduleOccurrences(const ScheduleRecord& schedule, Date from, Date end,
                                             Date today);

// The first occurrence not executed yet: the first after the last processed
// day, whenever it falls (it may be overdue). False when there is none: a
// schedule without a kind, a once schedule already processed, weekly
// without a chosen day, or a day of the month its months never have.
bool NextOccurrence(const ScheduleRecord& schedule, Date& day);
