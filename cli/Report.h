// What pardow-cli prints about an open database: the full JSON dump, the
// transactions an apply added, and the readable balance table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Omrindb.h"

class CJsonWriter;

// Every figure of the database as one JSON object. Planned transactions are
// forecast for the interval, never executed.
std::string DumpJson(CDataBase& db);

// The transactions whose id is above `afterId` (those added since a moment
// when `afterId` was the largest id), in id order, as an array under `key`.
void WriteTransactionsAfter(CJsonWriter& json, const char* key, CDataBase& db,
                            std::uint32_t afterId);

// The transactions `ids`, in that order, as an array under `key`, each as
// the dump writes it.
void WriteTransactions(CJsonWriter& json, const char* key, CDataBase& db,
                       const std::vector<std::uint32_t>& ids);

// The largest transaction id stored, 0 when there is none.
std::uint32_t LastTransactionId(CDataBase& db);

// The accounts with balance, planned flows and budget use, and the total of
// all balances in the selected base currency (converted as the summary pane
// converts them, with ConvertAmount).
std::string BalanceTable(CDataBase& db);

// A money amount as plain digits with two decimals ("-1234.57"), rounded half
// away from zero; no digit groups, so the text is the same in every locale.
std::string PlainMoney(Money amount);
