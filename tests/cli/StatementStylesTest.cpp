// Bank statements in the styles banks write them, imported by detection
// alone (only the account given): each stores exactly the days, signed
// amounts and texts it holds, or asks what it does not tell.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "CliTestUtil.h"

namespace {

// A day, the amount for the account in ten-thousandths (money out
// negative) and the description.
using Row = std::tuple<std::string, long long, std::string>;

// UTF-16 with its byte-order mark, as spreadsheets save "Unicode text".
std::string Utf16(std::u16string_view text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

std::vector<Row> Stored(const Json& transactions, std::uint32_t account) {
  std::vector<Row> rows;
  for (const Json& t : transactions) {
    const bool out = t["from"] == account;
    rows.emplace_back(t["date"].get<std::string>(),
                      out ? -t["amountOut"].get<long long>() : t["amountIn"].get<long long>(),
                      t["description"].get<std::string>());
  }
  return rows;
}

TEST(StatementStyles, EachStyleIsReadByDetectionAlone) {
  const std::vector<Row> rentAndSalary = {{"2026-01-13", -4500000, "Rent"},
                                          {"2026-01-14", 20000000, "Salary"}};
  const std::vector<Row> mieteUndGehalt = {{"2026-01-13", -4500000, "Miete"},
                                           {"2026-01-14", 20000000, "Gehalt"}};
  const std::vector<Row> baecker = {{"2026-01-13", -34500,
                                     "B\xC3\xA4"
                                     "cker"},
                                    {"2026-01-14", 50000, "Caf\xC3\xA9 \xE2\x82\xAC"}};
  const struct {
    const char* name;
    std::string bytes;
    std::vector<Row> rows;  // stored, in the file's order
    int exitCode = 0;
    const char* says = "";               // in the report or on standard error
    std::vector<std::string> args = {};  // given besides the account
  } cases[] = {
      {"signed amounts",
       "Date,Description,Amount\n2026-01-13,Rent,-450.00\n2026-01-14,Salary,2000\n", rentAndSalary},
      {"paid out / paid in, a balance beside",
       "Date,Details,Paid out,Paid in,Balance\n13/01/2026,Rent,450.00,,1550.00\n"
       "14/01/2026,Salary,,2000.00,3550.00\n",
       rentAndSalary},
      {"a Saldo column before the amount: the books agree with the bank",
       "Datum;Saldo;Betrag;Text\n13.01.2026;-450,00;-450,00;Miete\n"
       "14.01.2026;1.550,00;2.000,00;Gehalt\n",
       mieteUndGehalt, 0, R"("bank": 15500000,
    "books": 15500000,
    "difference": 0)"},
      {"Soll / Haben, 0,00 in the other column",
       "Buchungstag;Verwendungszweck;Soll;Haben\n13.01.2026;Miete;450,00;0,00\n"
       "14.01.2026;Gehalt;0,00;2.000,00\n",
       mieteUndGehalt},
      {"DR / CR marks",
       "Date,Description,Amount,Dr/Cr\n2026-01-13,Rent,450.00,DR\n2026-01-14,Salary,2000.00,cr\n",
       rentAndSalary},
      {"S / H marks",
       "Datum;Text;Betrag;S/H\n13.01.2026;Miete;450,00;S\n14.01.2026;Gehalt;2.000,00;H\n",
       mieteUndGehalt},
      {"Débit / Crédit marks",
       "Date;Libell\xC3\xA9;Montant;Sens\n13/01/2026;Loyer;450,00;D\xC3\xA9"
       "bit\n14/01/2026;Salaire;2 000,00; CR\xC3\x89"
       "DIT \n",
       {{"2026-01-13", -4500000, "Loyer"}, {"2026-01-14", 20000000, "Salaire"}}},
      {"D / H marks",
       "Fecha;Concepto;Importe;D/H\n13/01/2026;Alquiler;450,00;D\n14/01/2026;N\xC3\xB3"
       "mina;2.000,00;H\n",
       {{"2026-01-13", -4500000, "Alquiler"}, {"2026-01-14", 20000000, "N\xC3\xB3mina"}}},
      {"an empty mark is refused",
       "Date,Description,Amount,D/C\n2026-01-13,Rent,450.00,D\n2026-01-14,Salary,2000.00,C\n"
       "2026-01-15,Unknown,5.00,\n",
       rentAndSalary},
      {"parentheses", "Date,Description,Amount\n2026-01-13,Rent,(450.00)\n2026-01-14,Salary,2000\n",
       rentAndSalary},
      {"trailing minus",
       "Datum;Text;Betrag\n13.01.2026;Miete;450,00-\n14.01.2026;Gehalt;2.000,00\n", mieteUndGehalt},
      {"currency signs and codes, comma decimals",
       "Datum;Text;Betrag\n13.01.2026;Miete;-450,00 EUR\n14.01.2026;Gehalt;\xE2\x82\xAC 2.000,00\n"
       "15.01.2026;Bonus;12,50 EUR\n",
       {{"2026-01-13", -4500000, "Miete"},
        {"2026-01-14", 20000000, "Gehalt"},
        {"2026-01-15", 125000, "Bonus"}}},
      {"currency signs and codes, point decimals",
       "Date,Description,Amount\n2026-01-13,Rent,USD -450.00\n2026-01-14,Salary,$2000.00\n"
       "2026-01-15,Fee,-$12.00\n",
       {{"2026-01-13", -4500000, "Rent"},
        {"2026-01-14", 20000000, "Salary"},
        {"2026-01-15", -120000, "Fee"}}},
      {"a preamble before the header",
       "Musterbank\nKonto;DE12 3456 7890\nZeitraum;01.01.2026 - 31.01.2026\n\n"
       "Datum;Text;Betrag\n13.01.2026;Miete;-450,00\n14.01.2026;Gehalt;2.000,00\n",
       mieteUndGehalt},
      {"multi-line quoted fields",
       "Date,Description,Amount\n2026-01-13,\"Rent\r\nJanuary, flat 2\",-450.00\n"
       "2026-01-14,\"Salary \"\"ACME\"\"\",2000.00\n",
       {{"2026-01-13", -4500000, "Rent\r\nJanuary, flat 2"},
        {"2026-01-14", 20000000, "Salary \"ACME\""}}},
      {"UTF-8 with a byte-order mark",
       "\xEF\xBB\xBF"
       "Datum;Text;Betrag\n13.01.2026;B\xC3\xA4"
       "cker;-3,45\n14.01.2026;Caf\xC3\xA9 \xE2\x82\xAC;5,00\n",
       baecker},
      {"UTF-16LE",
       Utf16(u"Datum\tText\tBetrag\r\n13.01.2026\tB\u00E4cker\t-3,45\r\n"
             u"14.01.2026\tCaf\u00E9 \u20AC\t5,00\r\n",
             true),
       baecker},
      {"UTF-16BE",
       Utf16(u"Datum;Text;Betrag\n13.01.2026;B\u00E4cker;-3,45\n"
             u"14.01.2026;Caf\u00E9 \u20AC;5,00\n",
             false),
       baecker},
      {"Windows-1252",
       "Datum;Text;Betrag\n13.01.2026;B\xE4"
       "cker;-3,45\n14.01.2026;Caf\xE9 \x80;5,00\n",
       baecker},
      {"ISO-8859-1",
       "Date;Libell\xE9;Montant\n13/01/2026;Cr\xE8me br\xFBl\xE9"
       "e;-3,45\n14/01/2026;Remboursement;5,00\n",
       {{"2026-01-13", -34500,
         "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
         "e"},
        {"2026-01-14", 50000, "Remboursement"}}},
      {"the money-out mark given",
       "Date,Description,Amount,D/C\n2026-01-13,Rent,450.00,C\n2026-01-14,Salary,2000.00,D\n",
       rentAndSalary,
       0,
       "",
       {"--out-mark", " c "}},
      {"a row filling both debit and credit",
       "Date,Description,Out,In\n2026-01-13,Rent,450.00,\n2026-01-14,Salary,,2000.00\n"
       "2026-01-15,Odd,1.00,2.00\n",
       rentAndSalary,
       0,
       "both the debit and the credit column hold an amount",
       {"--columns", "date,description,debit,credit"}},
      {"a money-out mark without marks",
       "Date,Description,Amount\n2026-01-13,Rent,-450.00\n",
       {},
       2,
       "--out-mark wants a column",
       {"--out-mark", "D"}},
      // What the file does not tell is asked, not guessed.
      {"amount columns the header does not name",
       "Date,Description,Amount 1,Amount 2\n2026-01-13,Rent,450.00,\n2026-01-14,Salary,,2000\n",
       {},
       2,
       "--columns date,description,debit,credit"},
      {"dates in either order",
       "Date,Description,Amount\n01/02/2026,Rent,-450\n03/04/2026,Salary,2000\n",
       {},
       2,
       "--date-order"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string db = TempFile("styles" + std::to_string(++n) + ".vlt");
    ASSERT_EQ(RunCli({"create", db}).exitCode, 0);
    const CliResult account = RunCli({"add-account", db, R"({"name": "Bank", "currency": 102})"});
    ASSERT_EQ(account.exitCode, 0) << account.err;
    const auto bank = Json::parse(account.out)["id"].get<std::uint32_t>();
    const std::string statement = TempFile("statement" + std::to_string(n) + ".csv");
    std::ofstream(statement, std::ios::binary) << c.bytes;
    std::vector<std::string> args = {"import", db, statement, "--account", std::to_string(bank)};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err << r.out;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(Stored(Dump(db)["transactions"], bank), c.rows) << c.name << "\n" << r.out;
  }
}

}  // namespace
