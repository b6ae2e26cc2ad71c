// The rules window and the rule editor: rules added and reordered are saved
// at once, an apply asks with its count and Undo gives every value back;
// the editor reads amounts in the user's format and refuses what it cannot
// keep; a row's description gives a rule its words.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "Companion.h"
#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "Include.h"
#include "Uniteditrule.h"
#include "Unitrules.h"

namespace {

TEST(RuleFromRow, TakesTheDescriptionsLeadingWordsWithoutCodes) {
  const struct {
    const char* description;
    const char* text;
  } cases[] = {
      {"REWE SAGT DANKE 48213 HAMBURG", "REWE SAGT DANKE"},
      {"4711 STADTWERKE", "STADTWERKE"},
      {"SEPA-Lastschrift: REWE/48213 sagt Danke!", "SEPA-Lastschrift: REWE"},
      {"KARTE Baeckerei 2026-01-03", "KARTE Baeckerei"},
      {"Café Müller, Berlin", "Café Müller, Berlin"},
      {"one two three four five six", "one two three four five"},
      {"DE12 5001 Miete Juni", "Miete Juni"},
      {"12.03.2026", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RuleTextFromDescription(c.description), c.text) << c.description;
  const CImportRule rule = RuleFromRow("NETFLIX.COM 866", 1599, false, 103, 120, 130, 140);
  EXPECT_EQ(rule.match.text, "NETFLIX.COM");
  EXPECT_EQ(rule.match.kind, ERuleKind::kIncome);
  EXPECT_EQ(std::make_tuple(rule.set.category, rule.set.member, rule.set.section),
            std::make_tuple(120u, 130u, 140u));
}

class RulesWindow : public testing::Test {
 protected:
  void SetUp() override {
    food = base.AddSubType("Food", kExpenseRoot);
    fun = base.AddSubType("Fun", kExpenseRoot);
    rewe = {base.AddExpense("REWE SAGT DANKE 48213", 12.5), base.AddExpense("rewe markt", 3)};
    kino = base.AddExpense("Kino REWE-Passage", 9);
    base.AddExpense("Bakery", 2);
  }
  std::vector<CImportRule> Stored() {
    CCompanion companion;
    companion.Load(base.db.GetFileName());
    return companion.Rules();
  }
  std::uint32_t CategoryOf(std::uint32_t id) {
    CTransactionItem t;
    return base.db.GetTransaction(id, t).record.categoryId;
  }
  // Fills the editor with a rule looking for `text` that sets `category`.
  static void FillEditor(TFormEditRule& editor, const char* text, std::uint32_t category) {
    TypeInto(::Find<QLineEdit>(&editor, "EdRuleText"), text);
    auto* box = ::Find<QComboBox>(&editor, "CbSetCategory");
    box->setCurrentIndex(box->findData(category));
  }

  CTestBase base;
  CMessages messages;
  std::uint32_t food = 0, fun = 0, kino = 0;
  std::vector<std::uint32_t> rewe;
};

TEST_F(RulesWindow, RulesAreAddedReorderedAppliedAndUndone) {
  TFormRules window;
  int refreshed = 0;
  QObject::connect(&window, &TFormRules::TransactionsChanged, [&] { ++refreshed; });
  std::vector<QString> questions;
  SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
    questions.push_back(text);
    return QMessageBox::Yes;
  });
  OnModalOf<TFormRules>([&](TFormRules& shown) {
    // Two rules: the first catches every REWE row, the kino's too.
    OnModalOf<TFormEditRule>(
        [&](TFormEditRule& editor) {
          EXPECT_EQ(editor.windowTitle(), "New rule");
          FillEditor(editor, "rewe", food);
          editor.ShowEffect();
          EXPECT_EQ(::Find<QLabel>(&editor, "LbRuleEffect")->text(), "Would change 3 transactions");
          QTest::keyClick(&editor, Qt::Key_Return);
        },
        &shown);
    Click(shown.BtAdd);
    OnModalOf<TFormEditRule>(
        [&](TFormEditRule& editor) {
          FillEditor(editor, "kino", fun);
          Click(editor.BtOk);
        },
        &shown);
    Click(shown.BtAdd);
    ASSERT_EQ(Stored().size(), 2u);
    EXPECT_EQ(Stored()[0].match.text, "rewe");
    EXPECT_EQ(shown.LvRules->topLevelItem(1)->text(2), "Category: Fun");

    // The kino rule goes first, from the keyboard; the file follows at once.
    EXPECT_EQ(shown.LvRules->currentItem(), shown.LvRules->topLevelItem(1));
    QTest::keyClick(shown.LvRules, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Stored()[0].match.text, "kino");
    EXPECT_EQ(shown.Rules()[0].match.text, "kino");
    EXPECT_EQ(shown.LvRules->currentItem(), shown.LvRules->topLevelItem(0));

    // Enter in a date of the period applies the rules.
    QTest::keyClick(shown.EdApplyTo, Qt::Key_Return);
    EXPECT_TRUE(shown.isVisible());
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Change 3 transactions?");
    EXPECT_EQ(CategoryOf(kino), fun);
    for (std::uint32_t id : rewe) EXPECT_EQ(CategoryOf(id), food);
    EXPECT_EQ(refreshed, 1);
    ASSERT_TRUE(shown.BtUndo->isEnabled());

    Click(shown.BtUndo);
    for (std::uint32_t id : {kino, rewe[0], rewe[1]}) EXPECT_EQ(CategoryOf(id), 0u);
    EXPECT_FALSE(shown.BtUndo->isEnabled());
    EXPECT_EQ(refreshed, 2);
    QTest::keyClick(shown.LvRules, Qt::Key_Escape);
  });
  // The period offered is the month of the transactions.
  EXPECT_TRUE(window.Execute(base.db, EncodeDate(2007, 4, 1), EncodeDate(2007, 4, 30)));
  SetConfirmationHook({});
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(RulesWindow, EditorReadsGermanAmountsAndRefusesWhatItCannotKeep) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  InitSettings(base.dir.filePath("de.ini").toStdString(), true);
  const struct {
    const char* from;
    const char* to;
    std::optional<Money> min, max;
    bool kept;
  } cases[] = {
      {"5,70", "1.234,5", 57000, 12345000, true},
      {"", "5,7001", std::nullopt, 57001, true},
      {"5.7", "", std::nullopt, std::nullopt, false},  // the full stop groups digits
      {"-5", "", std::nullopt, std::nullopt, false},
      {"9", "5", std::nullopt, std::nullopt, false},  // from above to
  };
  TFormEditRule editor;
  for (const auto& c : cases) {
    CImportRule rule;
    rule.match.text = "x";
    rule.set.category = food;
    OnModalOf<TFormEditRule>([&](TFormEditRule& shown) {
      TypeInto(shown.EdAmountFrom, c.from);
      TypeInto(shown.EdAmountTo, c.to);
      Click(shown.BtOk);
      if (!c.kept) {
        // Refused: the window stays and says why.
        EXPECT_TRUE(shown.isVisible()) << c.from;
        EXPECT_FALSE(shown.LbRuleEffect->text().isEmpty());
        Click(shown.BtCancel);
      }
    });
    EXPECT_EQ(editor.Execute(base.db, rule), c.kept) << c.from;
    if (c.kept) {
      EXPECT_EQ(rule.match.amountMin, c.min) << c.from;
      EXPECT_EQ(rule.match.amountMax, c.max) << c.from;
    }
  }
  InitSettings(std::string(getenv("HOME")) + "/settings.ini", true);
  QLocale::setDefault(saved);
}

TEST_F(RulesWindow, AMadeRuleIsAppendedOnlyWhenStored) {
  CImportRule made;
  OnModalOf<TFormEditRule>([&](TFormEditRule& editor) {
    EXPECT_EQ(editor.EdRuleText->text(), "REWE SAGT DANKE");
    Click(editor.BtOk);
  });
  ASSERT_TRUE(MakeRuleFromRow(
      nullptr, base.db, RuleFromRow("REWE SAGT DANKE 48213", 125000, true, base.cash, food, 0, 0),
      &made));
  ASSERT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Stored()[0].id, made.id);
  EXPECT_EQ(Stored()[0].set.category, food);

  // A companion that cannot be written: told, and nothing claims success.
  const std::string companion = CCompanion::PathFor(base.db.GetFileName());
  std::filesystem::remove(companion);
  std::filesystem::create_directory(companion);
  OnModalOf<TFormEditRule>([&](TFormEditRule& editor) {
    OnModalOf<TFormEditRule>([](TFormEditRule& again) { Click(again.BtCancel); });
    Click(editor.BtOk);
  });
  EXPECT_FALSE(MakeRuleFromRow(nullptr, base.db, RuleFromRow("Kino", 1, true, 0, fun, 0, 0)));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0].rfind("The rules could not be stored:", 0), 0u);
}

}  // namespace
