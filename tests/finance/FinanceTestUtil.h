// A database in a scratch folder with the clock and messages captured, plus
// short ways to add the items the finance tests need.
#pragma once

#include <gtest/gtest.h>

#include "EngineTestUtil.h"
#include "Money.h"
#include "Omrindb.h"

class FinanceTest : public testing::Test {
 protected:
  void SetUp() override;
  void Reopen();
  void SetToday(int y, unsigned m, unsigned d) { SetClock(EncodeDate(y, m, d) + 0.4); }

  std::uint32_t Currency(const std::string& symbol, const std::string& name);
  std::uint32_t Account(const std::string& name, std::uint32_t currency = 101);
  std::uint32_t SubType(const std::string& name, std::uint32_t parent);
  // A transaction between two accounts (0 for none) with equal amounts
  // unless `in` is given.
  std::uint32_t Move(Date date, std::uint32_t from, std::uint32_t to, double out, double in = -1,
                     const std::string& description = "");
  // A planned expense of `amount` from `from` with the given schedule.
  std::uint32_t Plan(const ScheduleRecord& schedule, std::uint32_t from, std::uint32_t to,
                     double amount, const std::string& description = "");
  // The transactions in id order as (whole day, amount out).
  std::vector<std::pair<Date, Money>> Stored();
  CAccountItem Figures(std::uint32_t account);

  CCapture capture;
  CScratch dir;
  std::string path;
  CDataBase db;
};

Date D(int y, unsigned m, unsigned d);
