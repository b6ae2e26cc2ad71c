#include "TransferLogic.h"

#include <algorithm>
#include <limits>

#include "Include.h"

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

Money MulDiv(Money a, Money b, Money c) {
  if (c == 0) return 0;
  const __int128 value = static_cast<__int128>(a) * b / c;
  constexpr Money kMax = std::numeric_limits<Money>::max();
  constexpr Money kMin = std::numeric_limits<Money>::min();
  if (value > kMax) return kMax;
  if (value < kMin) return kMin;
  return static_cast<Money>(value);
}

std::string RecomputeField(EFieldType front, const TLinkedTexts& texts) {
  std::uint8_t error = 0;
  switch (front) {
    case efQuantity: {
      const Money sum = StrToMoney(texts.sum, error, 2);
      const Money price = StrToMoney(texts.price, error, 2);
      if (error != kMoneyTextOk || price == 0) return "1";
      return QuantityToStr(MulDiv(sum, 10000, price));
    }
    case efSum: {
      const Money quantity = StrToMoney(texts.quantity, error, 4);
      const Money price = StrToMoney(texts.price, error, 2);
      return MoneyToStr(error != kMoneyTextOk ? 0 : MulDiv(quantity, price, 10000));
    }
    default: {
      const Money sum = StrToMoney(texts.sum, error, 2);
      const Money quantity = StrToMoney(texts.quantity, error, 4);
      if (error != kMoneyTextOk || quantity == 0) return MoneyToStr(0);
      return MoneyToStr(MulDiv(sum, 10000, quantity));
    }
  }
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
    texts.quantity = record.amountOut == 0
                         ? "0"
                         : QuantityToStr(MulDiv(record.amountIn, 10000, record.amountOut));
    return texts;
  }
  const Money amount = kind == kKindIncome ? record.amountIn : record.amountOut;
  const Money quantity = FloatToMoney(record.quantity);
  texts.sum = MoneyToStr(amount);
  texts.quantity = QuantityToStr(quantity);
  texts.price = quantity == 0 ? "0" : MoneyToStr(MulDiv(amount, 10000, quantity));
  return texts;
}

float QuantityFromText(const std::string& text) {
  std::uint8_t error = 0;
  return static_cast<float>(static_cast<double>(StrToMoney(text, error, 3)) * 0.0001);
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
