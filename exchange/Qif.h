// QIF, the plain text every desktop finance program reads or writes: lists
// of accounts (!Account), categories (!Type:Cat) and the transactions of
// bank, cash, card and other asset or liability accounts (!Type:Bank, Cash,
// CCard, Oth A, Oth L), with splits (S, E, $) and transfers written as
// [Account].
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ForeignBook.h"
#include "Formats.h"

struct CQifOptions {
  // The account of transactions that follow no !Account record (a file
  // exported from one account).
  std::string accountName = "QIF account";
  // The order of day and month, for a file whose dates read both ways.
  std::optional<EDateOrder> dateOrder;
};

// Reads a whole QIF file (UTF-8, UTF-16 with its mark, or a Windows code
// page); an error names its line. The dates may read day-first and
// month-first alike: then give CQifOptions::dateOrder. A transfer that both accounts' lists hold is
// kept once; an account's "Opening Balance" entry becomes its opening balance.
CForeignRead ReadQif(std::string_view bytes, const CQifOptions& options = {});
