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

std::string RecomputeField(EFieldType front, const TLinkedTexts& texts) {
  std::uint8_t error = 0;
  switch (front) {
    case efQuantity: {
      const Money sum = StrToMoney(texts.sum, error, 2);
      const Money price = StrToMoney(texts.price, error, 2);
      if (error != kMoneyTextOk || price == 0) return "1";
      return QuantityToStr(StoredQuantity(MulDivClamped(sum, kMoneyOne, price)));
    }
    case efSum: {
      const Money quantity = StrToMoney(texts.quantity, error, 4);
      const Money price = StrToMoney(texts.price, error, 2);
      return MoneyToStr(error != kMoneyTextOk ? 0 : MulDivClamped(quantity, price, kMoneyOne));
    }
    default: {
      const Money sum = StrToMoney(texts.sum, error, 2);
      const Money quantity = StrToMoney(texts.quantity, error, 4);
      if (error != kMoneyTextOk || quantity == 0) return MoneyToStr(0);
      return MoneyToStr(MulDivClamped(sum, kMoneyOne, quantity));
    }
  }
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
