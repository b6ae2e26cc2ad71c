#include "ReportCmd.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "Access.h"
#include "Textcodec.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Utf8(const std::string& stored) {
  return StoredToUtf8(stored);
}

Json Currency(CDataBase& db, std::uint32_t id) {
  CCurrencyItem item;
  db.GetCurrency(id, item);
  return {{"id", id}, {"name", Utf8(item.name)}, {"fullName", Utf8(item.fullName)}};
}

Json Points(const std::vector<TBalancePoint>& points) {
  Json out = Json::array();
  for (const TBalancePoint& p : points)
    out.push_back({{"day", FormatIsoDate(p.day)}, {"balance", p.balance}});
  return out;
}

Json Series(const TBalanceSeries& s) {
  return {{"id", s.account},
          {"name", Utf8(s.name)},
          {"actual", Points(s.actual)},
          {"forecast", Points(s.forecast)}};
}

Json Subtypes(const std::vector<TSubtypeFigure>& figures) {
  Json out = Json::array();
  for (const TSubtypeFigure& f : figures)
    out.push_back({{"id", f.id}, {"name", Utf8(f.name)}, {"total", f.total}});
  return out;
}

Json Figures(CDataBase& db, const std::string& name, TReportPeriod period) {
  Json out;
  if (name == "categories") {
    const TCategoryReport r = ExpensesByCategory(db, period);
    out["currency"] = Currency(db, r.currency);
    out["total"] = r.total;
    out["categories"] = Json::array();
    for (const TCategoryFigure& f : r.categories)
      out["categories"].push_back({{"id", f.id},
                                   {"parent", f.parent},
                                   {"name", Utf8(f.name)},
                                   {"own", f.own},
                                   {"total", f.total}});
  } else if (name == "monthly") {
    const TMonthlyReport r = IncomesAndExpensesByMonth(db, period);
    out["currency"] = Currency(db, r.currency);
    out["months"] = Json::array();
    for (const TMonthFigure& m : r.months) {
      char month[16];
      std::snprintf(month, sizeof month, "%04d-%02u", m.year, m.month);
      out["months"].push_back(
          {{"month", month}, {"income", m.income}, {"expense", m.expense}, {"net", m.net}});
    }
    out["income"] = r.income;
    out["expense"] = r.expense;
    out["net"] = r.net;
  } else if (name == "balance") {
    const TBalanceReport r = BalanceOverTime(db, period);
    out["currency"] = Currency(db, r.currency);
    out["accounts"] = Json::array();
    for (const TBalanceSeries& s : r.accounts) out["accounts"].push_back(Series(s));
    out["total"] = Series(r.total);
  } else if (name == "members") {
    const TMembersReport r = ExpensesByMemberAndSection(db, period);
    out["currency"] = Currency(db, r.currency);
    out["total"] = r.total;
    out["members"] = Subtypes(r.members);
    out["sections"] = Subtypes(r.sections);
  } else if (name == "budget") {
    const TBudgetReport r = BudgetAgainstSpending(db);
    out["currency"] = Currency(db, r.currency);
    out["accounts"] = Json::array();
    for (const TBudgetFigure& b : r.accounts)
      out["accounts"].push_back({{"id", b.account},
                                 {"name", Utf8(b.name)},
                                 {"from", FormatIsoDate(b.from)},
                                 {"to", FormatIsoDate(b.to)},
                                 {"budget", b.budget},
                                 {"used", b.used}});
  } else {
    return nullptr;
  }
  return out;
}

int Refuse(const std::string& why) {
  std::cerr << "pardow-cli: " << why << "\n" << PARDOW_REPORT_USAGE;
  return 2;
}

}  // namespace

std::string ReportJson(CDataBase& db, const std::string& name, TReportPeriod period) {
  Json figures = Figures(db, name, period);
  if (figures.is_null()) return {};
  Json out = {{"report", name}};
  // A budget has its own range; the other reports cover the period.
  if (name != "budget") {
    out["from"] = FormatIsoDate(period.from);
    out["to"] = FormatIsoDate(period.to);
  }
  out.update(figures);
  return out.dump(2);
}

int RunReportCommand(const std::vector<std::string>& args) {
  if (args.size() < 2) return Refuse("report wants NAME and FILE");
  const std::string& name = args[0];
  const std::string& file = args[1];
  Date from = 0, to = 0;
  bool hasFrom = false, hasTo = false;
  for (std::size_t i = 2; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return Refuse(args[i] + " wants a date");
    Date* target = args[i] == "--from" ? &from : args[i] == "--to" ? &to : nullptr;
    if (target == nullptr) return Refuse("unknown report option " + args[i]);
    if (!ParseIsoDate(args[i + 1], *target)) return Refuse(args[i] + " wants YYYY-MM-DD");
    (target == &from ? hasFrom : hasTo) = true;
  }
  CDataBase db;
  if (int rc = OpenForCommand(db, file)) return rc;
  TReportPeriod period{hasFrom ? from : db.GetIntervalBegin(), hasTo ? to : db.GetIntervalEnd()};
  // Without dates the monthly report covers what the reports window shows
  // for the working interval.
  if (!hasFrom && !hasTo && name == "monthly") period = MonthlyReportPeriod(period);
  if (period.from > period.to) return Refuse("the period ends before it begins");
  const std::string text = ReportJson(db, name, period);
  if (text.empty()) return Refuse("unknown report " + name);
  std::cout << text << "\n";
  return 0;
}
