// The decisions of the bank check window and of the account cards' agreed
// line: how the bank's balance is typed, and what the user is told about
// the companion file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "BankCheck.h"
#include "Companion.h"

// The text the bank balance box keeps when typing turns `before` into
// `after`, or nothing when the change is refused: a minus sign may lead (an
// overdrawn account), the rest follows the amount boxes' rule
// (AcceptedAmountText with 2 decimals).
std::optional<std::string> BankBalanceTypedText(const std::string& before,
                                                const std::string& after);
// What the bank balance box reads as, in the user's number format.
TTypedAmount ReadBankBalance(const std::string& text);

// `caption` ("Agreed with bank on %1") with the day in the short date format.
std::string AgreedCardText(const std::string& caption, Date day);

// The last agreed day of every account that has one, read from the
// companion file of `databaseFile`; `load` receives what loading found.
std::map<std::uint32_t, Date> LoadAgreedDays(const std::string& databaseFile, CCompanionLoad& load);

// What the user is told about a companion file that did not load fine
// (empty for one that did), in the user's language.
std::string CompanionProblemText(const CCompanionLoad& load);
