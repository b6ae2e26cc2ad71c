#include "AccountsLogic.h"

#include "Include.h"
#include "TransferLogic.h"

bool AccountOkEnabled(const std::string& name, bool currencyChosen) {
  return !name.empty() && currencyChosen;
}

TBudgetInput BudgetInputOf(const AccountRecord& record, Date intervalBegin, Date intervalEnd) {
  if (record.budgetEnabled == 0) return {false, intervalBegin, intervalEnd, MoneyToStr(0)};
  return {true, record.budgetStart, record.budgetEnd, MoneyToStr(record.budgetSum)};
}

std::optional<std::string> BudgetSumTypedText(const std::string& before, const std::string& after) {
  std::optional<std::string> kept = AcceptedAmountText(before, after, 2, false);
  if (kept && kept->empty()) return std::nullopt;
  return kept;
}

bool BudgetDatesAccepted(const TBudgetInput& input) {
  return !input.enabled || WholeDay(input.to) >= WholeDay(input.from);
}

void StoreBudget(const TBudgetInput& filled, const TBudgetInput& input, AccountRecord& record) {
  record.budgetEnabled = input.enabled ? 1 : 0;
  if (!input.enabled) return;
  // The date boxes hold whole days: a day left as it was keeps its time.
  record.budgetStart = WholeDay(input.from) == WholeDay(filled.from) ? filled.from : input.from;
  record.budgetEnd = WholeDay(input.to) == WholeDay(filled.to) ? filled.to : input.to;
  // The box shows 2 decimals: a stored sum left as it was is kept whole.
  if (input.sum != filled.sum || !filled.enabled) {
    std::uint8_t error = kMoneyTextOk;
    record.budgetSum = StrToMoney(input.sum, error, 2);
  }
}

std::size_t CountAccountUses(CDataBase& db, std::uint32_t id) {
  if (!db.IsOpened()) return 0;
  auto uses = [id](const TransactionRecord& record) {
    return record.fromAccount == id || record.toAccount == id;
  };
  std::size_t count = 0;
  for (auto [tid, entry] : db.Transactions()) count += uses(entry->record) ? 1 : 0;
  for (auto [pid, entry] : db.PlnTransactions()) count += uses(entry->record.transaction) ? 1 : 0;
  return count;
}

std::string DeleteAccountQuestion(const std::string& prefix, const std::string& name,
                                  std::size_t uses, const std::string& usesLine) {
  std::string question = prefix + " \"" + name + "\"?";
  if (uses == 0) return question;
  std::string line = usesLine;
  if (const std::size_t mark = line.find("%1"); mark != std::string::npos)
    line.replace(mark, 2, std::to_string(uses));
  return question + "\n\n" + line;
}
