#include "TransferLogic.h"

#include <algorithm>
#include <limits>

#include "Include.h"
#include "Settingsstorage.h"

void CEditOrder::Touch(EFieldType field) {
  auto it = std::find(order_.begin(), order_.end(), field);
  std::rotate(it, it + 1, order_.end());
}

std::string& TLinkedTexts::operator[](EFieldType field) {
  switch (field) {
    case efPrice:
      return price;
    case efQuantity:
      return quantity;
    default:
      return sum;
  }
}

TRecomputed RecomputeAmount(EFieldType front, const std::array<Money, 3>& amounts,
                            bool divisorReads) {
  const Money price = amounts[efPrice];
  const Money quantity = amounts[efQuantity];
  const Money sum = amounts[efSum];
  switch (front) {
    case efQuantity: {
      if (!divisorReads || price == 0) return {kMoneyOne, "1"};
      const Money amount = StoredQuantity(MulDivClamped(sum, kMoneyOne, price));
      return {amount, QuantityToStr(amount)};
    }
    case efSum: {
      const Money amount = divisorReads ? MulDivClamped(quantity, price, kMoneyOne) : 0;
      return {amount, MoneyToStr(amount)};
    }
    default: {
      if (!divisorReads || quantity == 0) return {0, MoneyToStr(0)};
      const Money amount = MulDivClamped(sum, kMoneyOne, quantity);
      return {amount, MoneyToStr(amount)};
    }
  }
}

std::string RecomputeField(EFieldType front, const TLinkedTexts& texts) {
  // The error that counts is that of the second text read: the price for
  // the quantity and the sum, the quantity for the price.
  std::uint8_t error = 0;
  std::array<Money, 3> amounts{};
  if (front == efPrice) {
    amounts[efSum] = StrToMoney(texts.sum, error, 2);
    amounts[efQuantity] = StrToMoney(texts.quantity, error, 4);
  } else {
    const EFieldType first = front == efQuantity ? efSum : efQuantity;
    amounts[first] =
        StrToMoney(first == efSum ? texts.sum : texts.quantity, error, DecimalsOf(first));
    amounts[efPrice] = StrToMoney(texts.price, error, 2);
  }
  return RecomputeAmount(front, amounts, error == kMoneyTextOk).text;
}

void CLinkedAmounts::Fill(const std::array<Money, 3>& amounts) {
  amounts_ = amounts;
  reads_ = {true, true, true};
}

std::optional<std::pair<EFieldType, std::string>> CLinkedAmounts::Change(EFieldType field,
                                                                         const std::string& text,
                                                                         TTransferKind kind) {
  const TTypedAmount typed =
      ReadTypedAmount(text, DecimalsOf(field), GetSettings().GetNumberFormat());
  reads_[field] = typed.state == TTypedAmountState::kComplete;
  if (!reads_[field] || typed.value == amounts_[field]) return std::nullopt;
  amounts_[field] = typed.value;
  order_.Touch(field);
  const EFieldType front = order_.Front();
  const TRecomputed result =
      RecomputeAmount(front, amounts_, reads_[front == efPrice ? efQuantity : efPrice]);
  // A price of an expense or an income is not stored: it keeps its four
  // decimals. Every other box stands for what its text shows.
  std::uint8_t error = 0;
  amounts_[front] = front == efPrice && kind != kKindTransfer
                        ? result.amount
                        : StrToMoney(result.text, error, DecimalsOf(front));
  reads_[front] = true;
  return std::make_pair(front, result.text);
}

bool RecomputeOverflows(EFieldType front, const TLinkedTexts& texts) {
  std::uint8_t error = 0;
  switch (front) {
    case efQuantity: {
      const Money sum = StrToMoney(texts.sum, error, 2);
      const Money price = StrToMoney(texts.price, error, 2);
      return error == kMoneyTextOk && !FitsMoney(WideMulDiv(sum, kMoneyOne, price));
    }
    case efSum: {
      const Money quantity = StrToMoney(texts.quantity, error, 4);
      const Money price = StrToMoney(texts.price, error, 2);
      return error == kMoneyTextOk && !FitsMoney(WideMulDiv(quantity, price, kMoneyOne));
    }
    default: {
      const Money sum = StrToMoney(texts.sum, error, 2);
      const Money quantity = StrToMoney(texts.quantity, error, 4);
      return error == kMoneyTextOk && !FitsMoney(WideMulDiv(sum, kMoneyOne, quantity));
    }
  }
}

int DecimalsOf(EFieldType field) {
  return field == efQuantity ? 4 : 2;
}

std::optional<std::string> AcceptedAmountText(const std::string& before, const std::string& after,
                                              int decimals, bool quantity) {
  std::optional<std::string> kept =
      TypedAmountText(before, after, decimals, kMaxTypedDigits, GetSettings().GetNumberFormat());
  if (!kept || !quantity) return kept;
  std::uint8_t error = 0;
  const Money amount = StrToMoney(*kept, error, decimals);
  if (StoredQuantity(amount) != amount) return std::nullopt;
  return kept;
}

bool AmountTextUnfinished(const std::string& text, int decimals) {
  return ReadTypedAmount(text, decimals, GetSettings().GetNumberFormat()).state ==
         TTypedAmountState::kUnfinished;
}

Money StoredQuantity(Money quantity) {
  return FloatToMoney(static_cast<float>(static_cast<double>(quantity) * 0.0001));
}

TTransferKind KindOf(const TransactionRecord& record) {
  if (record.toAccount <= 99) return kKindExpense;
  return record.fromAccount > 99 ? kKindTransfer : kKindIncome;
}

TLinkedTexts LinkedTextsOf(TTransferKind kind, const TransactionRecord& record) {
  TLinkedTexts texts;
  if (kind == kKindTransfer) {
    texts.price = MoneyToStr(record.amountOut);
    texts.sum = MoneyToStr(record.amountIn);
    texts.quantity =
        record.amountOut == 0
            ? "0"
            : QuantityToStr(MulDivClamped(record.amountIn, kMoneyOne, record.amountOut));
    return texts;
  }
  const Money amount = kind == kKindIncome ? record.amountIn : record.amountOut;
  const Money quantity = FloatToMoney(record.quantity);
  texts.sum = MoneyToStr(amount);
  texts.quantity = QuantityToStr(quantity);
  texts.price = quantity == 0 ? "0" : MoneyToStr(MulDivClamped(amount, kMoneyOne, quantity));
  return texts;
}

std::array<Money, 3> LinkedAmountsOf(TTransferKind kind, const TransactionRecord& record) {
  std::array<Money, 3> amounts{};
  if (kind == kKindTransfer) {
    amounts[efPrice] = record.amountOut;
    amounts[efSum] = record.amountIn;
    amounts[efQuantity] =
        record.amountOut == 0 ? 0 : MulDivClamped(record.amountIn, kMoneyOne, record.amountOut);
    return amounts;
  }
  amounts[efSum] = kind == kKindIncome ? record.amountIn : record.amountOut;
  amounts[efQuantity] = FloatToMoney(record.quantity);
  amounts[efPrice] =
      amounts[efQuantity] == 0 ? 0 : MulDivClamped(amounts[efSum], kMoneyOne, amounts[efQuantity]);
  return amounts;
}

float QuantityFromText(const std::string& text) {
  std::uint8_t error = 0;
  return static_cast<float>(static_cast<double>(StrToMoney(text, error, 4)) * 0.0001);
}

void StoreAmounts(TTransferKind kind, const TLinkedTexts& texts, bool sameCurrency,
                  TransactionRecord& record) {
  std::uint8_t error = 0;
  if (kind == kKindTransfer) {
    record.amountOut = StrToMoney(texts.price, error, 2);
    record.amountIn = sameCurrency ? record.amountOut : StrToMoney(texts.sum, error, 2);
    record.quantity = 1.0f;
    return;
  }
  record.amountOut = StrToMoney(texts.sum, error, 2);
  record.amountIn = record.amountOut;
  record.quantity = QuantityFromText(texts.quantity);
}

void KeepUntouchedAmounts(TTransferKind kind, const TLinkedTexts& filled, const TLinkedTexts& texts,
                          bool sameCurrency, const TransactionRecord& loaded,
                          TransactionRecord& record) {
  if (kind == kKindTransfer) {
    if (texts.price == filled.price) record.amountOut = loaded.amountOut;
    if (sameCurrency) {
      record.amountIn = record.amountOut;
    } else if (texts.sum == filled.sum) {
      record.amountIn = loaded.amountIn;
    }
    return;
  }
  if (texts.sum == filled.sum) {
    record.amountOut = loaded.amountOut;
    record.amountIn = loaded.amountIn;
  }
  if (texts.quantity == filled.quantity) record.quantity = loaded.quantity;
}

std::uint32_t SubTypeRoot(CDataBase& db, std::uint32_t id) {
  // A parent chain longer than the number of subtypes loops.
  const size_t limit = 100000;
  std::uint32_t root = 0;
  CSubTypeItem item;
  for (size_t step = 0; id > kFirstFreeId; ++step) {
    if (step == limit) return 0;
    root = db.GetSubType(id, item).record.parentId;  // 0 for a missing subtype
    id = root;
  }
  return root;
}
