#include "ReportsLogic.h"

#include <algorithm>
#include <cstdio>

#include "Textcodec.h"

const std::array<const char*, kReportTextCount> kReportTextDefaults = {
    "Previous month",
    "Custom interval",
    "Next month",
    "Expenses by category",
    "Incomes and expenses by month",
    "Account balances",
    "Expenses by family member",
    "Expenses by section",
    "Budgets and spending",
    "Chart",
    "Table",
    "Back",
    "Accounts",
    "Print...",
    "Save...",
    "Other",
    "No category",
    "No family member",
    "No section",
    "Incomes",
    "Expenses",
    "Net",
    "Total",
    "Forecast",
    "Budget",
    "Spent",
    "Amount",
    "Share",
    "Category",
    "Month",
    "Date",
    "Account",
    "Family member",
    "Section",
    "No figures for this period",
    "Save report",
    "PDF documents (*.pdf)",
    "PNG pictures (*.png)",
    "The report could not be saved:",
    "Budget period",
};

TInterval ReportPeriod(TReportKind kind, Date begin, Date end) {
  if (kind != kReportMonthly) return {begin, end};
  const TReportPeriod months = MonthlyReportPeriod({begin, end});
  return {months.from, months.to};
}

std::vector<TSlice> DonutSlices(const TCategoryReport& report, std::uint32_t parent,
                                std::size_t maxSlices, const TReportTexts& texts) {
  std::vector<TSlice> all;
  const TCategoryFigure* self = parent == 0 ? nullptr : FindCategory(report, parent);
  if (self != nullptr && self->own != 0)
    all.push_back({self->id, StoredToUtf8(self->name), self->own, false, false});
  for (const TCategoryFigure* f : CategoryChildren(report, parent)) {
    const bool drillable = f->id != 0 && !CategoryChildren(report, f->id).empty();
    const std::string name = f->id == 0 ? texts[kRtNoCategory] : StoredToUtf8(f->name);
    all.push_back({f->id, name, f->total, false, drillable});
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const TSlice& a, const TSlice& b) { return a.amount > b.amount; });
  if (maxSlices < 2 || all.size() <= maxSlices) return all;
  TSlice other{0, texts[kRtOther], 0, true, false};
  for (std::size_t i = maxSlices - 1; i < all.size(); ++i)
    other.amount = WrapAdd(other.amount, all[i].amount);
  all.resize(maxSlices - 1);
  all.push_back(other);
  return all;
}

std::string MonthLabel(int year, unsigned month, const std::array<std::string, 12>& monthNames,
                       bool shortName) {
  std::string name = month >= 1 && month <= 12 ? monthNames[month - 1] : std::string();
  if (shortName) {
    // The first three characters, counted in UTF-8.
    std::size_t cut = 0;
    for (int n = 0; n < 3 && cut < name.size(); ++n) {
      ++cut;
      while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) ++cut;
    }
    name.resize(cut);
  }
  return name + " " + std::to_string(year);
}

std::string ShareText(Money part, Money total, const std::string& decimalSeparator) {
  if (total == 0) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%",
                100.0 * static_cast<double>(part) / static_cast<double>(total));
  std::string shown = text;
  shown.replace(shown.find('.'), 1, decimalSeparator);
  return shown;
}

std::string SubtypeLabel(const TSubtypeFigure& figure, bool members, const TReportTexts& texts) {
  if (figure.id == 0) return texts[members ? kRtNoMember : kRtNoSection];
  return StoredToUtf8(figure.name);
}

TReportTable CategoryTable(const std::vector<TSlice>& slices, const TAmountText& amount,
                           const TReportTexts& texts, const std::string& decimalSeparator) {
  TReportTable table{{texts[kRtCategory], texts[kRtAmount], texts[kRtShare]}, {}};
  Money total = 0;
  for (const TSlice& s : slices) total = WrapAdd(total, s.amount);
  for (const TSlice& s : slices)
    table.rows.push_back({s.name, amount(s.amount), ShareText(s.amount, total, decimalSeparator)});
  table.rows.push_back({texts[kRtTotal], amount(total), ShareText(total, total, decimalSeparator)});
  return table;
}

TReportTable MonthlyTable(const TMonthlyReport& report,
                          const std::array<std::string, 12>& monthNames, const TAmountText& amount,
                          const TReportTexts& texts) {
  TReportTable table{{texts[kRtMonth], texts[kRtIncomes], texts[kRtExpenses], texts[kRtNet]}, {}};
  for (const TMonthFigure& m : report.months)
    table.rows.push_back({MonthLabel(m.year, m.month, monthNames, false), amount(m.income),
                          amount(m.expense), amount(m.net)});
  table.rows.push_back(
      {texts[kRtTotal], amount(report.income), amount(report.expense), amount(report.net)});
  return table;
}

TReportTable BalanceTable(const TBalanceReport& report, const std::vector<std::uint32_t>& shown,
                          const TAmountText& amount, const TReportTexts& texts) {
  std::vector<const TBalanceSeries*> series;
  TReportTable table{{texts[kRtDate]}, {}};
  for (const TBalanceSeries& s : report.accounts)
    if (std::find(shown.begin(), shown.end(), s.account) != shown.end()) series.push_back(&s);
  if (std::find(shown.begin(), shown.end(), 0u) != shown.end()) series.push_back(&report.total);
  for (const TBalanceSeries* s : series)
    table.headers.push_back(s->account == 0 ? texts[kRtTotal] : StoredToUtf8(s->name));
  const std::vector<TBalancePoint>& days = report.total.actual;
  auto addRows = [&](bool forecast) {
    const std::vector<TBalancePoint>& points = forecast ? report.total.forecast : days;
    // The forecast's first point stands on the actual line's last day
    // (today) unless the period lies ahead: that day is listed once.
    const bool repeated =
        forecast && !points.empty() && !days.empty() && points.front().day == days.back().day;
    for (std::size_t i = repeated ? 1 : 0; i < points.size(); ++i) {
      std::vector<std::string> row{FormatShortDate(points[i].day)};
      if (forecast) row[0] += " (" + texts[kRtForecast] + ")";
      for (const TBalanceSeries* s : series) {
        const auto& list = forecast ? s->forecast : s->actual;
        row.push_back(i < list.size() ? amount(list[i].balance) : std::string());
      }
      table.rows.push_back(std::move(row));
    }
  };
  addRows(false);
  addRows(true);
  return table;
}

TReportTable SubtypeTable(const std::vector<TSubtypeFigure>& figures, Money total, bool members,
                          const TAmountText& amount, const TReportTexts& texts,
                          const std::string& decimalSeparator) {
  TReportTable table{{texts[members ? kRtMember : kRtSection], texts[kRtAmount], texts[kRtShare]},
                     {}};
  for (const TSubtypeFigure& f : figures)
    table.rows.push_back({SubtypeLabel(f, members, texts), amount(f.total),
                          ShareText(f.total, total, decimalSeparator)});
  table.rows.push_back({texts[kRtTotal], amount(total), ShareText(total, total, decimalSeparator)});
  return table;
}

TReportTable BudgetTable(const TBudgetReport& report, const TAmountText& amount,
                         const TReportTexts& texts, const std::string& decimalSeparator) {
  TReportTable table{{texts[kRtAccount], texts[kRtBudgetRange], texts[kRtBudgetSum],
                      texts[kRtSpent], texts[kRtShare]},
                     {}};
  for (const TBudgetFigure& b : report.accounts)
    table.rows.push_back({StoredToUtf8(b.name),
                          FormatShortDate(b.from) + " - " + FormatShortDate(b.to), amount(b.budget),
                          amount(b.used), ShareText(b.used, b.budget, decimalSeparator)});
  return table;
}
