// The linked boxes of the transaction editor as plain functions: the edit
// order, the three recalculations, the texts of stored items and the amounts
// read back.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "DialogsTestUtil.h"
#include "Include.h"
#include "TransferLogic.h"

namespace {

// Types `text` into `field` of `texts` and recomputes as the editor does.
void Type(CEditOrder& order, TLinkedTexts& texts, EFieldType field, const std::string& text) {
  texts[field] = text;
  order.Touch(field);
  texts[order.Front()] = RecomputeField(order.Front(), texts);
}

}  // namespace

TEST(TransferLogic, TheLeastRecentlyEditedBoxIsRecomputed) {
  CEditOrder order;
  EXPECT_EQ(order.Order(), (std::array<EFieldType, 3>{efSum, efPrice, efQuantity}));
  TLinkedTexts texts{"0.00", "1", "0.00"};
  Type(order, texts, efPrice, "12.5");
  EXPECT_EQ(order.Order(), (std::array<EFieldType, 3>{efSum, efQuantity, efPrice}));
  EXPECT_EQ(texts.sum, "12.50");
  Type(order, texts, efQuantity, "3");
  EXPECT_EQ(texts.sum, "37.50");
  Type(order, texts, efSum, "40");
  EXPECT_EQ(order.Front(), efPrice);
  EXPECT_EQ(texts.price, "13.33");
  EXPECT_EQ(texts.quantity, "3");
  // Sum, then price, then sum again: the quantity is the oldest now.
  Type(order, texts, efPrice, "8");
  EXPECT_EQ(texts.quantity, "5");
}

TEST(TransferLogic, ZeroOrUnreadableInputsFallBack) {
  // Quantity from a price of 0, or from a price that does not read.
  EXPECT_EQ(RecomputeField(efQuantity, {"0.00", "3", "10.00"}), "1");
  EXPECT_EQ(RecomputeField(efQuantity, {"", "3", "10.00"}), "1");
  EXPECT_EQ(RecomputeField(efQuantity, {"4", "3", "10"}), "2.5");
  // Price from a quantity of 0.
  EXPECT_EQ(RecomputeField(efPrice, {"7.00", "0", "10.00"}), "0.00");
  EXPECT_EQ(RecomputeField(efPrice, {"7.00", "3", "10.00"}), "3.33");
  // Sum from a price that does not read is 0; a minus sign is no sign.
  EXPECT_EQ(RecomputeField(efSum, {"abc", "3", "10.00"}), "0.00");
  EXPECT_EQ(RecomputeField(efSum, {"2", "-3", "10.00"}), "6.00");
  EXPECT_EQ(RecomputeField(efSum, {"1,000.5", "2", ""}), "2,001.00");
}

// A box is recomputed only when the amount it depends on really changed, and
// from the exact amounts behind the boxes, not from a price rounded to two
// decimals.
TEST(TransferLogic, RetypedOrRoundedAmountsLeaveTheOtherBoxesAlone) {
  struct Step {
    EFieldType box;
    const char* text;
  };
  struct Case {
    const char* what;
    Money sum;
    float quantity;
    std::vector<Step> steps;
    TLinkedTexts shown;  // price, quantity, sum afterwards
  };
  const Case cases[] = {
      {"quantity typed again",
       M(10),
       3.0f,
       {{efQuantity, ""}, {efQuantity, "3"}},
       {"3.33", "3", "10.00"}},
      {"quantity 3.0", M(10), 3.0f, {{efQuantity, "3.0"}}, {"3.33", "3.0", "10.00"}},
      {"quantity changed and back",
       M(10),
       3.0f,
       {{efQuantity, "4"}, {efQuantity, "3"}},
       {"3.33", "3", "10.00"}},
      {"quantity changed", M(10), 3.0f, {{efQuantity, "4"}}, {"3.33", "4", "13.33"}},
      {"sum cleared, then typed", M(10), 3.0f, {{efSum, ""}, {efSum, "12"}}, {"4.00", "3", "12"}},
      {"new: price, quantity, sum",
       0,
       1.0f,
       {{efPrice, "12.5"}, {efQuantity, "3"}, {efSum, "40"}, {efQuantity, "3"}},
       {"13.33", "3", "40"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TransactionRecord record;
    record.fromAccount = 103;
    record.amountOut = record.amountIn = c.sum;
    record.quantity = c.quantity;
    TLinkedTexts texts = LinkedTextsOf(kKindExpense, record);
    CLinkedAmounts linked;
    linked.Fill(LinkedAmountsOf(kKindExpense, record));
    for (const Step& step : c.steps) {
      texts[step.box] = step.text;
      if (auto recomputed = linked.Change(step.box, step.text, kKindExpense))
        texts[recomputed->first] = recomputed->second;
    }
    EXPECT_EQ(texts.price, c.shown.price);
    EXPECT_EQ(texts.quantity, c.shown.quantity);
    EXPECT_EQ(texts.sum, c.shown.sum);
  }
}

TEST(TransferLogic, ProductsOfElevenDigitBoxesStayInRange) {
  const Money max = std::numeric_limits<Money>::max();
  EXPECT_EQ(RecomputeField(efSum, {"99999999999", "99999999999", ""}), MoneyToStr(max));
}

TEST(TransferLogic, StoredItemsShowTheirPriceRateAndSum) {
  TransactionRecord record;
  record.fromAccount = 103;
  record.amountOut = record.amountIn = M(37.5);
  record.quantity = 3.0f;
  ASSERT_EQ(KindOf(record), kKindExpense);
  TLinkedTexts texts = LinkedTextsOf(kKindExpense, record);
  EXPECT_EQ(texts.price, "12.50");
  EXPECT_EQ(texts.quantity, "3");
  EXPECT_EQ(texts.sum, "37.50");
  record.quantity = 1.234f;
  EXPECT_EQ(LinkedTextsOf(kKindExpense, record).quantity, "1.234");
  record.quantity = 0.0f;
  EXPECT_EQ(LinkedTextsOf(kKindExpense, record).price, "0");

  record.fromAccount = 0;
  record.toAccount = 104;
  record.amountIn = M(20);
  record.quantity = 4.0f;
  ASSERT_EQ(KindOf(record), kKindIncome);
  EXPECT_EQ(LinkedTextsOf(kKindIncome, record).price, "5.00");

  record.fromAccount = 103;
  record.amountOut = M(100);
  record.amountIn = M(80);
  ASSERT_EQ(KindOf(record), kKindTransfer);
  texts = LinkedTextsOf(kKindTransfer, record);
  EXPECT_EQ(texts.price, "100.00");
  EXPECT_EQ(texts.quantity, "0.8");
  EXPECT_EQ(texts.sum, "80.00");
  record.amountOut = 0;
  EXPECT_EQ(LinkedTextsOf(kKindTransfer, record).quantity, "0");
}

TEST(TransferLogic, AmountsAreReadBackFromTheBoxes) {
  EXPECT_FLOAT_EQ(QuantityFromText("1.2345"), 1.2345f);
  EXPECT_FLOAT_EQ(QuantityFromText("2.5"), 2.5f);

  TransactionRecord record;
  StoreAmounts(kKindExpense, {"2.00", "1.2345", "-5"}, false, record);
  EXPECT_EQ(record.amountOut, M(5));
  EXPECT_EQ(record.amountIn, M(5));
  EXPECT_FLOAT_EQ(record.quantity, 1.2345f);

  StoreAmounts(kKindTransfer, {"100", "0.8", "80"}, false, record);
  EXPECT_EQ(record.amountOut, M(100));
  EXPECT_EQ(record.amountIn, M(80));
  EXPECT_FLOAT_EQ(record.quantity, 1.0f);
  StoreAmounts(kKindTransfer, {"100", "1.0000", "55"}, true, record);
  EXPECT_EQ(record.amountIn, M(100));
}

TEST(TransferLogic, PresetSubtypesAreFoundByTheirRoot) {
  CTestBase base;
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t dairy = base.AddSubType("Dairy", food);
  const std::uint32_t anna = base.AddSubType("Anna", kMemberRoot);
  EXPECT_EQ(SubTypeRoot(base.db, dairy), kExpenseRoot);
  EXPECT_EQ(SubTypeRoot(base.db, anna), kMemberRoot);
  EXPECT_EQ(SubTypeRoot(base.db, 999), 0u);
  // Parents that loop (the database does not refuse them) find no root.
  CSubTypeItem item;
  base.db.GetSubType(food, item);
  item.record.parentId = dairy;
  base.db.EditSubType(item);
  EXPECT_EQ(SubTypeRoot(base.db, dairy), 0u);
}
