// Reading delimited text, encodings, and the date and amount styles of
// statement cells.
#include <gtest/gtest.h>

#include "Delimited.h"
#include "Formats.h"
#include "Importer.h"
#include "Money.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows ReadAll(std::string_view text, char sep, std::vector<std::size_t>* lines = nullptr) {
  CDelimitedReader reader(text, sep);
  CDelimitedRow row;
  Rows rows;
  while (reader.Next(row)) {
    rows.push_back(row.fields);
    if (lines) lines->push_back(row.line);
  }
  return rows;
}

TEST(DelimitedReader, ReadsWhatBanksWrite) {
  struct Case {
    const char* text;
    char sep;
    Rows rows;
  } const cases[] = {
      {"a;b;c\r\n1;2;3\r\n", ';', {{"a", "b", "c"}, {"1", "2", "3"}}},
      {"\"Shop; Main St.\",\"12,50\"\n", ',', {{"Shop; Main St.", "12,50"}}},
      {"\"two\nlines\",x\r\ny,z", ',', {{"two\nlines", "x"}, {"y", "z"}}},
      {"\"say \"\"hi\"\"\",1\n", ',', {{"say \"hi\"", "1"}}},
      {"a,,\n\nb\rc", ',', {{"a", "", ""}, {""}, {"b"}, {"c"}}},
      {"5\" pipe,x\n", ',', {{"5\" pipe", "x"}}},
      {"\"never closed,x\ny", ',', {{"never closed,x\ny"}}},
      {"a\tb\t\"c\td\"", '\t', {{"a", "b", "c\td"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAll(c.text, c.sep), c.rows) << c.text;
}

TEST(DelimitedReader, RowsKnowTheLineTheyStartOn) {
  std::vector<std::size_t> lines;
  ReadAll("h\r\n\"a\r\nb\nc\",1\r\nd\n", ',', &lines);
  EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2, 5}));
}

TEST(DelimitedReader, QuotedFieldsReadBackAsWritten) {
  const std::vector<std::string> fields{"plain", "a;b", "say \"x\"", "two\r\nlines", " pad ", ""};
  std::string line;
  for (const auto& f : fields) line += (line.empty() ? "" : ";") + QuoteField(f, ';');
  EXPECT_EQ(ReadAll(line, ';'), Rows{fields});
}

TEST(DelimitedText, SeparatorAndEncodingAreDetected) {
  EXPECT_EQ(DetectSeparator("Date;Text;Sum\n01.02.2024;\"a, b\";1,5\n"), ';');
  EXPECT_EQ(DetectSeparator("Date,Text,Sum\n2024-02-01,x,1.5\n"), ',');
  EXPECT_EQ(DetectSeparator("Date\tText\n2024-02-01\ta;b\n"), '\t');
  EXPECT_EQ(DetectSeparator("one column\nonly\n"), '\t');

  EXPECT_EQ(DetectEncoding("\xEF\xBB\xBFplain"), ETextEncoding::kUtf8);
  EXPECT_EQ(DetectEncoding("Caf\xC3\xA9"), ETextEncoding::kUtf8);
  EXPECT_EQ(DetectEncoding("\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0"), ETextEncoding::kWindows1251);
  EXPECT_EQ(DetectEncoding("Caf\xE9 cr\xE8me"), ETextEncoding::kWindows1252);
  EXPECT_EQ(DetectEncoding(std::string("\xFF\xFE"
                                       "a\0",
                                       4)),
            ETextEncoding::kUtf16Le);
  EXPECT_EQ(DetectEncoding(std::string("\xFE\xFF\0a", 4)), ETextEncoding::kUtf16Be);
}

// Spreadsheets, PDFs and other binary files are told apart from text, and
// UTF-16 text with its zero bytes is not taken for binary.
TEST(DelimitedText, FilesThatAreNoTextSayWhatTheyLookLike) {
  const struct {
    std::string head;
    ETextEncoding encoding;
    const char* kind;
  } cases[] = {{"PK\x03\x04xl/workbook", ETextEncoding::kUtf8, "a spreadsheet"},
               {"\xD0\xCF\x11\xE0\xA1\xB1", ETextEncoding::kWindows1252, "a spreadsheet"},
               {"%PDF-1.7\n", ETextEncoding::kUtf8, "a PDF"},
               {std::string("\x7F"
                            "ELF\0\0",
                            6),
                ETextEncoding::kUtf8, "a binary file"},
               {std::string("\xFF\xFE"
                            "a\0",
                            4),
                ETextEncoding::kUtf16Le, nullptr},
               {"Date;Sum\n", ETextEncoding::kUtf8, nullptr}};
  for (const auto& c : cases) {
    const char* kind = NotTextKind(c.head, c.encoding);
    EXPECT_EQ(std::string(kind ? kind : ""), std::string(c.kind ? c.kind : "")) << c.head;
  }
}

TEST(DelimitedText, DecodesWithIconv) {
  struct Case {
    std::string bytes;
    ETextEncoding encoding;
    bool partial;
    const char* utf8;  // nullptr: refused
  } const cases[] = {
      {"\xEF\xBB\xBF"
       "a;b",
       ETextEncoding::kUtf8, false, "a;b"},
      {"\x80 5", ETextEncoding::kWindows1252, false, "\xE2\x82\xAC 5"},
      {"\xCF\xF0\xE8", ETextEncoding::kWindows1251, false, "\xD0\x9F\xD1\x80\xD0\xB8"},
      {"\xE9", ETextEncoding::kLatin1, false, "\xC3\xA9"},
      {"ok \xC3", ETextEncoding::kUtf8, true, "ok "},  // a cut last character
      {"ok \xC3", ETextEncoding::kUtf8, false, nullptr},
      {"bad \xE9 here", ETextEncoding::kUtf8, false, nullptr},
      {std::string("\xFF\xFE"
                   "a\0;\0\xE9\0",
                   8),
       ETextEncoding::kUtf16Le, false, "a;\xC3\xA9"},
      {std::string("\xFE\xFF\0a\0;", 6), ETextEncoding::kUtf16Be, false, "a;"},
      // Read in part: a cut unit, or a surrogate pair cut after its first half.
      {std::string("\xFF\xFE"
                   "a\0b",
                   5),
       ETextEncoding::kUtf16Le, true, "a"},
      {std::string("\xFF\xFE"
                   "a\0\x3D\xD8",
                   6),
       ETextEncoding::kUtf16Le, true, "a"},
  };
  for (const Case& c : cases) {
    std::string out, error;
    const bool ok = DecodeText(c.bytes, c.encoding, out, error, c.partial);
    EXPECT_EQ(ok, c.utf8 != nullptr) << c.bytes;
    if (ok && c.utf8) {
      EXPECT_EQ(out, c.utf8);
    }
    if (!ok) {
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(StatementCells, DatesReadInTheirOrderOnly) {
  struct Case {
    const char* cell;
    EDateOrder order;
    int y;  // 0: refused
    unsigned m, d;
  } const cases[] = {
      {"2024-02-29", EDateOrder::kYmd, 2024, 2, 29},
      {"20240131", EDateOrder::kYmd, 2024, 1, 31},
      {"20240131120000[-5:EST]", EDateOrder::kYmd, 2024, 1, 31},
      {"2023-02-29", EDateOrder::kYmd, 0, 0, 0},
      {"31.01.2024", EDateOrder::kDmy, 2024, 1, 31},
      {"31/01/24", EDateOrder::kDmy, 2024, 1, 31},
      {"1.2.99 14:30", EDateOrder::kDmy, 1999, 2, 1},
      {"31.01.2024", EDateOrder::kMdy, 0, 0, 0},
      {"01/31/2024", EDateOrder::kMdy, 2024, 1, 31},
      {"01/31/2024x", EDateOrder::kMdy, 0, 0, 0},
      {"2024-01-31", EDateOrder::kDmy, 0, 0, 0},
      {"", EDateOrder::kYmd, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Date d = 0;
    const bool ok = ParseDateCell(c.cell, CDateStyle{c.order}, d);
    EXPECT_EQ(ok, c.y != 0) << c.cell;
    if (ok && c.y != 0) {
      EXPECT_EQ(d, EncodeDate(c.y, c.m, c.d)) << c.cell;
    }
  }
}

TEST(StatementCells, AmountsAreExactOrRefused) {
  struct Case {
    const char* cell;
    CAmountStyle style;
    double value;
    bool ok;
  } const cases[] = {
      {"1.234,56", {',', '.'}, 1234.56, true},
      {"-1,234.56", {'.', ','}, -1234.56, true},
      {"(12.50)", {'.', 0}, -12.5, true},
      {"12.50-", {'.', 0}, -12.5, true},
      {"\xE2\x82\xAC 7,5", {',', 0}, 7.5, true},
      {"-12.34 EUR", {'.', 0}, -12.34, true},
      {"1\xC2\xA0"
       "234,5",
       {',', ' '},
       1234.5,
       true},
      {"1'234.0001", {'.', '\''}, 1234.0001, true},
      {"+0.5", {'.', 0}, 0.5, true},
      {"1,5", {'.', ','}, 0, false},    // a group of one digit
      {"0.12345", {'.', 0}, 0, false},  // a fifth decimal
      {"12,50", {'.', 0}, 0, false},    // the other decimal mark
      {"--5", {'.', 0}, 0, false},
      {"1e5", {'.', 0}, 0, false},
      {"H\xC3\xA4ndler 123", {'.', 0}, 0, false},  // a payee, not an amount
      {"Shop 7", {'.', 0}, 0, false},
      {"USD12.5", {'.', 0}, 12.5, true},
      {"$ -3", {'.', 0}, -3, true},
      {"EUREUR 3", {'.', 0}, 0, false},
      {"1234567890123456", {'.', 0}, 0, false},
      {"", {'.', 0}, 0, false},
  };
  for (const Case& c : cases) {
    Money m = 0;
    std::string why;
    const bool ok = ParseAmountCell(c.cell, c.style, m, why);
    EXPECT_EQ(ok, c.ok) << c.cell;
    if (ok) {
      EXPECT_EQ(m, M(c.value)) << c.cell;
    }
    if (!ok) {
      EXPECT_FALSE(why.empty()) << c.cell;
    }
  }
}

TEST(StatementCells, ColumnsTellTheirStyle) {
  const auto dmy = DetectDateStyle({"03.01.2024", "15.01.2024", ""}, EDateOrder::kYmd);
  EXPECT_EQ(dmy.style.order, EDateOrder::kDmy);
  EXPECT_TRUE(dmy.readsAll);
  EXPECT_FALSE(dmy.ambiguous);
  const auto both = DetectDateStyle({"03/01/2024", "05/02/2024"}, EDateOrder::kMdy);
  EXPECT_EQ(both.style.order, EDateOrder::kMdy);
  EXPECT_TRUE(both.ambiguous);
  EXPECT_FALSE(DetectDateStyle({"yesterday"}, EDateOrder::kYmd).readsAll);

  struct Case {
    std::vector<std::string_view> cells;
    char fallback;
    char decimal, group;
  } const cases[] = {
      {{"-12,50", "1.234,00"}, '.', ',', '.'}, {{"12.5", "1,234.00"}, ',', '.', ','},
      {{"1,234", "12"}, '.', '.', ','},  // nothing tells: the regional mark
      {{"1,234", "12"}, ',', ',', 0},          {{"1 234,5"}, '.', ',', ' '},
      {{"(3.25)", "4"}, ',', '.', 0},
  };
  for (const Case& c : cases) {
    const auto found = DetectAmountStyle(c.cells, c.fallback);
    EXPECT_EQ(found.style.decimal, c.decimal) << c.cells[0];
    EXPECT_EQ(found.style.group, c.group) << c.cells[0];
    EXPECT_TRUE(found.readsAll) << c.cells[0];
  }
}

// A mark is money out when it is the column's out mark (or, without one, a
// known money-out mark), money in when it is another known mark; case,
// accents' case and blanks around it do not matter.
TEST(StatementCells, MarksTellTheSide) {
  const struct {
    const char* mark;
    const char* outMark;
    EMarkSide side;
  } cases[] = {
      {"D", "", EMarkSide::kOut},
      {" cr ", "", EMarkSide::kIn},
      {"D\xC3\x89"
       "BIT",
       "", EMarkSide::kOut},
      {"Haben", "", EMarkSide::kIn},
      {"-", "", EMarkSide::kOut},
      {"x", "", EMarkSide::kUnknown},
      {"", "", EMarkSide::kUnknown},
      {"c", "C", EMarkSide::kOut},  // a bank whose C is a charge (cargo)
      {"D", "C", EMarkSide::kIn},
      {"x", "C", EMarkSide::kUnknown},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MarkSideIn(c.mark, c.outMark), c.side) << c.mark << " / " << c.outMark;
}

// Statements as banks write them: the first row and the columns are found
// without help.
TEST(StatementDetection, FirstRowAndColumnsComeFromTheFile) {
  auto tableOf = [](std::string_view text) {
    CSourceTable table;
    CDelimitedReader reader(text, ';');
    CDelimitedRow row;
    while (reader.Next(row)) {
      table.columnCount = std::max(table.columnCount, row.fields.size());
      table.rows.push_back(row);
    }
    return table;
  };
  using T = EColumnType;
  const struct {
    const char* name;
    const char* text;
    std::size_t firstRow;
    std::vector<EColumnType> types;
  } cases[] = {
      {"preamble",
       "Musterbank\nKonto;DE12 3456\nZeitraum;01.01.2026 - 31.01.2026\n"
       "Datum;Text;Betrag\n02.01.2026;Miete;-450,00\n05.01.2026;Gehalt;2.500,00\n"
       "07.01.2026;Strom;-60,00\n",
       5,
       {T::kDate, T::kDescription, T::kSum}},
      {"bad dates",
       "Date;Text;Sum\n2026-01-01;a;1\n2026-01-02;b;2\nsoon;c;3\n2026-01-04;d;4\n"
       "later;e;5\n2026-01-06;f;6\n2026-01-07;g;7\n?;h;8\n2026-01-09;i;9\n"
       "2026-01-10;j;10\n2026-01-11;k;11\n",
       2,
       {T::kDate, T::kDescription, T::kSum}},
      {"two texts",
       "Date;Payee;Purpose;Sum;Currency\n2026-01-02;ACME;Invoice 7 for January;-5;EUR\n"
       "2026-01-03;Bolt;Ride home;-7;EUR\n2026-01-04;Shop;Bread and milk;-3;EUR\n",
       2,
       {T::kDate, T::kNotes, T::kDescription, T::kSum, T::kNone}},
  };
  for (const auto& c : cases) {
    const CSourceTable table = tableOf(c.text);
    const std::size_t first = GuessFirstRow(table);
    EXPECT_EQ(first, c.firstRow) << c.name;
    std::vector<EColumnType> types;
    for (const CColumnFormat& f : SuggestColumns(table, first, EDateOrder::kYmd, '.'))
      types.push_back(f.type);
    EXPECT_EQ(types, c.types) << c.name;
  }
}

// Two amount columns each row fills one of are a debit and a credit column
// when their header names either; else both stay signed Sum columns, and
// DebitCreditUndecided says so.
TEST(StatementDetection, DebitAndCreditColumnsAreNamedByTheirHeaderOrLeftOpen) {
  const struct {
    const char* out;  // the header of the column holding 450 (money out)
    const char* in;   // of the one holding 2000
    bool named;
  } cases[] = {
      {"Debit", "Credit", true},
      {"Paid out", "Paid in", true},
      {"Withdrawals", "Deposits", true},
      {"Amount out", "Amount in", true},
      {"Soll in EUR", "Haben in EUR", true},
      {"Zahlungsausgang", "Zahlungseingang", true},
      {"D\xC3\x89"
       "BIT",
       "Cr\xC3\xA9"
       "dit",
       true},
      {"Retiros", "Ingresos", true},
      {"Cargo", "Amount", true},  // one name is enough
      {"Amount", "Abono", true},
      {"Betrag 1", "Betrag 2", false},
      {"Guthaben", "Saldo", false},  // "haben" only as a word of its own
  };
  for (const auto& c : cases)
    for (const bool outFirst : {true, false}) {
      CSourceTable table;
      table.columnCount = 4;
      auto row = [&](std::vector<std::string> fields) {
        if (!outFirst) std::swap(fields[2], fields[3]);
        table.rows.push_back({fields, table.rows.size() + 1});
      };
      row({"Date", "Text", c.out, c.in});
      row({"2026-01-13", "Rent", "450.00", ""});
      row({"2026-01-14", "Salary", "", "2000.00"});
      row({"2026-01-15", "Fee", "0.00", "1.00"});
      const auto columns = SuggestColumns(table, 2, EDateOrder::kYmd, '.');
      const std::size_t out = outFirst ? 2 : 3, in = outFirst ? 3 : 2;
      ASSERT_EQ(columns[out].type, EColumnType::kSum) << c.out;
      ASSERT_EQ(columns[in].type, EColumnType::kSum) << c.in;
      EXPECT_EQ(columns[out].role, c.named ? ESumRole::kDebit : ESumRole::kSigned) << c.out;
      EXPECT_EQ(columns[in].role, c.named ? ESumRole::kCredit : ESumRole::kSigned) << c.in;
      std::size_t first = 0, second = 0;
      EXPECT_EQ(DebitCreditUndecided(table, 2, columns, first, second), !c.named) << c.out;
    }
}

}  // namespace
