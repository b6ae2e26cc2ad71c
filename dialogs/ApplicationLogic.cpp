#include "ApplicationLogic.h"

#include <algorithm>
#include <cmath>

namespace {

// 6 May 2007: the reminder starts 22 days after it.
constexpr Date kReminderEpoch = 39208;
constexpr Date kReminderDelay = 21;
constexpr Date kReminderInterval = 7;

}  // namespace

int QuickExpensesPosition(int storedCount) {
  const int position = static_cast<int>(std::floor(storedCount / double(kQuickExpensesStep)));
  return std::clamp(position, kQuickExpensesFirst, kQuickExpensesLast);
}

int QuickExpensesCount(int position) {
  return position * kQuickExpensesStep;
}

int QuickExpensesChosen(int storedCount, int position) {
  return position == QuickExpensesPosition(storedCount) ? storedCount
                                                        : QuickExpensesCount(position);
}

int SelectedLanguage(const std::vector<std::string>& entries, const std::string& localeFileName) {
  int selected = -1;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (!entries[i].empty() && localeFileName.find(entries[i]) != std::string::npos)
      selected = static_cast<int>(i);
  return selected;
}

std::string LocaleFileFor(const std::string& entry) {
  return "Lang/" + entry;
}

bool ShouldAskForUpdates(Date today, Date lastCheck) {
  const Date day = std::trunc(today);
  if (day - kReminderEpoch <= kReminderDelay) return false;
  return lastCheck == 0 || day - std::trunc(lastCheck) > kReminderInterval;
}

namespace {

struct TWebAddresses {
  std::string home = PARDOW_HOME_URL;
  std::string maker = PARDOW_MAKER_URL;
  std::string updates = PARDOW_UPDATES_URL;
};

TWebAddresses& Addresses() {
  static TWebAddresses addresses;
  return addresses;
}

}  // namespace

std::string HomePageUrl() {
  return Addresses().home;
}

std::string MakerPageUrl() {
  return Addresses().maker;
}

std::string UpdatesPageUrl(const std::string& version) {
  return Addresses().updates.empty() ? std::string() : Addresses().updates + version + ".html";
}

bool HasHomePage() {
  return !Addresses().home.empty();
}

void SetWebAddresses(const std::string& home, const std::string& maker,
                     const std::string& updates) {
  Addresses() = {home, maker, updates};
}
