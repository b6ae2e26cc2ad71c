// Opening a database file of 1,000,000 transactions: time, and resident
// memory per transaction.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Adbengine.h"
#include "BenchData.h"

namespace {

constexpr int kTransactions = 1000000;

void BM_Open(benchmark::State& state) {
  const std::string path = LargeDatabase(kTransactions);
  for (auto _ : state) {
    CADBEngine db;
    if (!db.OpenFile(path)) state.SkipWithError("open failed");
    benchmark::DoNotOptimize(db.Transactions().size());
    state.PauseTiming();
    db.CloseFile();
    state.ResumeTiming();
  }
  state.counters["transactions"] = LargeDatabaseSize(kTransactions);
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Resident memory that an open adds, measured in a fresh process (this
// program started again with --measure-open) so that memory freed earlier in
// this process cannot hide it.
void BM_OpenResidentBytesPerTransaction(benchmark::State& state) {
  const std::string path = LargeDatabase(kTransactions);
  double perTransaction = 0;
  for (auto _ : state) {
    int fds[2];
    if (pipe(fds) != 0) state.SkipWithError("pipe");
    pid_t child = fork();
    if (child == 0) {
      dup2(fds[1], STDOUT_FILENO);
      execl("/proc/self/exe", "pardow_bench", "--measure-open", path.c_str(), nullptr);
      _exit(127);
    }
    close(fds[1]);
    long grown = 0;
    FILE* out = fdopen(fds[0], "r");
    if (std::fscanf(out, "%ld", &grown) != 1) state.SkipWithError("child failed");
    std::fclose(out);
    waitpid(child, nullptr, 0);
    perTransaction = static_cast<double>(grown) / LargeDatabaseSize(kTransactions);
  }
  state.counters["bytes_per_transaction"] = perTransaction;
}
BENCHMARK(BM_OpenResidentBytesPerTransaction)->Iterations(1)->Unit(benchmark::kMillisecond);

int MeasureOpen(const char* path) {
  long before = ResidentBytes();
  CADBEngine db;
  if (!db.OpenFile(path)) return 1;
  std::printf("%ld\n", ResidentBytes() - before);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--measure-open") return MeasureOpen(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
