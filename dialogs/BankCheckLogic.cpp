#include "BankCheckLogic.h"

#include "Include.h"
#include "Settingsstorage.h"
#include "TransferLogic.h"

namespace {

std::string Replace(std::string text, const std::string& mark, const std::string& value) {
  const std::size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), value);
  return text;
}

// `text` split into its leading minus sign (with the blanks before it) and the rest.
std::pair<std::string, std::string> SplitSign(const std::string& text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos || text[start] != '-') return {"", text};
  return {text.substr(0, start + 1), text.substr(start + 1)};
}

}  // namespace

std::optional<std::string> BankBalanceTypedText(const std::string& before,
                                                const std::string& after) {
  const auto [sign, rest] = SplitSign(after);
  if (rest.find('-') != std::string::npos) return std::nullopt;
  std::optional<std::string> kept = AcceptedAmountText(SplitSign(before).second, rest, 2, false);
  if (!kept) return std::nullopt;
  return sign + *kept;
}

TTypedAmount ReadBankBalance(const std::string& text) {
  return ReadSignedAmount(text, GetSettings().GetNumberFormat());
}

std::string AgreedCardText(const std::string& caption, Date day) {
  return Replace(caption, "%1", FormatShortDate(day));
}

std::map<std::uint32_t, Date> LoadAgreedDays(const std::string& databaseFile,
                                             CCompanionLoad& load) {
  CCompanion companion;
  load = companion.Load(databaseFile);
  return companion.LastAgreedDays();
}

std::string CompanionProblemText(const CCompanionLoad& load) {
  if (load.unreadable)
    return GetLocalizedText(30501, "The file kept beside the database cannot be read:") + "\n" +
           load.reason;
  if (!load.damaged) return {};
  std::string text = Replace(
      GetLocalizedText(30502, "The file kept beside the database is damaged: %1"), "%1", load.path);
  if (!load.asidePath.empty())
    text += "\n" + Replace(GetLocalizedText(30503, "It was moved to %1 and a new one is started."),
                           "%1", load.asidePath);
  return text;
}
