// Import and export at scale: the preview of a 100 MB statement, importing
// 1,000,000 rows into an empty database, and exporting 1,000,000
// transactions as CSV and as a journal.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "BenchData.h"
#include "Exporter.h"
#include "Importer.h"
#include "Rules.h"

namespace {

std::string BenchFile(const std::string& name) {
  return std::string(PARDOW_BENCH_DIR) + "/" + name;
}

// A bank statement of `rows` rows (about 60 bytes each): a header, day-first
// dates, quoted descriptions, comma decimals. Written on first use.
std::string Statement(std::size_t rows) {
  const std::string path = BenchFile("statement-" + std::to_string(rows) + ".csv");
  if (access(path.c_str(), R_OK) == 0) return path;
  std::ofstream out(path + ".part", std::ios::binary);
  out << "Datum;Verwendungszweck;Betrag;Kategorie\r\n";
  char line[160];
  for (std::size_t i = 0; i < rows; ++i) {
    const CivilDate d = DecodeDate(EncodeDate(2015, 1, 1) + static_cast<double>(i % 3650));
    std::snprintf(line, sizeof line,
                  "%02u.%02u.%04d;\"Payment %zu; card\";-%zu,%02zu;Food:Shop %zu\r\n", d.day,
                  d.month, d.year, i, 1 + i % 977, i % 100, i % 20);
    out << line;
  }
  out.close();
  std::rename((path + ".part").c_str(), path.c_str());
  return path;
}

// The statement that holds 100 MB.
constexpr std::size_t kPreviewRows = 1'700'000;

void BM_Preview100MB(benchmark::State& state) {
  const std::string path = Statement(kPreviewRows);
  for (auto _ : state) {
    CSourceTable table;
    std::string error, head;
    ReadFileBytes(path, 64 * 1024, head, error);
    CReadOptions read;
    read.encoding = DetectEncoding(head);
    read.separator = DetectSeparator(head);
    read.maxRows = 101;
    ReadDelimitedFile(path, read, table, error);
    const std::size_t first = GuessFirstRow(table);
    benchmark::DoNotOptimize(SuggestColumns(table, first, EDateOrder::kYmd, '.').size());
  }
}
BENCHMARK(BM_Preview100MB)->Unit(benchmark::kMillisecond);

void BM_Import1M(benchmark::State& state) {
  const std::string path = Statement(1'000'000);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string db = BenchFile("import.vlt");
    std::remove(db.c_str());
    std::remove(CFitIdStore::PathFor(db).c_str());
    CDataBase base;
    base.Create(db);
    CAccountItem account;
    account.name = "Giro";
    account.record.currencyId = base.Currencies().begin() == base.Currencies().end()
                                    ? 0
                                    : (*base.Currencies().begin()).first;
    const std::uint32_t id = base.AddAccount(account);
    state.ResumeTiming();
    // As pardow-cli imports: the columns from the first rows, the rows in
    // pieces into one plan.
    CReadOptions read{';', ETextEncoding::kUtf8, 5000};
    CSourceTable sample;
    std::string error;
    ReadDelimitedFile(path, read, sample, error);
    CImportOptions options;
    options.account = id;
    options.kind = EImportKind::kAuto;
    options.createCategories = true;
    options.firstRow = 2;
    options.columns = SuggestColumns(sample, 2, EDateOrder::kDmy, ',');
    options.columns[3].type = EColumnType::kCategory;
    CFitIdStore fitIds(db);
    CImportPlan plan;
    CImportPlanner planner(base, options, fitIds);
    read.maxRows = 0;
    ReadDelimitedPieces(
        path, read, 65536,
        [&](const CSourceTable& piece, std::size_t first) { planner.Plan(piece, first, plan); },
        error);
    planner.Finish(sample.statement, plan);
    const CImportResult result = ApplyImport(base, plan, options, fitIds);
    if (!result.ok || result.transactions.size() != 1'000'000)
      state.SkipWithError(("import failed: " + result.error).c_str());
  }
  // The process's peak so far: the preview and this import (the database
  // the export benchmarks read is opened after them).
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_Import1M)->Unit(benchmark::kMillisecond)->Iterations(1);

// The database of 1,000,000 transactions the exports read, opened on first use.
CDataBase& ExportSource() {
  static CDataBase* db = [] {
    const std::string copy = BenchFile("export-source.vlt");
    CopyDatabase(LargeDatabase(1'000'000), copy);
    auto* opened = new CDataBase;
    opened->Open(copy);
    return opened;
  }();
  return *db;
}

void BM_ExportCsv1M(benchmark::State& state) {
  CExportOptions options;
  options.kind = EExportKind::kAll;
  options.begin = -1e9;
  options.end = 1e9;
  options.separator = ';';
  for (int f = 0; f < kExportFieldCount; ++f)
    options.fields.push_back(static_cast<EExportField>(f));
  const std::string out = BenchFile("export.csv");
  CDataBase& source = ExportSource();
  for (auto _ : state) {
    std::string error;
    if (!WriteFileAtomically(
            out, [&](std::ostream& o) { return WriteDelimited(source, options, o); }, error))
      state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_ExportCsv1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportJournal1M(benchmark::State& state) {
  const std::string out = BenchFile("export.journal");
  CDataBase& source = ExportSource();
  for (auto _ : state) {
    std::string error;
    if (!WriteFileAtomically(
            out, [&](std::ostream& o) { return WriteJournal(source, 1, 0, 0, o); }, error))
      state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_ExportJournal1M)->Unit(benchmark::kMillisecond)->Iterations(3);

// Categorizing the rows of a 1,000-row import against the stored
// transactions: learning from them (the larger part) and a proposal for
// every row.
void BM_Categorize1000(benchmark::State& state) {
  CDataBase& db = ExportSource();
  std::vector<std::pair<std::string, std::string>> rows;
  const std::size_t step = std::max<std::size_t>(1, db.Transactions().size() / 1000);
  std::size_t n = 0;
  for (auto [id, entry] : db.Transactions()) {
    if (n++ % step != 0) continue;
    CTransactionItem item;
    db.GetTransaction(id, item);
    rows.emplace_back(item.description + " 4711", item.comment);
  }
  std::size_t proposed = 0;
  for (auto _ : state) {
    const CCategoryLearner learner(db);
    for (const auto& [description, comment] : rows)
      proposed += learner.Propose({description, comment, 10000, true, 0}) ? 1 : 0;
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.counters["proposed"] = static_cast<double>(proposed) / state.iterations();
}
BENCHMARK(BM_Categorize1000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  SetClock(BenchToday());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
