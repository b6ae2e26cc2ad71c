// Small helpers shared by the window tests.
#pragma once

#include <cmath>
#include <string>

#include "Omrindb.h"

// A money amount of a number of units.
inline Money M(double units) {
  return std::llround(units * 10000);
}

// Adds a subtype under `parent` and returns its id.
inline std::uint32_t AddSubType(CDataBase& db, const std::string& name, std::uint32_t parent,
                                bool showQuantity = false) {
  CSubTypeItem s;
  s.name = name;
  s.record.parentId = parent;
  s.record.showQuantity = showQuantity;
  return db.AddSubType(s);
}
