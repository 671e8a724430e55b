// boot(N, 1000): the count-tree draws against the plain linear walk and
// against the floor (the same number of uniformInt draws, no selection).
// Reports ns per output element.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "balanced_resampling.h"
#include "random_source.h"

namespace {

constexpr std::int32_t kNboot = 1000;

void setCounters(benchmark::State& state, std::int64_t n) {
  state.counters["ns_per_element"] =
      benchmark::Counter(static_cast<double>(n * kNboot),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}

void BM_CountTree(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  std::vector<double> out(static_cast<std::size_t>(n) * kNboot);
  std::vector<std::int64_t> counts;
  counts.reserve(n);
  for (auto _ : state) {
    counts.assign(n, kNboot);
    boot::Engine engine(5489u);
    boot::fillBalancedResamples(n, kNboot, false, nullptr, out.data(), counts,
                                std::int64_t{n} * kNboot, engine);
    benchmark::DoNotOptimize(out.data());
  }
  setCounters(state, n);
}

void BM_LinearWalk(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  std::vector<double> out(static_cast<std::size_t>(n) * kNboot);
  std::vector<std::int64_t> counts;
  for (auto _ : state) {
    counts.assign(n, kNboot);
    boot::Engine engine(5489u);
    std::int64_t remaining = std::int64_t{n} * kNboot;
    for (std::int64_t pos = 0; pos < std::int64_t{n} * kNboot; ++pos) {
      const std::int32_t u =
          boot::uniformInt(0, static_cast<std::int32_t>(remaining - 1), engine);
      std::int64_t sum = 0;
      std::int32_t l = 0;
      while ((sum += counts[l]) <= u) ++l;
      out[pos] = l + 1.0;
      --counts[l];
      --remaining;
    }
    benchmark::DoNotOptimize(out.data());
  }
  setCounters(state, n);
}

// The floor: the same number of uniformInt draws, no selection. With
// std::mt19937 it shows libstdc++'s engine, which keeps 64-bit state words.
template <typename Urbg>
void BM_Floor(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  std::vector<double> out(static_cast<std::size_t>(n) * kNboot);
  for (auto _ : state) {
    Urbg engine(5489u);
    std::int64_t remaining = std::int64_t{n} * kNboot;
    for (std::int64_t pos = 0; pos < std::int64_t{n} * kNboot; ++pos) {
      out[pos] =
          boot::uniformInt(0, static_cast<std::int32_t>(--remaining), engine) +
          1.0;
    }
    benchmark::DoNotOptimize(out.data());
  }
  setCounters(state, n);
}

BENCHMARK(BM_CountTree)
    ->Arg(16)
    ->Arg(256)
    ->Arg(4096)
    ->Arg(65536)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Floor, boot::Engine)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Floor, std::mt19937)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinearWalk)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
