// The commands that make one change: what they store reads back exactly as
// `dump` shows it, input that is not valid changes nothing, and a write that
// fails is reported as a failure.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CliTestUtil.h"

namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A new database (currencies 101 and 102, account 103) with a category, a
// second account, a transaction and a planned transaction added through the
// commands under test.
class EditTest : public testing::Test {
 protected:
  void SetUp() override {
    file = TempFile("edit.vlt");
    ASSERT_EQ(RunCli({"create", file}).exitCode, 0);
    food = Add("add-subtype", {{"name", "Food"}, {"parent", 2}, {"showQuantity", true}});
    fruit = Add("add-subtype", {{"name", "Fruit"}, {"parent", food}});
    bank = Add("add-account", kAccount);
    transaction = Add("add-transaction", Transaction());
    planned = Add("add-planned", Planned());
  }

  // Runs an add or edit command with `input`; the id it prints.
  std::uint32_t Add(const std::string& command, const Json& input) {
    CliResult r = RunCli({command, file, input.dump()});
    EXPECT_EQ(r.exitCode, 0) << command << " " << input.dump() << ": " << r.err;
    Json out = Json::parse(r.out, nullptr, false);
    return out.is_object() ? out.value("id", 0u) : 0;
  }

  Json Transaction() const {
    return {{"date", "2024-05-10T13:45:30"},
            {"from", bank},
            {"to", 0},
            {"amountOut", 123456},
            {"amountIn", 123456},
            {"quantity", 2.5},
            {"member", 0},
            {"category", fruit},
            {"section", 0},
            {"description", "Äpfel \"frisch\""},
            {"comment", "line one\nline two"}};
  }
  Json Planned() const {
    Json p = Transaction();
    p["date"] = "2024-05-01";
    p["schedule"] = {{"kind", 3},
                     {"lastProcessed", "2024-05-15"},
                     {"onceDate", "2024-06-01"},
                     {"period", 0},
                     {"weekdays", {1, 0, 1, 0, 1, 0, 0}}};
    return p;
  }
  const Json kAccount = {
      {"name", "Bank"},
      {"currency", 102},
      {"comment", "salary"},
      {"budget",
       {{"enabled", true}, {"from", "2024-05-01"}, {"to", "2024-05-31"}, {"sum", 5000000}}}};

  std::string file;
  std::uint32_t food = 0, fruit = 0, bank = 0, transaction = 0, planned = 0;
};

// Every field given is shown by `dump` exactly as given.
void ExpectFields(const Json& shown, const Json& given) {
  ASSERT_TRUE(shown.is_object()) << given.dump();
  for (const auto& [key, value] : given.items()) EXPECT_EQ(shown[key], value) << key;
}

TEST_F(EditTest, AddedItemsReadBackExactlyAsGiven) {
  const Json d = Dump(file);
  ExpectFields(ById(d["subtypes"], food),
               {{"name", "Food"}, {"parent", 2}, {"showQuantity", true}});
  ExpectFields(ById(d["accounts"], bank), kAccount);
  ExpectFields(ById(d["transactions"], transaction), Transaction());
  ExpectFields(ById(d["planned"], planned), Planned());
}

TEST_F(EditTest, EditChangesOnlyTheFieldsGivenAndInputMayComeOnStdin) {
  CliResult r = RunCliAfter("printf '%s' '{\"id\": " + std::to_string(transaction) +
                                ", \"comment\": \"changed\", \"amountIn\": 99}' | ",
                            {"edit-transaction", file});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Json::parse(r.out), (Json{{"id", transaction}}));
  Json want = Transaction();
  want["comment"] = "changed";
  want["amountIn"] = 99;
  ExpectFields(ById(Dump(file)["transactions"], transaction), want);

  Add("edit-planned", {{"id", planned}, {"schedule", {{"kind", 4}, {"period", 115}}}});
  const Json schedule = ById(Dump(file)["planned"], planned)["schedule"];
  EXPECT_EQ(schedule["kind"], 4);
  EXPECT_EQ(schedule["period"], 115);
  EXPECT_EQ(schedule["lastProcessed"], "2024-05-15");
}

TEST_F(EditTest, DeleteRemovesOneItem) {
  const Json before = Dump(file);
  for (const auto& [command, id, table] :
       {std::tuple{"delete-transaction", transaction, "transactions"},
        {"delete-planned", planned, "planned"},
        {"delete-account", bank, "accounts"}}) {
    CliResult r = RunCli({command, file, std::to_string(id)});
    ASSERT_EQ(r.exitCode, 0) << command << ": " << r.err;
    const Json d = Dump(file);
    EXPECT_TRUE(ById(d[table], id).is_null()) << command;
    EXPECT_EQ(d[table].size() + 1, before[table].size()) << command;
  }
  // Without --with-children the children move up to the parent.
  ASSERT_EQ(RunCli({"delete-subtype", file, std::to_string(food)}).exitCode, 0);
  EXPECT_EQ(ById(Dump(file)["subtypes"], fruit)["parent"], 2);
  const std::uint32_t veg = Add("add-subtype", {{"name", "Veg"}, {"parent", fruit}});
  ASSERT_EQ(RunCli({"delete-subtype", file, std::to_string(fruit), "--with-children"}).exitCode, 0);
  EXPECT_TRUE(Dump(file)["subtypes"].empty()) << veg;
}

TEST_F(EditTest, InvalidInputIsRefusedAndNothingStored) {
  const std::string t = std::to_string(transaction);
  const std::string f = std::to_string(fruit);
  const std::string b = std::to_string(bank);
  const std::string tx = R"("from": )" + b + ", ";
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"add-transaction", "{\"from\": 103"}, "not valid JSON"},
      {{"add-transaction", "[1]"}, "one JSON object"},
      {{"add-transaction", R"({"from": 103, "from": 103})"}, R"("from" is given twice)"},
      {{"add-transaction", R"({"from": 103, "colour": "red"})"}, R"(unknown field "colour")"},
      {{"add-transaction", R"({"id": 5, "from": 103})"}, "gets its id from the database"},
      {{"add-transaction", "{" + tx + R"("amountOut": -1})"}, "whole number from 0"},
      {{"add-transaction", "{" + tx + R"("amountOut": 1.5})"}, "whole number from 0"},
      {{"add-transaction", "{" + tx + R"("amountOut": 1e30})"}, "whole number from 0"},
      {{"add-transaction", "{" + tx + R"("amountIn": 9223372036854775808})"}, "whole number"},
      {{"add-transaction", "{" + tx + R"("quantity": 0.123456789})"}, "0.12345679"},
      {{"add-transaction", "{" + tx + R"("quantity": 1e39})"}, "out of range"},
      {{"add-transaction", "{" + tx + R"("date": "2024-02-30"})"}, "wants a date"},
      {{"add-transaction", "{" + tx + R"("date": " 024-01-01"})"}, "wants a date"},
      {{"add-transaction", "{" + tx + R"("date": "2024-01-01T24:00:00"})"}, "wants a date"},
      {{"add-transaction", "{" + tx + R"("date": "2024-01-01T12-00-00"})"}, "wants a date"},
      {{"add-transaction", "{" + tx + R"("date": "1899-12-30"})"}, "year from 1900"},
      {{"add-transaction", "{" + tx + R"("description": "a\u0000b"})"}, "zero character"},
      {{"add-transaction", "{" + tx + R"("comment": ")" + std::string(65536, 'x') + "\"}"},
       "at most 65535 bytes"},
      {{"add-transaction", R"({"amountOut": 5})"}, R"(account in "from" or "to")"},
      {{"add-transaction", R"({"from": 999})"}, "there is no account 999"},
      {{"add-transaction", "{" + tx + R"("category": 999})"}, "there is no subtype 999"},
      {{"add-planned", "{" + tx + R"("schedule": {"kind": 5}})"}, "whole number from 0 to 4"},
      {{"add-planned", "{" + tx + R"("schedule": {"weekdays": [1, 0]}})"}, "7 flags"},
      {{"add-planned", "{" + tx + R"("schedule": {"kind": 4, "period": 50}})"}, "day 1 to 31"},
      {{"add-planned", "{" + tx + R"("schedule": {"kind": 2}})"}, "period of 1 day"},
      {{"add-account", R"({"name": "X", "currency": 7})"}, "there is no currency 7"},
      {{"add-account", R"({"currency": 101})"}, R"(needs a "name")"},
      {{"edit-account", R"({"id": )" + b + R"(, "balance": 5})"}, "computed, not stored"},
      {{"add-subtype", R"({"name": "X"})"}, R"(needs a "parent")"},
      {{"add-subtype", R"({"name": "X", "parent": 999})"}, "no subtype 999"},
      {{"edit-subtype", R"({"id": )" + f + R"(, "parent": )" + f + "}"}, "inside itself"},
      {{"edit-transaction", R"({"comment": "x"})"}, R"(no "id")"},
      {{"edit-transaction", R"({"id": 999})"}, "no transaction 999"},
      {{"delete-transaction", "999"}, "no transaction 999"},
      {{"delete-planned", "12x"}, "whole number above 0"},
      {{"delete-account", b}, "is used by 2 transactions"},
      {{"delete-subtype", f, "--all"}, "FILE and ID [--with-children]"},
  };
  const std::string bytes = Bytes(file);
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin() + 1, file);
    CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args[2];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << args[2] << "\n" << r.err;
    EXPECT_NE(r.err.find("nothing stored"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(Bytes(file), bytes);
}

TEST_F(EditTest, FailedWriteExitsNonZeroAndKeepsTheFile) {
  const Json before = Dump(file);
  // The file may not grow: appending a record fails as on a full disk.
  const std::string limit =
      "trap '' XFSZ; ulimit -f " + std::to_string(Bytes(file).size() / 512) + "; ";
  CliResult r = RunCliAfter(limit, {"add-transaction", file, Transaction().dump()});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("could not be stored"), std::string::npos) << r.err;
  Json after = Dump(file);
  EXPECT_EQ(after["transactions"], before["transactions"]);
}

// A transfer across currencies exports both its amounts and currencies; the
// field names take blanks, '-' or '_' between their words.
TEST_F(EditTest, ExportFieldsCarryBothSidesOfATransfer) {
  Add("add-transaction", {{"date", "2024-05-11"},
                          {"from", 103},
                          {"to", bank},
                          {"amountOut", 1000000},
                          {"amountIn", 925000},
                          {"description", "To the bank"}});
  struct Case {
    const char* fields;
    int exitCode;
    const char* out;
  } const cases[] = {
      {"description,sum,currency,amount-in,Currency_in", 0,
       "Description,Sum,Currency,Amount in,Currency in\r\n"
       "\"\xc3\x84pfel \"\"frisch\"\"\",-12.3456,\xe2\x82\xac,,\r\n"
       "To the bank,-100.00,$,92.50,\xe2\x82\xac\r\n"},
      {"sum,amount out", 2, ""},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli(
        {"export", file, "--from", "2024-05-10", "--to", "2024-05-11", "--fields", c.fields});
    EXPECT_EQ(r.exitCode, c.exitCode) << c.fields << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.fields;
  }
}

// An import that reads nothing fails with the reason; one whose rows are all
// stored already succeeds; UTF-16 (as spreadsheets save "Unicode text") and
// spreadsheets themselves are told apart.
TEST_F(EditTest, ImportFailsWhenItReadsNothingAndReadsUtf16) {
  std::string utf16 = "\xFF\xFE";  // little endian, with its byte-order mark
  for (char ch : std::string("Date;Amount\n03.01.2026;-12,50\n04.01.2026;-3,00\n"))
    utf16 += {ch, '\0'};
  const struct {
    const char* name;
    std::string bytes;
    int exitCode;
    const char* says;  // on standard error
  } cases[] = {
      {"empty.csv", "", 1, "holds no rows"},
      {"refused.csv", "Date;Sum\nsoon;12\nlater;13\n", 1, "none of the 2 rows"},
      {"book.xlsx", "PK\x03\x04", 1, "it looks like a spreadsheet"},
      {"us.csv", "Date,Amount\n01/02/2026,-5.00\n03/04/2026,-6.00\n", 2, "--date-order"},
      {"paper.pdf", "%PDF-1.4\n", 1, "it looks like a PDF"},
      {"nul.csv", std::string("Date;Sum\n03.01.2026;1\0\0\0", 24), 1, "a binary file"},
      {"wide.csv", "Date;Sum\n03.01.2026;-1" + std::string(100000, ';'), 1, "none of the 1 rows"},
      {"line.csv", std::string(5'000'000, 'x'), 1, "none of the 1 rows"},
      {"u16.csv", utf16, 0, ""},
      {"u16.csv", utf16, 0, ""},  // again: every row a duplicate
  };
  for (const auto& c : cases) {
    const std::string statement = TempFile(c.name);
    std::ofstream(statement, std::ios::binary) << c.bytes;
    const CliResult r = RunCli({"import", file, statement, "--account", std::to_string(bank)});
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
  }
  const CliResult folder =
      RunCli({"import", file, TempFile(""), "--account", std::to_string(bank)});
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_NE(folder.err.find("is a folder"), std::string::npos) << folder.err;
  const Json imported = Dump(file)["transactions"];
  ASSERT_EQ(imported.size(), 3u);  // the one added at the start, the UTF-16 rows once
  EXPECT_EQ(imported[1]["amountOut"], 125000);
  EXPECT_EQ(imported[1]["date"], "2026-01-03");

  // "Paid out" / "Paid in" columns: a debit is money out whatever its sign.
  const std::string paid = TempFile("paid.csv");
  std::ofstream(paid, std::ios::binary) << "Day;Payee;Paid out;Paid in\n2026-02-01;Rent;450.00;\n"
                                           "2026-02-02;Salary;;2000.00\n";
  const CliResult r = RunCli({"import", file, paid, "--account", std::to_string(bank), "--columns",
                              "date,description,debit,credit"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Json all = Dump(file)["transactions"];
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(std::make_pair(all[3]["from"], all[3]["amountOut"]),
            std::make_pair(Json(bank), Json(4500000)));
  EXPECT_EQ(std::make_pair(all[4]["to"], all[4]["amountIn"]),
            std::make_pair(Json(bank), Json(20000000)));
}

// The report of a statement with a Balance column: the bank's balance
// beside the books', the row that explains the difference, added ids as
// ranges unless --ids asks for the list.
TEST_F(EditTest, ImportReportsTheStatementBalance) {
  const std::string statement = TempFile("balance.csv");
  std::ofstream(statement, std::ios::binary)
      << "Date;Text;Amount;Balance\n2026-03-01;Shop;-10.00;-10.00\n2026-03-02;Pay;x;90.00\n"
         "2026-03-03;Shop;-5.00;85.00\n";
  const std::string account = std::to_string(bank);
  CliResult r = RunCli({"import", file, statement, "--account", account, "--columns",
                        "date,description,sum,balance", "--dry-run"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Json report = Json::parse(r.out);
  EXPECT_EQ(report["format"], "CSV");
  EXPECT_EQ(report["statementBalance"],
            Json::parse(R"({"date": "2026-03-03", "bank": 850000, "books": -273456,
                            "difference": 1123456, "lines": [3]})"));
  EXPECT_NE(r.err.find("differs from the books by 112.3456"), std::string::npos) << r.err;
  for (const bool list : {false, true}) {
    std::vector<std::string> args = {"import",
                                     file,
                                     statement,
                                     "--account",
                                     account,
                                     "--columns",
                                     "date,description,sum,balance",
                                     "--include-duplicates"};
    if (list) args.push_back("--ids");
    r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    report = Json::parse(r.out);
    EXPECT_EQ(report["added"].is_array(), list) << report["added"];
    EXPECT_EQ(report["stored"], 2);
  }
}

}  // namespace
