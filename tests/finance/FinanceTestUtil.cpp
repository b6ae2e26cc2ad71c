#include "FinanceTestUtil.h"

Date D(int y, unsigned m, unsigned d) {
  return EncodeDate(y, m, d);
}

void FinanceTest::SetUp() {
  path = dir.Path("f.vlt");
  db.Create(path);
  capture.Clear();
}

void FinanceTest::Reopen() {
  db.Close();
  ASSERT_TRUE(db.Open(path));
}

std::uint32_t FinanceTest::Currency(const std::string& symbol, const std::string& name) {
  CCurrencyItem c;
  c.name = symbol;
  c.fullName = name;
  return db.AddCurrency(c);
}

std::uint32_t FinanceTest::Account(const std::string& name, std::uint32_t currency) {
  CAccountItem a;
  a.name = name;
  a.record.currencyId = currency;
  return db.AddAccount(a);
}

std::uint32_t FinanceTest::SubType(const std::string& name, std::uint32_t parent) {
  CSubTypeItem s;
  s.name = name;
  s.record.parentId = parent;
  return db.AddSubType(s);
}

std::uint32_t FinanceTest::Move(Date date, std::uint32_t from, std::uint32_t to, double out,
                                double in, const std::string& description) {
  CTransactionItem t;
  t.record.date = date;
  t.record.fromAccount = from;
  t.record.toAccount = to;
  t.record.amountOut = M(out);
  t.record.amountIn = M(in < 0 ? out : in);
  t.description = description;
  return db.AddTransaction(t);
}

std::uint32_t FinanceTest::Plan(const ScheduleRecord& schedule, std::uint32_t from,
                                std::uint32_t to, double amount, const std::string& description) {
  CPlnTransactionItem p;
  p.record.schedule = schedule;
  p.record.transaction.fromAccount = from;
  p.record.transaction.toAccount = to;
  p.record.transaction.amountOut = p.record.transaction.amountIn = M(amount);
  p.description = description;
  return db.AddPlnTransaction(p);
}

std::vector<std::pair<Date, Money>> FinanceTest::Stored() {
  std::vector<std::pair<Date, Money>> out;
  for (auto [id, entry] : db.Transactions())
    out.emplace_back(WholeDay(entry->record.date), Money{entry->record.amountOut});
  return out;
}

CAccountItem FinanceTest::Figures(std::uint32_t account) {
  for (const CAccountItem& a : db.GetAccountItems())
    if (a.id == account) return a;
  ADD_FAILURE() << "no account " << account;
  return {};
}
