// The arithmetic behind the transaction editor: which of the three linked
// boxes (price, quantity, sum) is recomputed from the other two, the texts a
// stored transaction shows in them, and the amounts read back on OK.
//
// For an expense or an income the boxes are price, quantity and sum, with
// sum = quantity x price. For a transfer the same boxes hold the amount out,
// the exchange rate and the amount in, with amount in = rate x amount out.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "Omrindb.h"

// The three linked boxes.
enum EFieldType : std::uint8_t { efPrice = 0, efQuantity = 1, efSum = 2 };

// The kind of a transaction, equal to the editor's tab index.
enum TTransferKind : std::uint8_t { kKindExpense = 0, kKindIncome = 1, kKindTransfer = 2 };

// Which linked box the user edited least recently: that one is recomputed.
class CEditOrder {
 public:
  // Oldest first: sum, price, quantity.
  CEditOrder() = default;
  // `field` was edited now: it becomes the most recent.
  void Touch(EFieldType field);
  EFieldType Front() const { return order_[0]; }
  const std::array<EFieldType, 3>& Order() const { return order_; }

 private:
  std::array<EFieldType, 3> order_{efSum, efPrice, efQuantity};  // oldest first
};

// The texts of the three linked boxes.
struct TLinkedTexts {
  std::string price;
  std::string quantity;
  std::string sum;
  std::string& operator[](EFieldType field);
};

// The new text of box `front` computed from the two others:
//  - quantity = sum / price, "1" when the price is 0 or does not read;
//  - sum = quantity x price, "0.00" when the price does not read;
//  - price = sum / quantity, "0.00" when the quantity is 0 or does not read.
// Prices and sums are read with 2 decimals, quantities with 4; whether a
// text "does not read" is decided by the second of the two texts read.
std::string RecomputeField(EFieldType front, const TLinkedTexts& texts);

// The amount a recomputed box stands for and the text it shows.
struct TRecomputed {
  Money amount = 0;
  std::string text;
};
// RecomputeField on amounts: box `front` from the amounts of the two others
// (indexed by EFieldType); `divisorReads` says whether the text the rule
// depends on reads (the price for the quantity and the sum, the quantity for
// the price).
TRecomputed RecomputeAmount(EFieldType front, const std::array<Money, 3>& amounts,
                            bool divisorReads);

// The linked boxes as the editor keeps them: the edit order and, for each
// box, the amount it stands for. A box stands for the amount its text was
// filled with or last really changed to, exactly: a computed price keeps its
// four decimals while its box shows two, so a sum computed from it is not
// the product of a rounded price.
class CLinkedAmounts {
 public:
  // The boxes show texts filled in for `amounts` (see LinkedAmountsOf).
  void Fill(const std::array<Money, 3>& amounts);
  // Box `field` now shows `text`. When the text reads as an amount other than
  // the one the box stands for, the box becomes the most recently edited and
  // the least recently edited box is recomputed from the two others: the
  // result names that box and its new text. A text that does not read, or
  // that reads as the amount the box already stands for (a quantity typed
  // again), recomputes nothing.
  std::optional<std::pair<EFieldType, std::string>> Change(EFieldType field,
                                                           const std::string& text,
                                                           TTransferKind kind);
  const CEditOrder& Order() const { return order_; }

 private:
  CEditOrder order_;
  std::array<Money, 3> amounts_{0, kMoneyOne, 0};  // what each box stands for
  std::array<bool, 3> reads_{true, true, true};    // whether its text reads now
};

// Whether recomputing box `front` from the two others leaves the range of
// Money (RecomputeField then shows the nearest end of the range).
bool RecomputeOverflows(EFieldType front, const TLinkedTexts& texts);

// The most digits a user may type into a linked box.
constexpr int kMaxTypedDigits = 11;
// Fraction digits a linked box takes: 2 for prices and sums, 4 for
// quantities and rates.
int DecimalsOf(EFieldType field);

// The text an amount box keeps when typing or pasting turns its text
// `before` into `after`, or nothing when the change is refused: the shared
// rule of TypedAmountText (Numbertexts.h) with the user's number format and
// kMaxTypedDigits, so every amount, price, quantity, rate and budget box
// shows only texts that read as exactly the amount they show (an empty text
// is 0). A quantity must also survive its 32-bit float in the file
// (`quantity`).
std::optional<std::string> AcceptedAmountText(const std::string& before, const std::string& after,
                                              int decimals, bool quantity);

// Whether `text` is an amount still being typed ("1,23" on the way to
// "1,234", kUnfinished): the box shows it but nothing reads it, and OK is
// refused while a box holds one.
bool AmountTextUnfinished(const std::string& text, int decimals);

// The quantity a 4-decimal amount becomes in the file, as a 4-decimal amount.
Money StoredQuantity(Money quantity);

// The kind of a stored transaction, from its accounts.
TTransferKind KindOf(const TransactionRecord& record);

// What the linked boxes show for a stored transaction of `kind`.
TLinkedTexts LinkedTextsOf(TTransferKind kind, const TransactionRecord& record);
// The amounts behind those texts, indexed by EFieldType: the stored amounts
// and quantity, and the price or rate computed from them with four decimals.
std::array<Money, 3> LinkedAmountsOf(TTransferKind kind, const TransactionRecord& record);

// The quantity a text stands for: read with the 4 decimals the box shows,
// as a float ("1.2345" gives 1.2345).
float QuantityFromText(const std::string& text);

// Reads the amounts and the quantity of `kind` from the boxes into `record`.
// A transfer between accounts of one currency puts the amount out in both
// amounts. The accounts are the caller's.
void StoreAmounts(TTransferKind kind, const TLinkedTexts& texts, bool sameCurrency,
                  TransactionRecord& record);

// Puts back into `record` the amounts and the quantity of `loaded` whose box
// still shows the text it was filled with (`filled`), so that a stored value
// the boxes show rounded (four-decimal amounts, odd floats) is kept as it is
// when the user did not touch it. Only for an item whose kind is unchanged.
void KeepUntouchedAmounts(TTransferKind kind, const TLinkedTexts& filled, const TLinkedTexts& texts,
                          bool sameCurrency, const TransactionRecord& loaded,
                          TransactionRecord& record);

// The root code of the subtree that holds subtype `id` (1, 2, 3, 5 or 6),
// found by walking up the parents; 0 when `id` names no subtype or its
// parents loop.
std::uint32_t SubTypeRoot(CDataBase& db, std::uint32_t id);
