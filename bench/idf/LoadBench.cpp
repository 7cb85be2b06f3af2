// Loading speed of the IDF reader on generated boards: bytes and lines per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "CommonObjects/IDFfile.h"
#include "bench/idf/IdfGenerator.h"

namespace {
struct TPair {
  std::string Board, Library;
  std::size_t Bytes = 0, Lines = 0;
};

const TPair& PairFor(int holes) {
  static std::map<int, TPair> cache;
  auto it = cache.find(holes);
  if (it != cache.end()) return it->second;
  const auto dir = std::filesystem::temp_directory_path() / "idf-load-bench";
  std::filesystem::create_directories(dir);
  TIdfGeneratorOptions o;
  o.Holes = holes;
  o.Placements = holes / 5;
  o.Packages = 50;
  TPair p;
  p.Board = WriteIdfPair(o, dir.string(), "bench" + std::to_string(holes));
  p.Library = p.Board.substr(0, p.Board.size() - 4) + ".emp";
  for (const auto& f : {p.Board, p.Library}) {
    std::ifstream in(f, std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    p.Bytes += s.size();
    for (char c : s) p.Lines += c == '\n';
  }
  return cache[holes] = p;
}
}  // namespace

static void BM_LoadFiles(benchmark::State& state) {
  const TPair& p = PairFor(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TIDFfile f;
    f.OutputUnits = utCM;
    f.IgnoreRegionalDecPoint = true;
    f.SetDecimalSep();
    f.BoardFile = TFilePath::Split(p.Board);
    f.LibFile = TFilePath::Split(p.Library);
    if (!f.LoadFiles()) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(f.SectionCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.Bytes));
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * p.Lines), benchmark::Counter::kIsRate);
  state.counters["MB"] = static_cast<double>(p.Bytes) / 1e6;
}
BENCHMARK(BM_LoadFiles)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
