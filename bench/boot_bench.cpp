// boot(N, NBOOT): the count-tree draws against the plain linear walk and
// against the floor (the same number of uniformInt draws, no selection).
// Reports ns per output element.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "balanced_resampling.h"
#include "random_source.h"

namespace {

void setCounters(benchmark::State& state, std::int64_t n, std::int32_t nboot) {
  state.counters["ns_per_element"] =
      benchmark::Counter(static_cast<double>(n * nboot),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}

void BM_CountTree(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto nboot = static_cast<std::int32_t>(state.range(1));
  std::vector<double> out(static_cast<std::size_t>(n) * nboot);
  std::vector<std::int64_t> counts;
  counts.reserve(n);
  for (auto _ : state) {
    counts.assign(n, nboot);
    boot::Engine engine(5489u);
    boot::fillBalancedResamples(n, nboot, false, nullptr, out.data(), counts,
                                std::int64_t{n} * nboot, engine);
    benchmark::DoNotOptimize(out.data());
  }
  setCounters(state, n, nboot);
}

void BM_LinearWalk(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto nboot = static_cast<std::int32_t>(state.range(1));
  std::vector<double> out(static_cast<std::size_t>(n) * nboot);
  std::vector<std::int64_t> counts;
  for (auto _ : state) {
    counts.assign(n, nboot);
    boot::Engine engine(5489u);
    std::int64_t remaining = std::int64_t{n} * nboot;
    for (std::int64_t pos = 0; pos < std::int64_t{n} * nboot; ++pos) {
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
  setCounters(state, n, nboot);
}

// The floor: the same number of uniformInt draws, no selection. With
// std::mt19937 it shows libstdc++'s engine, which keeps 64-bit state words.
template <typename Urbg>
void BM_Floor(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto nboot = static_cast<std::int32_t>(state.range(1));
  std::vector<double> out(static_cast<std::size_t>(n) * nboot);
  for (auto _ : state) {
    Urbg engine(5489u);
    std::int64_t remaining = std::int64_t{n} * nboot;
    for (std::int64_t pos = 0; pos < std::int64_t{n} * nboot; ++pos) {
      out[pos] =
          boot::uniformInt(0, static_cast<std::int32_t>(--remaining), engine) +
          1.0;
    }
    benchmark::DoNotOptimize(out.data());
  }
  setCounters(state, n, nboot);
}

// N = 100, 1 000 and 10 000 with NBOOT = 1000; 100 000 and 1 000 000 with
// NBOOT = 100.
void sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t n : {100, 1000, 10000}) b->Args({n, 1000});
  for (std::int64_t n : {100000, 1000000}) b->Args({n, 100});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_CountTree)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_Floor, boot::Engine)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_Floor, std::mt19937)->Apply(sizes);
// Quadratic in N: the three smaller sizes only.
BENCHMARK(BM_LinearWalk)
    ->Args({100, 1000})
    ->Args({1000, 1000})
    ->Args({10000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
