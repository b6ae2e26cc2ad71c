#include "Demo.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <vector>

#include "Companion.h"
#include "Omrindb.h"
#include "Report.h"

std::uint64_t CSplitMix64::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

namespace {

constexpr int kDays = 731;  // today and the 730 days before it
constexpr Money kCent = 100;

Money Amount(std::int64_t cents) {
  return cents * kCent;
}

// ---- The subtype trees ----

// Negative parents are the root codes; any other parent names an earlier row.
struct CTypeRow {
  const char* name;
  const char* parent;  // nullptr: hangs from `root`
  std::uint32_t root;
  bool showQuantity;
};

const CTypeRow kTypes[] = {
    // Income categories
    {"Salary", nullptr, kIncomeRoot, false},
    {"Main job", "Salary", 0, false},
    {"Base pay", "Main job", 0, false},
    {"Bonus", "Main job", 0, false},
    {"Side work", "Salary", 0, false},
    {"Freelance", "Side work", 0, false},
    {"Investments", nullptr, kIncomeRoot, false},
    {"Bank deposits", "Investments", 0, false},
    {"Interest", "Bank deposits", 0, false},
    {"Gifts received", nullptr, kIncomeRoot, false},
    {"From family", "Gifts received", 0, false},
    {"Birthday", "From family", 0, false},
    // Expense categories
    {"Food", nullptr, kExpenseRoot, false},
    {"Groceries", "Food", 0, false},
    {"Bakery", "Groceries", 0, false},
    {"Dairy", "Groceries", 0, true},
    {"Fruit and vegetables", "Groceries", 0, true},
    {"Meat and fish", "Groceries", 0, true},
    {"Eating out", "Food", 0, false},
    {"Lunch", "Eating out", 0, false},
    {"Caf\xC3\xA9", "Eating out", 0, false},
    {"Restaurant", "Eating out", 0, false},
    {"Transport", nullptr, kExpenseRoot, false},
    {"Car", "Transport", 0, false},
    {"Fuel", "Car", 0, true},
    {"Parking", "Car", 0, false},
    {"Service", "Car", 0, false},
    {"Insurance", "Car", 0, false},
    {"Public transport", "Transport", 0, false},
    {"Bus", "Public transport", 0, true},
    {"Train", "Public transport", 0, false},
    {"Home", nullptr, kExpenseRoot, false},
    {"Rent and bills", "Home", 0, false},
    {"Rent", "Rent and bills", 0, false},
    {"Electricity", "Rent and bills", 0, true},
    {"Water", "Rent and bills", 0, true},
    {"Internet", "Rent and bills", 0, false},
    {"Household", "Home", 0, false},
    {"Cleaning", "Household", 0, false},
    {"Repairs", "Household", 0, false},
    {"Health", nullptr, kExpenseRoot, false},
    {"Pharmacy", "Health", 0, false},
    {"Medicine", "Pharmacy", 0, false},
    {"Doctors", "Health", 0, false},
    {"Dentist", "Doctors", 0, false},
    {"Leisure", nullptr, kExpenseRoot, false},
    {"Entertainment", "Leisure", 0, false},
    {"Cinema", "Entertainment", 0, false},
    {"Books", "Entertainment", 0, false},
    {"Sport", "Leisure", 0, false},
    {"Gym", "Sport", 0, false},
    {"Family", nullptr, kExpenseRoot, false},
    {"Children", "Family", 0, false},
    {"Pocket money", "Children", 0, false},
    {"Toys", "Children", 0, false},
    {"Presents", "Family", 0, false},
    // Transfer categories
    {"Own accounts", nullptr, kTransferRoot, false},
    {"To savings", "Own accounts", 0, false},
    {"Cash withdrawal", "Own accounts", 0, false},
    {"Card repayment", "Own accounts", 0, false},
    {"Currency exchange", nullptr, kTransferRoot, false},
    {"Travel money", "Currency exchange", 0, false},
    // Sections
    {"Everyday", nullptr, kSectionRoot, false},
    {"Car costs", nullptr, kSectionRoot, false},
    {"Household costs", nullptr, kSectionRoot, false},
    {"Holidays", nullptr, kSectionRoot, false},
    {"Summer trip", "Holidays", 0, false},
    {"Work", nullptr, kSectionRoot, false},
    // Family members
    {"Me", nullptr, kMemberRoot, false},
    {"Partner", nullptr, kMemberRoot, false},
    {"Kids", nullptr, kMemberRoot, false},
    {"Emma", "Kids", 0, false},
    {"Leo", "Kids", 0, false},
};

// ---- Everyday purchases ----

enum class Pay { kSmall, kCard, kBank };

struct CPurchase {
  const char* description;
  const char* category;
  Money price;          // per unit, at the start of the two years
  std::int32_t qtyMin;  // quantity in thousandths
  std::int32_t qtyMax;
  bool wholeUnits;  // pieces rather than kilograms or litres
  unsigned weight;  // how often it is bought, relative to the others
  Pay pay;
  const char* section;  // nullptr: sometimes "Everyday"
  bool travel;          // also bought abroad, on the travel card
};

const CPurchase kPurchases[] = {
    {"Bread", "Bakery", 24000, 1000, 2000, true, 100, Pay::kSmall, nullptr, false},
    {"Baguette", "Bakery", 19000, 1000, 1000, true, 50, Pay::kSmall, nullptr, false},
    {"Croissants", "Bakery", 9500, 2000, 6000, true, 30, Pay::kSmall, nullptr, true},
    {"Milk", "Dairy", 10500, 1000, 3000, true, 100, Pay::kSmall, nullptr, false},
    {"Yogurt", "Dairy", 6500, 2000, 6000, true, 50, Pay::kSmall, nullptr, false},
    {"Cheese", "Dairy", 129000, 200, 600, false, 40, Pay::kSmall, nullptr, false},
    {"Butter", "Dairy", 23000, 1000, 1000, true, 30, Pay::kSmall, nullptr, false},
    {"Apples", "Fruit and vegetables", 24900, 800, 2000, false, 60, Pay::kSmall, nullptr, false},
    {"Bananas", "Fruit and vegetables", 16900, 600, 1500, false, 50, Pay::kSmall, nullptr, false},
    {"Tomatoes", "Fruit and vegetables", 32000, 400, 1200, false, 40, Pay::kSmall, nullptr, false},
    {"Potatoes", "Fruit and vegetables", 11000, 1500, 3000, false, 30, Pay::kSmall, nullptr, false},
    {"Chicken breast", "Meat and fish", 98000, 400, 1200, false, 40, Pay::kCard, nullptr, false},
    {"Minced beef", "Meat and fish", 85000, 500, 1000, false, 30, Pay::kCard, nullptr, false},
    {"Salmon", "Meat and fish", 210000, 300, 600, false, 20, Pay::kCard, nullptr, false},
    {"Business lunch", "Lunch", 115000, 1000, 1000, true, 60, Pay::kCard, "Work", true},
    {"Sandwich", "Lunch", 48000, 1000, 2000, true, 40, Pay::kSmall, "Work", true},
    {"Coffee", "Caf\xC3\xA9", 32000, 1000, 2000, true, 80, Pay::kSmall, nullptr, true},
    {"Cappuccino", "Caf\xC3\xA9", 36000, 1000, 2000, true, 50, Pay::kSmall, nullptr, true},
    {"Dinner out", "Restaurant", 640000, 1000, 1000, true, 20, Pay::kCard, nullptr, true},
    {"Petrol", "Fuel", 16590, 25000, 45000, false, 30, Pay::kCard, "Car costs", false},
    {"Parking", "Parking", 25000, 1000, 4000, true, 30, Pay::kSmall, "Car costs", false},
    {"Car wash", "Service", 120000, 1000, 1000, true, 8, Pay::kCard, "Car costs", false},
    {"Oil change", "Service", 850000, 1000, 1000, true, 2, Pay::kCard, "Car costs", false},
    {"Bus ticket", "Bus", 21000, 1000, 2000, true, 50, Pay::kSmall, nullptr, true},
    {"Train ticket", "Train", 146000, 1000, 2000, true, 10, Pay::kCard, nullptr, true},
    {"Detergent", "Cleaning", 79900, 1000, 2000, true, 10, Pay::kCard, "Household costs", false},
    {"Dish soap", "Cleaning", 24900, 1000, 3000, true, 10, Pay::kSmall, "Household costs", false},
    {"Light bulbs", "Repairs", 35000, 1000, 4000, true, 5, Pay::kSmall, "Household costs", false},
    {"Paint", "Repairs", 249000, 1000, 3000, true, 2, Pay::kCard, "Household costs", false},
    {"Vitamins", "Medicine", 89000, 1000, 1000, true, 8, Pay::kCard, nullptr, false},
    {"Painkillers", "Medicine", 42000, 1000, 1000, true, 6, Pay::kSmall, nullptr, false},
    {"Dentist visit", "Dentist", 950000, 1000, 1000, true, 1, Pay::kBank, nullptr, false},
    {"Cinema tickets", "Cinema", 110000, 1000, 4000, true, 8, Pay::kCard, nullptr, false},
    {"Book", "Books", 169000, 1000, 1000, true, 6, Pay::kCard, nullptr, false},
    {"Gym day pass", "Gym", 90000, 1000, 1000, true, 6, Pay::kCard, nullptr, false},
    {"Toy car", "Toys", 129900, 1000, 1000, true, 3, Pay::kCard, nullptr, false},
    {"Colouring book", "Toys", 49900, 1000, 2000, true, 3, Pay::kSmall, nullptr, false},
};

const char* const kComments[] = {
    "paid with the discount card", "special offer",         "for the weekend",
    "shared with friends",         "receipt in the folder", "bought on the way home",
};

// ---- Building ----

class CDemoBuilder {
 public:
  CDemoBuilder(CDataBase& db, const CDemoOptions& options)
      : db_(db), rng_(options.seed), wanted_(options.transactions) {}

  void Build();

 private:
  std::uint32_t Type(const char* name) const { return types_.at(name); }
  void AddCurrenciesAndAccounts();
  void AddTypes();
  // The calendar events of one day (salaries, rent, bills, transfers), as
  // a list of their kinds; executed by DoFixed in the same order.
  std::vector<int> FixedEventsOf(Date day) const;
  void DoFixed(int event, Date day);
  void AddRandomPurchase(Date day);
  void AddPlanned();

  std::uint32_t Add(Date date, std::uint32_t from, std::uint32_t to, Money out, Money in,
                    float quantity, std::uint32_t member, std::uint32_t category,
                    std::uint32_t section, const std::string& description,
                    const std::string& comment = "");
  std::uint32_t AddExpense(Date date, std::uint32_t from, Money amount, std::uint32_t category,
                           const std::string& description, std::uint32_t section = 0,
                           float quantity = 1.0f, std::uint32_t member = 0) {
    return Add(date, from, 0, amount, amount, quantity, member, category, section, description);
  }
  std::uint32_t AddIncome(Date date, std::uint32_t to, Money amount, std::uint32_t category,
                          const std::string& description, std::uint32_t member = 0) {
    return Add(date, 0, to, amount, amount, 1.0f, member, category, 0, description);
  }
  // A transfer; amount in follows from amount out and the rate between the
  // two accounts' currencies.
  std::uint32_t AddTransfer(Date date, std::uint32_t from, std::uint32_t to, Money out,
                            std::uint32_t category, const std::string& description);
  Money InCurrencyOf(std::uint32_t fromAccount, std::uint32_t toAccount, Money out) const;

  CDataBase& db_;
  CSplitMix64 rng_;
  std::uint64_t wanted_;
  Date today_ = 0;
  Date start_ = 0;
  std::uint32_t dollar_ = 0, euro_ = 0, pound_ = 0;
  std::uint32_t cash_ = 0, bank_ = 0, card_ = 0, savings_ = 0, travel_ = 0;
  std::map<std::string, std::uint32_t> types_;
  std::map<std::uint32_t, std::uint32_t> currencyOf_;  // account -> currency
  std::map<std::uint32_t, Money> balance_;             // running, per account
  std::vector<std::uint32_t> purchaseWeights_;         // cumulative
};

enum FixedEvent {
  kSalaryMe,
  kSalaryPartner,
  kBonus,
  kRent,
  kElectricity,
  kWater,
  kInternet,
  kCardRepayment,
  kCashWithdrawal,
  kSavings,
  kTravelMoney,
  kInterest,
  kBirthdayGift,
};

std::uint32_t CDemoBuilder::Add(Date date, std::uint32_t from, std::uint32_t to, Money out,
                                Money in, float quantity, std::uint32_t member,
                                std::uint32_t category, std::uint32_t section,
                                const std::string& description, const std::string& comment) {
  CTransactionItem item;
  item.record.date = date;
  item.record.fromAccount = from;
  item.record.toAccount = to;
  item.record.amountOut = out;
  item.record.amountIn = in;
  item.record.quantity = quantity;
  item.record.memberId = member;
  item.record.categoryId = category;
  item.record.sectionId = section;
  item.description = description;
  item.comment = comment;
  if (from != 0) balance_[from] -= out;
  if (to != 0) balance_[to] += in;
  return db_.AddTransaction(item);
}

Money CDemoBuilder::InCurrencyOf(std::uint32_t fromAccount, std::uint32_t toAccount,
                                 Money out) const {
  const double rate = db_.GetExchangeRate(currencyOf_.at(fromAccount), currencyOf_.at(toAccount));
  return ConvertAmount(out, rate);
}

std::uint32_t CDemoBuilder::AddTransfer(Date date, std::uint32_t from, std::uint32_t to, Money out,
                                        std::uint32_t category, const std::string& description) {
  return Add(date, from, to, out, InCurrencyOf(from, to, out), 1.0f, 0, category, 0, description);
}

void CDemoBuilder::AddCurrenciesAndAccounts() {
  // A new file holds the dollar, the euro and the account "Cash".
  for (const CCurrencyItem& c : db_.GetCurrencyItems()) {
    if (c.fullName == "Dollar") dollar_ = c.id;
    if (c.fullName == "Euro") euro_ = c.id;
  }
  CCurrencyItem pound;
  pound.name = "\xC2\xA3";
  pound.fullName = "Pound sterling";
  pound_ = db_.AddCurrency(pound);
  db_.SetExchangeRate(dollar_, euro_, 0.92);
  db_.SetExchangeRate(pound_, dollar_, 1.27);
  db_.SetExchangeRate(pound_, euro_, 1.17);

  CAccountItem cash = db_.GetAccountItems().at(0);
  cash.comment = "Wallet and the jar in the kitchen";
  db_.EditAccount(cash);
  cash_ = cash.id;

  auto account = [&](const char* name, std::uint32_t currency, const char* comment) {
    CAccountItem a;
    a.name = name;
    a.comment = comment;
    a.record.currencyId = currency;
    return db_.AddAccount(a);
  };
  bank_ = account("Bank account", dollar_, "Salaries come in here; rent and bills go out");
  savings_ = account("Savings", euro_, "Rainy-day fund, 3% a year");
  travel_ = account("Travel card", pound_, "Prepaid card for trips to Britain");
  CAccountItem card;
  card.name = "Credit card";
  card.comment = "Everyday shopping; repaid on the 27th";
  card.record.currencyId = dollar_;
  card.record.budgetEnabled = 1;
  card.record.budgetStart = FirstDayOfMonth(today_);
  card.record.budgetEnd = LastDayOfMonth(today_);
  card.record.budgetSum = Amount(150000);
  card_ = db_.AddAccount(card);
  currencyOf_ = {
      {cash_, dollar_}, {bank_, dollar_}, {card_, dollar_}, {savings_, euro_}, {travel_, pound_}};
}

void CDemoBuilder::AddTypes() {
  for (const CTypeRow& row : kTypes) {
    CSubTypeItem item;
    item.name = row.name;
    item.record.parentId = row.parent ? Type(row.parent) : row.root;
    item.record.showQuantity = row.showQuantity ? 1 : 0;
    types_[row.name] = db_.AddSubType(item);
  }
}

std::vector<int> CDemoBuilder::FixedEventsOf(Date day) const {
  const CivilDate c = DecodeDate(day);
  std::vector<int> events;
  if (c.day == 1) events.push_back(kRent);
  if (c.day == 3 && c.month % 4 == 2) events.push_back(kTravelMoney);
  if (c.day == 5) events.push_back(kElectricity);
  if (c.day == 10) events.push_back(kSalaryPartner);
  if (c.day == 14 && c.month == 3) events.push_back(kBirthdayGift);
  if (c.day == 15) events.push_back(kInternet);
  if (c.day == 20 && c.month % 3 == 1) events.push_back(kWater);
  if (c.day == 20 && c.month % 3 == 0) events.push_back(kBonus);
  if (c.day == 25) events.push_back(kSalaryMe);
  if (c.day == 27) events.push_back(kCardRepayment);
  if (c.day == 28) events.push_back(kSavings);
  if (c.day == DaysInMonth(c.year, c.month)) events.push_back(kInterest);
  if (DayOfWeek(day) == 6) events.push_back(kCashWithdrawal);
  return events;
}

void CDemoBuilder::DoFixed(int event, Date day) {
  const std::uint32_t me = Type("Me"), partner = Type("Partner");
  switch (event) {
    case kSalaryMe:
      Add(day, 0, bank_, Amount(265000), Amount(265000), 1.0f, me, Type("Base pay"), Type("Work"),
          "Salary");
      break;
    case kSalaryPartner:
      Add(day, 0, bank_, Amount(140000), Amount(140000), 1.0f, partner, Type("Freelance"),
          Type("Work"), "Design work", "invoice paid");
      break;
    case kBonus:
      AddIncome(day, bank_, Amount(80000), Type("Bonus"), "Quarterly bonus", me);
      break;
    case kBirthdayGift:
      AddIncome(day, cash_, Amount(10000), Type("Birthday"), "Birthday gift", me);
      break;
    case kInterest: {
      const Money interest = balance_[savings_] / 400 / kCent * kCent;  // 3% a year, whole cents
      if (interest > 0)
        AddIncome(day, savings_, interest, Type("Interest"), "Interest");
      else
        AddIncome(day, savings_, Amount(1), Type("Interest"), "Interest");
      break;
    }
    case kRent:
      AddExpense(day, bank_, Amount(145000), Type("Rent"), "Rent", Type("Household costs"));
      break;
    case kElectricity: {
      const std::int64_t kwh = rng_.Between(180, 320);
      AddExpense(day, bank_, Amount(kwh * 28), Type("Electricity"), "Electricity bill",
                 Type("Household costs"), static_cast<float>(kwh));
      break;
    }
    case kWater: {
      const std::int64_t cubicMetres = rng_.Between(12, 20);
      AddExpense(day, bank_, Amount(cubicMetres * 320), Type("Water"), "Water bill",
                 Type("Household costs"), static_cast<float>(cubicMetres));
      break;
    }
    case kInternet:
      AddExpense(day, card_, Amount(3999), Type("Internet"), "Internet", Type("Household costs"));
      break;
    case kCardRepayment: {
      const Money owed = -balance_[card_];
      AddTransfer(day, bank_, card_, owed > 0 ? owed : Amount(1000), Type("Card repayment"),
                  "Credit card repayment");
      break;
    }
    case kCashWithdrawal:
      AddTransfer(day, bank_, cash_, Amount(6000), Type("Cash withdrawal"), "ATM");
      break;
    case kSavings:
      AddTransfer(day, bank_, savings_, Amount(40000), Type("To savings"), "Monthly savings");
      break;
    case kTravelMoney:
      AddTransfer(day, bank_, travel_, Amount(25000), Type("Travel money"), "Top up travel card");
      break;
  }
}

void CDemoBuilder::AddRandomPurchase(Date day) {
  const std::uint64_t pick = rng_.Below(purchaseWeights_.back());
  const std::size_t i = static_cast<std::size_t>(
      std::upper_bound(purchaseWeights_.begin(), purchaseWeights_.end(), pick) -
      purchaseWeights_.begin());
  const CPurchase& p = kPurchases[i];

  std::int32_t qty =
      static_cast<std::int32_t>(p.wholeUnits ? rng_.Between(p.qtyMin / 1000, p.qtyMax / 1000) * 1000
                                             : rng_.Between(p.qtyMin, p.qtyMax));
  // Prices rise by about 3% a year.
  const double years = (day - start_) / 365.0;
  Money price = static_cast<Money>(static_cast<double>(p.price) * (1.0 + 0.03 * years));

  std::uint32_t account = bank_;
  switch (p.pay) {
    case Pay::kSmall:
      account = rng_.Chance(55) ? cash_ : card_;
      break;
    case Pay::kCard:
      account = rng_.Chance(85) ? card_ : bank_;
      break;
    case Pay::kBank:
      account = bank_;
      break;
  }
  std::uint32_t section = p.section ? Type(p.section) : (rng_.Chance(40) ? Type("Everyday") : 0);
  if (p.travel && rng_.Chance(4)) {  // bought on a trip, in pounds
    account = travel_;
    price = price * 80 / 100;
    section = Type("Summer trip");
  }
  // The sum is price times quantity, to the cent.
  const Money exact = price * qty / 1000;
  const Money sum = std::max<Money>(kCent, (exact + kCent / 2) / kCent * kCent);

  std::uint32_t member = 0;
  if (p.category == std::string("Toys")) {
    member = rng_.Chance(50) ? Type("Emma") : Type("Leo");
  } else if (rng_.Chance(35)) {
    static const char* const kMembers[] = {"Me", "Me", "Partner", "Partner", "Emma", "Leo"};
    member = Type(kMembers[rng_.Below(6)]);
  }
  std::string comment;
  if (rng_.Chance(4)) comment = kComments[rng_.Below(std::size(kComments))];
  // Card payments carry the time of day they were made.
  Date date = day;
  if (account != cash_ && rng_.Chance(60))
    date += static_cast<double>(rng_.Between(8 * 60, 22 * 60 - 1)) / (24 * 60);
  Add(date, account, 0, sum, sum, static_cast<float>(qty) / 1000.0f, member, Type(p.category),
      section, p.description, comment);
}

void CDemoBuilder::AddPlanned() {
  auto planned = [&](const char* description, std::uint32_t from, std::uint32_t to, Money out,
                     std::uint32_t category, const ScheduleRecord& schedule,
                     const char* comment = "") {
    CPlnTransactionItem item;
    item.description = description;
    item.comment = comment;
    item.record.schedule = schedule;
    TransactionRecord& t = item.record.transaction;
    t.date = today_;
    t.fromAccount = from;
    t.toAccount = to;
    t.amountOut = out;
    t.amountIn = from != 0 && to != 0 ? InCurrencyOf(from, to, out) : out;
    t.categoryId = category;
    db_.AddPlnTransaction(item);
  };
  auto schedule = [&](std::uint8_t kind) {
    ScheduleRecord s;
    s.kind = kind;
    s.lastProcessed = today_;  // as the schedule editor leaves it
    return s;
  };

  ScheduleRecord once = schedule(kScheduleOnce);
  once.onceDate = today_ + 12;
  planned("Car insurance", bank_, 0, Amount(42000), Type("Insurance"), once, "yearly premium");

  ScheduleRecord everyTwoWeeks = schedule(kScheduleEveryNDays);
  everyTwoWeeks.period = 14;
  everyTwoWeeks.lastProcessed = today_ + 2 - 14;  // the first day is the day after tomorrow
  planned("Pocket money", cash_, 0, Amount(2000), Type("Pocket money"), everyTwoWeeks);

  ScheduleRecord gym = schedule(kScheduleWeekly);
  gym.weekdays[0] = 1;  // Monday
  gym.weekdays[3] = 1;  // Thursday
  planned("Gym day pass", card_, 0, Amount(900), Type("Gym"), gym);

  ScheduleRecord rent = schedule(kScheduleMonthly);
  rent.period = 1 + 50 * 1;
  planned("Rent", bank_, 0, Amount(145000), Type("Rent"), rent);

  ScheduleRecord salary = schedule(kScheduleMonthly);
  salary.period = 25 + 50 * 1;
  planned("Salary", 0, bank_, Amount(265000), Type("Base pay"), salary);

  ScheduleRecord water = schedule(kScheduleMonthly);
  water.period = 20 + 50 * 3;
  planned("Water bill", bank_, 0, Amount(5000), Type("Water"), water, "estimate");

  ScheduleRecord savings = schedule(kScheduleMonthly);
  savings.period = 28 + 50 * 1;
  planned("Monthly savings", bank_, savings_, Amount(40000), Type("To savings"), savings);

  planned("Presents", card_, 0, Amount(15000), Type("Presents"), schedule(kScheduleNotSet),
          "set aside every month");
}

void CDemoBuilder::Build() {
  today_ = Today();
  start_ = today_ - (kDays - 1);
  AddCurrenciesAndAccounts();
  AddTypes();
  std::uint32_t sum = 0;
  for (const CPurchase& p : kPurchases) purchaseWeights_.push_back(sum += p.weight);

  // The calendar events come first; when fewer transactions are wanted than
  // they make, the oldest are left out.
  std::uint64_t fixed = 0;
  for (int d = 0; d < kDays; ++d) fixed += FixedEventsOf(start_ + d).size();
  std::uint64_t skip = fixed > wanted_ ? fixed - wanted_ : 0;
  const std::uint64_t random = wanted_ - (fixed - skip);
  for (int d = 0; d < kDays; ++d) {
    const Date day = start_ + d;
    for (int event : FixedEventsOf(day)) {
      if (skip > 0) {
        --skip;
        continue;
      }
      DoFixed(event, day);
    }
    // Purchases are spread evenly over the days.
    const std::uint64_t count = random * static_cast<std::uint64_t>(d + 1) / kDays -
                                random * static_cast<std::uint64_t>(d) / kDays;
    for (std::uint64_t k = 0; k < count; ++k) AddRandomPurchase(day);
  }
  AddPlanned();
}

bool BuildInto(const std::string& path, const CDemoOptions& options) {
  CDataBase db;
  db.EnableUndo(false);
  try {
    db.Create(path);
  } catch (const CFileError& e) {
    std::cerr << e.what() << "\n";
    return false;
  }
  if (!db.IsOpened()) return false;
  db.BeginBatch();  // synced once, at the end, not after each of its adds
  CDemoBuilder(db, options).Build();
  const bool synced = db.EndBatch("demo");
  if (!synced || db.Transactions().size() != options.transactions || !db.IsOpened()) {
    std::cerr << "pardow-cli: the demo database could not be written completely: " << path << "\n";
    return false;
  }
  return db.Close();
}

// Forces a file's (or a folder's) bytes onto the disk.
bool Sync(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  if (!ok) std::cerr << "pardow-cli: cannot sync " << path << ": " << std::strerror(errno) << "\n";
  return ok;
}

}  // namespace

bool BuildDemoDatabase(const std::string& path, const CDemoOptions& options) {
  // Built beside the target and renamed over it only when complete and on
  // disk: a run cut short leaves whatever `path` held untouched.
  const std::string part = path + ".part";
  bool ok = BuildInto(part, options) && Sync(part);
  if (ok && std::rename(part.c_str(), path.c_str()) != 0) {
    std::cerr << "pardow-cli: cannot rename " << part << " to " << path << ": "
              << std::strerror(errno) << "\n";
    ok = false;
  }
  if (!ok) {
    std::remove(part.c_str());
    return false;
  }
  // What was kept beside an earlier file of that name does not belong to the demo.
  std::string error;
  if (!DeleteCompanion(path, error)) {
    std::cerr << "pardow-cli: " << error << "\n";
    return false;
  }
  const std::string::size_type slash = path.rfind('/');
  return Sync(slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash));
}
