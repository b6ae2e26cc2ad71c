// The decisions of the accounts window and the account editor: when an
// account can be stored, what the budget controls show and store, and what
// the user is asked before an account is deleted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "Omrindb.h"

// OK of the account editor: a name is typed and a currency chosen.
bool AccountOkEnabled(const std::string& name, bool currencyChosen);

// What the four budget controls hold: the check box, both dates and the
// text of the sum box.
struct TBudgetInput {
  bool enabled = false;
  Date from = 0.0;
  Date to = 0.0;
  std::string sum;
};

// What the budget controls show for `record`: its stored budget when it is
// enabled, else a budget over the working interval with the sum 0.
TBudgetInput BudgetInputOf(const AccountRecord& record, Date intervalBegin, Date intervalEnd);

// The text the budget sum box keeps when typing turns `before` into `after`,
// or nothing when the change is refused: an amount as the transaction
// editor's amount boxes take it (AcceptedAmountText with 2 decimals), and
// never an empty box.
std::optional<std::string> BudgetSumTypedText(const std::string& before, const std::string& after);

// A budget the user may store: off, or its last day not before its first.
bool BudgetDatesAccepted(const TBudgetInput& input);

// Puts the budget of `input` into `record`. A control that still shows what
// it was filled with (`filled`) keeps the stored value, so a time of day or a
// fourth decimal the controls cannot show survives. A budget turned off
// keeps its stored dates and sum and only loses its flag.
void StoreBudget(const TBudgetInput& filled, const TBudgetInput& input, AccountRecord& record);

// How many transactions and planned transactions name account `id` as their
// from or to account.
std::size_t CountAccountUses(CDataBase& db, std::uint32_t id);

// The question asked before account `name` is deleted: `prefix`, a blank and
// the name in double quotes with a question mark; when `uses` is not 0, a
// blank line and `usesLine` with "%1" replaced by `uses`.
std::string DeleteAccountQuestion(const std::string& prefix, const std::string& name,
                                  std::size_t uses, const std::string& usesLine);
