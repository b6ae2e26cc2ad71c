// The large database file the benchmarks share: built through the engine once
// and reused by later runs.
#pragma once

#include <string>

#include "Dates.h"

// The day the large database's data ends; benchmarks pin the clock to it.
Date BenchToday();

// Path of a database with `transactions` transactions, each with its own
// description, spread over the ten years up to BenchToday() at whole
// minutes, plus a few accounts, 60 categories and 100 planned transactions
// processed up to BenchToday(). Built on first use. The environment
// variable PARDOW_BENCH_TRANSACTIONS (say 10000000) sets another count for
// every benchmark.
std::string LargeDatabase(int transactions);
// The number of transactions LargeDatabase(transactions) holds.
int LargeDatabaseSize(int transactions);

// A private copy of `path` at `copy`.
void CopyDatabase(const std::string& path, const std::string& copy);

// Resident memory of this process in bytes.
long ResidentBytes();
