// Reading GnuCash books: a book written by GnuCash itself (made with its
// Python bindings by tests/data/books/make_gnucash_books.py) converts with
// every balance as GnuCash states it; damaged and hostile files are refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <sstream>

#include "Convert.h"
#include "GnuCash.h"
#include "Omrindb.h"
#include "TempFolder.h"

namespace {

std::string BookBytes(const char* name = "gnucash-book.gnucash") {
  std::ifstream in(std::string(PARDOW_SOURCE_DIR "/tests/data/books/") + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Gzip(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size())) + 32;
  std::string out(size, '\0');
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// The same book saved by GnuCash as compressed XML and as SQLite.
class GnuCashBook : public testing::TestWithParam<const char*> {};

TEST_P(GnuCashBook, ConvertsWithTheBalancesGnuCashStates) {
  const CForeignRead read = ReadGnuCash(BookBytes(GetParam()));
  ASSERT_TRUE(read.ok) << read.ErrorText();
  const CForeignBook& book = read.book;
  // The category tree starts below GnuCash's Income and Expenses.
  std::map<std::string, bool> categories;
  for (const CForeignCategory& c : book.categories) categories[c.path] = c.income;
  EXPECT_EQ(categories, (std::map<std::string, bool>{
                            {"Salary", true}, {"Groceries", false}, {"Auto:Fuel", false}}));
  ASSERT_EQ(book.rates.size(), 1u);
  EXPECT_EQ(book.rates[0].from, "USD");
  EXPECT_DOUBLE_EQ(book.rates[0].rate, 0.92);
  ASSERT_EQ(book.notImported.size(), 2u);  // the stock account and the bank side of its purchase
  CTempFolder folder;
  const CConvertResult result = ConvertBook(book, folder.Path("moved.vlt"), {});
  ASSERT_TRUE(result.ok) << result.error;
  // The balances GnuCash itself gives for the book.
  const std::map<std::string, Money> gnucash = {{"Checking Account", 23543300},
                                                {"Cash in Wallet", 1876600},
                                                {"Dollar Account", 5400000},
                                                {"Credit Card", -1760500}};
  std::map<std::string, Money> stored;
  for (const CAccountCheck& check : result.checks) stored[check.name] = check.stored;
  EXPECT_EQ(stored, gnucash);
  // The three-split purchase is two parts against the checking account; the
  // transfer to the dollar account keeps both amounts.
  CDataBase db;
  ASSERT_TRUE(db.Open(folder.Path("moved.vlt")));
  std::size_t parts = 0, across = 0;
  for (auto [id, entry] : db.Transactions()) {
    CTransactionItem item;
    db.GetTransaction(id, item);
    parts += item.comment.find("of 2 of 'Garage and shop'") != std::string::npos;
    across += item.record.amountOut == 5000000 && item.record.amountIn == 5400000;
  }
  EXPECT_EQ(parts, 2u);
  EXPECT_EQ(across, 1u);
}
INSTANTIATE_TEST_SUITE_P(Files, GnuCashBook,
                         testing::Values("gnucash-book.gnucash", "gnucash-book.sqlite.gnucash"));

TEST(GnuCash, DamagedAndHostileFilesAreRefused) {
  const std::string book = BookBytes();
  std::string deep = "<gnc-v2>";
  for (int i = 0; i < 10000; ++i) deep += "<a>";
  struct Case {
    std::string bytes;
    const char* error;
  } const cases[] = {
      {book.substr(0, book.size() / 2), "The file is damaged or cut short."},
      {"<gnc-v2><gnc:book>", "Line 1: The file is damaged or cut short."},
      {"<?xml version=\"1.0\"?><!DOCTYPE gnc-v2 [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
       "\"&a;&a;&a;&a;&a;&a;&a;&a;\">]><gnc-v2>&b;</gnc-v2>",
       "The file declares a document type, which a GnuCash file does not."},
      {Gzip(std::string(3 << 20, ' ')), "The file unpacks to more than 2 MB"},
      {deep, "Line 1: The elements nest deeper than in a GnuCash file."},
      {"<html></html>", "This is not a GnuCash file."},
      {BookBytes("gnucash-book.sqlite.gnucash").substr(0, 8192), "The book's tables do not read."},
  };
  for (const Case& c : cases) {
    const CForeignRead read = ReadGnuCash(c.bytes, std::size_t{2} << 20);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.ErrorText().rfind(c.error, 0), 0u) << read.ErrorText();
  }
}

}  // namespace
