// What the categories window tells before a subtype is deleted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Omrindb.h"

// How many transactions and planned transactions name subtype `id` or one
// of the subtypes below it as their category, family member or section.
std::size_t CountSubTypeUses(CDataBase& db, std::uint32_t id);
