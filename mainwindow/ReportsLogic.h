// Decisions of the reports window kept out of widget code: which reports
// there are, the period each is computed over, the donut's slices with the
// small ones grouped as "Other", and the rows of each report's table.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Mainlogic.h"
#include "Reports.h"

// The reports, in the order of the window's list.
enum TReportKind {
  kReportCategories,
  kReportMonthly,
  kReportBalance,
  kReportMembers,
  kReportSections,
  kReportBudget,
  kReportCount
};

// The window's own texts, by role. Ids 21002 on, in this order.
enum TReportText {
  kRtHintPrev,
  kRtHintCalendar,
  kRtHintNext,
  kRtCategories,  // the report titles, in TReportKind order
  kRtMonthly,
  kRtBalance,
  kRtMembers,
  kRtSections,
  kRtBudget,
  kRtChart,
  kRtTable,
  kRtBack,
  kRtAccounts,
  kRtPrint,
  kRtSave,
  kRtOther,
  kRtNoCategory,
  kRtNoMember,
  kRtNoSection,
  kRtIncomes,
  kRtExpenses,
  kRtNet,
  kRtTotal,
  kRtForecast,
  kRtBudgetSum,
  kRtSpent,
  kRtAmount,
  kRtShare,
  kRtCategory,
  kRtMonth,
  kRtDate,
  kRtAccount,
  kRtMember,
  kRtSection,
  kRtNoData,
  kRtSaveCaption,
  kRtPdfFiles,
  kRtPngFiles,
  kRtNotSaved,
  kRtBudgetRange,
  kReportTextCount
};
constexpr std::uint32_t kReportTextBase = 21002;
using TReportTexts = std::array<std::string, kReportTextCount>;
// The English texts, the defaults of the language-file lookups.
extern const std::array<const char*, kReportTextCount> kReportTextDefaults;

// The period a report is computed over for the window's period: the monthly
// report shows the twelve months that end with the window's month when the
// window's period lies in one month; every other report the period itself.
TInterval ReportPeriod(TReportKind kind, Date begin, Date end);

// One slice of the expenses donut.
struct TSlice {
  std::uint32_t id = 0;  // the category (0: no category, or the grouped rest)
  std::string name;      // UTF-8
  Money amount = 0;
  bool other = false;      // the grouped small categories
  bool drillable = false;  // has subcategories to open
};

// The slices of the categories under `parent` (0: the top level): the
// largest `maxSlices` - 1 by themselves and the rest as one "Other" slice
// when there are more than `maxSlices`. Below the top level the expenses
// booked on `parent` itself make a slice named after it.
std::vector<TSlice> DonutSlices(const TCategoryReport& report, std::uint32_t parent,
                                std::size_t maxSlices, const TReportTexts& texts);

// A report as rows of texts, the same figures the chart shows.
struct TReportTable {
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> rows;
};

// `amount` as a money text with the currency's short name.
using TAmountText = std::function<std::string(Money amount)>;

// The shares are written with `decimalSeparator` (see ShareText).
TReportTable CategoryTable(const std::vector<TSlice>& slices, const TAmountText& amount,
                           const TReportTexts& texts, const std::string& decimalSeparator);
TReportTable MonthlyTable(const TMonthlyReport& report,
                          const std::array<std::string, 12>& monthNames, const TAmountText& amount,
                          const TReportTexts& texts);
// The chosen series only (`shown` holds account ids; 0 is the total).
TReportTable BalanceTable(const TBalanceReport& report, const std::vector<std::uint32_t>& shown,
                          const TAmountText& amount, const TReportTexts& texts);
TReportTable SubtypeTable(const std::vector<TSubtypeFigure>& figures, Money total, bool members,
                          const TAmountText& amount, const TReportTexts& texts,
                          const std::string& decimalSeparator);
TReportTable BudgetTable(const TBudgetReport& report, const TAmountText& amount,
                         const TReportTexts& texts, const std::string& decimalSeparator);

// "March 2026" style label of a month ("Mar 2026" when `shortName`).
std::string MonthLabel(int year, unsigned month, const std::array<std::string, 12>& monthNames,
                       bool shortName);

// A share of a total as "12.3 %" with the user's decimal separator in place
// of the point ("12,3 %"), "" when the total is 0.
std::string ShareText(Money part, Money total, const std::string& decimalSeparator);

// The name a subtype figure is shown with: its own, or the text for none.
std::string SubtypeLabel(const TSubtypeFigure& figure, bool members, const TReportTexts& texts);
