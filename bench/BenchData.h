// The large database file the benchmarks share: built through the engine once
// and reused by later runs.
#pragma once

#include <string>

// Path of a database with `transactions` transactions, each with its own
// description, spread over ten years, plus a few accounts and categories.
// Built on first use.
std::string LargeDatabase(int transactions);

// Resident memory of this process in bytes.
long ResidentBytes();
