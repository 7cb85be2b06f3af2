// Loop building on board-sized inputs: a drilled-hole list (every hole a loop of its own) and
// one outline loop cut into many segments, shuffled and in mixed directions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "CommonObjects/PcbObjectList.h"

namespace {

void FillHoles(TBoardOutlineObjectList& l, int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> pos(0, 300);
  for (int i = 0; i < n; ++i)
    l.Add(std::make_shared<TOutlineObject>(etHole, 0, 0, 0, 0, pos(rng), pos(rng), 0.4, 0, 360, false));
}

void FillShuffledLoop(TBoardOutlineObjectList& l, int n, std::mt19937& rng) {
  std::vector<std::shared_ptr<TOutlineObject>> v;
  v.reserve(static_cast<std::size_t>(n));
  auto at = [n](int i) {
    const double a = 2 * kPi * (i % n) / n;
    return std::pair{100 * std::cos(a), 100 * std::sin(a)};
  };
  for (int i = 0; i < n; ++i) {
    auto [x1, y1] = at(i);
    auto [x2, y2] = at(i + 1);
    if (rng() % 2) std::swap(x1, x2), std::swap(y1, y2);
    v.push_back(std::make_shared<TOutlineObject>(etLine, x1, y1, x2, y2, 0, 0, 0, 0, 0, false));
  }
  std::shuffle(v.begin(), v.end(), rng);
  for (auto& e : v) l.Add(std::move(e));
}

template <void (*Fill)(TBoardOutlineObjectList&, int, std::mt19937&)>
void BM_MakeListWithTolerance(benchmark::State& state, double tolerance, int wantLoops) {
  const int n = static_cast<int>(state.range(0));
  std::mt19937 rng(42);
  for (auto _ : state) {
    state.PauseTiming();
    TBoardOutlineObjectList l;
    Fill(l, n, rng);
    state.ResumeTiming();
    const bool ok = l.MakeListWithTolerance(l, tolerance, tolerance);
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    if (!ok || l.Count() != n || l.fNumLoops != (wantLoops ? wantLoops : n)) state.SkipWithError("wrong result");
    l.Clear();  // releasing the elements is not part of the measure
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}

void BM_Holes(benchmark::State& state) { BM_MakeListWithTolerance<FillHoles>(state, 0, 0); }
void BM_ShuffledLoop(benchmark::State& state) { BM_MakeListWithTolerance<FillShuffledLoop>(state, 1e-6, 1); }
void BM_ShuffledLoopExact(benchmark::State& state) { BM_MakeListWithTolerance<FillShuffledLoop>(state, 0, 1); }

}  // namespace

BENCHMARK(BM_Holes)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_ShuffledLoop)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_ShuffledLoopExact)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
