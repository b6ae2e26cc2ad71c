// Moving in from another program: a GnuCash XML book of 100,000
// transactions (three bank accounts, twenty categories, one in ten a
// transfer, one in twenty of three splits) read and stored in a new
// database, balance check included.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Convert.h"
#include "GnuCash.h"

namespace {

std::string Account(const std::string& id, const std::string& name, const char* type,
                    const std::string& parent) {
  return "<gnc:account version=\"2.0.0\"><act:name>" + name + "</act:name><act:id type=\"guid\">" +
         id + "</act:id><act:type>" + type +
         "</act:type><act:commodity><cmdty:space>CURRENCY</cmdty:space><cmdty:id>EUR</cmdty:id>"
         "</act:commodity>" +
         (parent.empty() ? "" : "<act:parent type=\"guid\">" + parent + "</act:parent>") +
         "</gnc:account>\n";
}

std::string Split(const std::string& account, long long cents) {
  const std::string value = std::to_string(cents) + "/100";
  return "<trn:split><split:id type=\"guid\">s</split:id><split:reconciled-state>n"
         "</split:reconciled-state><split:value>" +
         value + "</split:value><split:quantity>" + value +
         "</split:quantity><split:account type=\"guid\">" + account +
         "</split:account></trn:split>";
}

const std::string& Book() {
  static const std::string book = [] {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<gnc-v2 xmlns:gnc=\"g\" xmlns:act=\"a\" "
        "xmlns:cmdty=\"c\" xmlns:split=\"s\" xmlns:trn=\"t\" xmlns:ts=\"ts\">\n<gnc:book>\n";
    xml +=
        "<gnc:account version=\"2.0.0\"><act:name>Root</act:name><act:id type=\"guid\">root"
        "</act:id><act:type>ROOT</act:type></gnc:account>\n";
    for (int i = 0; i < 3; ++i)
      xml += Account("bank" + std::to_string(i), "Bank " + std::to_string(i), "BANK", "root");
    xml += Account("expenses", "Expenses", "EXPENSE", "root");
    for (int i = 0; i < 20; ++i)
      xml += Account("cat" + std::to_string(i), "Category " + std::to_string(i), "EXPENSE",
                     "expenses");
    for (int i = 0; i < 100000; ++i) {
      const std::string bank = "bank" + std::to_string(i % 3);
      const long long cents = 100 + (i * 37) % 10000;
      xml +=
          "<gnc:transaction version=\"2.0.0\"><trn:id type=\"guid\">t</trn:id><trn:currency>"
          "<cmdty:space>CURRENCY</cmdty:space><cmdty:id>EUR</cmdty:id></trn:currency>"
          "<trn:date-posted><ts:date>20" +
          std::to_string(10 + i % 16) + "-0" + std::to_string(1 + i % 9) + "-1" +
          std::to_string(i % 10) +
          " 10:59:00 +0000</ts:date></trn:date-posted>"
          "<trn:description>Payee " +
          std::to_string(i % 500) + "</trn:description><trn:splits>" + Split(bank, -cents);
      if (i % 10 == 0)
        xml += Split("bank" + std::to_string((i + 1) % 3), cents);
      else if (i % 20 == 1)
        xml += Split("cat1", cents / 2) + Split("cat2", cents - cents / 2) + Split("cat3", 0);
      else
        xml += Split("cat" + std::to_string(i % 20), cents);
      xml += "</trn:splits></gnc:transaction>\n";
    }
    return xml + "</gnc:book>\n</gnc-v2>\n";
  }();
  return book;
}

void BM_ConvertGnuCash100k(benchmark::State& state) {
  const std::string& xml = Book();
  const std::string path = PARDOW_BENCH_DIR "/convert-bench.vlt";
  for (auto _ : state) {
    std::remove(path.c_str());
    const CForeignRead read = ReadGnuCash(xml);
    const CConvertResult result = ConvertBook(read.book, path, {});
    if (!read.ok || !result.ok) state.SkipWithError((read.ErrorText() + result.error).c_str());
    state.counters["transactions"] = static_cast<double>(result.transactions);
  }
  std::remove(path.c_str());
  state.counters["MB"] = static_cast<double>(xml.size()) / (1 << 20);
}
BENCHMARK(BM_ConvertGnuCash100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
