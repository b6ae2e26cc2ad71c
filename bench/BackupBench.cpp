// Automatic backups of a 100 MB database: the part the window waits for
// (the copy of the bytes into a temporary file, inside the kernel), the part
// that runs on the backup thread (sync, rename, trimming), and counting a
// backup's transactions for the database manager's list.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "Backups.h"
#include "Records.h"

namespace {

std::string BenchFile(const std::string& name) {
  return std::string(PARDOW_BENCH_DIR) + "/" + name;
}

// A database of 1,500,000 transactions (about 100 MB), written record by
// record on first use.
constexpr std::uint32_t kTransactions = 1'500'000;

std::string Database() {
  const std::string path = BenchFile("backup-100mb.vlt");
  if (access(path.c_str(), R_OK) == 0) return path;
  std::ofstream out(path + ".part", std::ios::binary);
  FileHeader header;
  header.nextItemId = 200 + kTransactions;
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  std::vector<char> record(sizeof(RecordHeader) + sizeof(TransactionRecord));
  for (std::uint32_t i = 0; i < kTransactions; ++i) {
    RecordHeader head;
    head.type = kTransactionRecord;
    head.id = 200 + i;
    head.size = sizeof(TransactionRecord);
    TransactionRecord data;
    data.date = 42000 + i % 3650;
    data.fromAccount = 103;
    data.amountOut = data.amountIn = 10000 + i % 977;
    std::memcpy(record.data(), &head, sizeof head);
    std::memcpy(record.data() + sizeof head, &data, sizeof data);
    out.write(record.data(), static_cast<std::streamsize>(record.size()));
  }
  out.close();
  std::rename((path + ".part").c_str(), path.c_str());
  return path;
}

std::string Folder() {
  const std::string folder = BenchFile("backups/");
  std::filesystem::remove_all(folder);
  return folder;
}

// What the window waits for before the first change is written.
void BM_BackupStart100MB(benchmark::State& state) {
  const std::string path = Database(), folder = Folder();
  std::string error;
  for (auto _ : state) {
    std::unique_ptr<CPendingBackup> backup =
        StartBackup(path, folder, {}, std::chrono::system_clock::now(), error);
    if (!backup) state.SkipWithError(error.c_str());
    state.PauseTiming();
    backup.reset();  // throws the copy away
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_BackupStart100MB)->Unit(benchmark::kMillisecond)->Iterations(10);

// What the backup thread does afterwards: sync, rename, trim to 3 backups.
void BM_BackupFinish100MB(benchmark::State& state) {
  const std::string path = Database(), folder = Folder();
  TBackupPolicy policy;
  policy.keep = 3;
  std::string error;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<CPendingBackup> backup =
        StartBackup(path, folder, policy, std::chrono::system_clock::now(), error);
    state.ResumeTiming();
    if (!backup || backup->Finish(error).empty()) state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_BackupFinish100MB)->Unit(benchmark::kMillisecond)->Iterations(5);

// One row of the database manager's list: the transactions of a backup.
void BM_ScanBackupCounts100MB(benchmark::State& state) {
  const std::string path = Database();
  for (auto _ : state) benchmark::DoNotOptimize(ScanBackupCounts(path).transactions);
}
BENCHMARK(BM_ScanBackupCounts100MB)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
