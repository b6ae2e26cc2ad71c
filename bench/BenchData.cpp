#include "BenchData.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Adbengine.h"
#include "Platform.h"

#ifndef PARDOW_BENCH_DIR
#define PARDOW_BENCH_DIR "."
#endif

Date BenchToday() {
  return EncodeDate(2025, 1, 1);
}

void CopyDatabase(const std::string& path, const std::string& copy) {
  std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
}

int LargeDatabaseSize(int transactions) {
  const char* count = std::getenv("PARDOW_BENCH_TRANSACTIONS");
  return count == nullptr ? transactions : std::max(1, std::atoi(count));
}

std::string LargeDatabase(int transactions) {
  transactions = LargeDatabaseSize(transactions);
  const std::string path =
      std::string(PARDOW_BENCH_DIR) + "/bench-" + std::to_string(transactions) + "-v3.vlt";
  const std::string done = path + ".done";
  if (FileExists(done)) return path;
  std::fprintf(stderr, "building %s ...\n", path.c_str());
  SetClock(BenchToday());
  CADBEngine db;
  db.CreateFile(path);
  std::uint32_t accounts[4];
  for (std::uint32_t& id : accounts) {
    AccountRecord a;
    a.nameId = db.AddString("Account " + std::to_string(&id - accounts));
    a.currencyId = 101;
    id = db.AddItem(a);
  }
  std::uint32_t categories[60];
  for (std::uint32_t& id : categories) {
    SubTypeRecord s;
    s.nameId = db.AddString("Category " + std::to_string(&id - categories));
    s.parentId = (&id - categories) % 3 == 0 ? kIncomeRoot : kExpenseRoot;
    id = db.AddItem(s);
  }
  for (int i = 0; i < 100; ++i) {
    PlnTransactionRecord p = DefaultPlnTransactionRecord();
    p.schedule.kind = static_cast<std::uint8_t>(i % 5);
    p.schedule.period = static_cast<std::uint16_t>(i % 5 == 2 ? 7 : 15 + 50);
    p.schedule.weekdays[i % 7] = 1;
    p.schedule.onceDate = BenchToday() + 10;
    p.transaction.fromAccount = accounts[i % 4];
    p.transaction.amountOut = p.transaction.amountIn = 50000;
    p.transaction.descriptionId = db.AddString("Plan " + std::to_string(i));
    db.AddItem(p);
  }
  const Date first = BenchToday() - 3653;
  for (int i = 0; i < transactions; ++i) {
    TransactionRecord t;
    // Whole minutes, as the program gives a date its time of day.
    const auto minute = static_cast<std::int64_t>(i * (3653.0 * 24 * 60) / transactions);
    t.date = first + static_cast<double>(minute / (24 * 60)) +
             static_cast<double>(minute % (24 * 60)) / (24 * 60);
    t.fromAccount = accounts[i % 4];
    t.amountOut = t.amountIn = 10000 + (i * 7919) % 1000000;
    t.categoryId = categories[i % 60];
    t.descriptionId = db.AddString("Purchase number " + std::to_string(i));
    db.AddItem(t);
  }
  db.CloseFile();
  ResetClock();
  std::ofstream(done) << "ok\n";
  return path;
}

long ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}
