// quorvane's pair sums: the plain loop against the vector paths (ns per pair
// term), the limits the hardware sets, and whole calls through the module.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "pair_sums.h"
#include "smoothed_median.h"

#if QUORVANE_HAVE_VECTOR_PAIR_SUMS
#include <immintrin.h>
#endif

namespace {

using Sums = void (*)(const double*, std::int32_t, double, double&, double&);

std::vector<double> skewedSample(std::size_t n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::lognormal_distribution<double> skewed(0.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = skewed(rng);
  return v;
}

void setTermCounter(benchmark::State& state, double termsPerIteration) {
  state.counters["ns_per_term"] = benchmark::Counter(
      termsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}

template <Sums sums>
void BM_PairSums(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const std::vector<double> x = skewedSample(n, 1);
  const double m = 1.0;
  for (auto _ : state) {
    double g, c;
    sums(x.data(), n, m, g, c);
    benchmark::DoNotOptimize(g);
    benchmark::DoNotOptimize(c);
  }
  setTermCounter(state, 0.5 * n * (n - 1));
}

BENCHMARK_TEMPLATE(BM_PairSums, quorvane::pairSumsPlain)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000);
#if QUORVANE_HAVE_VECTOR_PAIR_SUMS
BENCHMARK_TEMPLATE(BM_PairSums, quorvane::pairSumsSse2)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000);
BENCHMARK_TEMPLATE(BM_PairSums, quorvane::pairSumsAvx2)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000);

// The divider's limit: one square root and two divisions per term, four
// independent terms per 256-bit operation, nothing else.
__attribute__((target("avx2"))) void BM_DividerLimit(benchmark::State& state) {
  constexpr int kTerms = 4096;
  alignas(32) double r[kTerms];
  for (int i = 0; i < kTerms; ++i) r[i] = 1.0 + i;
  for (auto _ : state) {
    __m256d acc = _mm256_setzero_pd();
    for (int i = 0; i < kTerms; i += 4) {
      const __m256d v = _mm256_load_pd(r + i);
      const __m256d s = _mm256_sqrt_pd(v);
      acc = _mm256_or_pd(acc, _mm256_div_pd(v, s));
      acc = _mm256_or_pd(acc, _mm256_div_pd(s, v));
    }
    benchmark::DoNotOptimize(acc);
  }
  setTermCounter(state, kTerms);
}
BENCHMARK(BM_DividerLimit);
#endif

// The additions' limit: two dependent chains, one addition each per term.
void BM_AdditionLimit(benchmark::State& state) {
  constexpr int kTerms = 4096;
  const std::vector<double> t = skewedSample(kTerms, 2);
  for (auto _ : state) {
    double g = 0.0, c = 0.0;
    for (int i = 0; i < kTerms; ++i) {
      g += t[i];
      c += t[i];
    }
    benchmark::DoNotOptimize(g);
    benchmark::DoNotOptimize(c);
  }
  setTermCounter(state, kTerms);
}
BENCHMARK(BM_AdditionLimit);

// The slices of a skewed rows x cols matrix, prepared, with the number of
// pair-sum evaluations the refinement runs on each.
struct Workload {
  std::vector<double> data;
  std::vector<std::vector<double>> slices;
  std::vector<quorvane::PreparedSlice> prepared;
  std::vector<int> iterations;
  long evaluations = 0;
  double terms = 0;
};

const Workload& workload(std::size_t rows, std::size_t cols) {
  static std::vector<std::pair<std::size_t, Workload>> cache;
  for (auto& [key, w] : cache) {
    if (key == rows * 100000 + cols) return w;
  }
  Workload w;
  w.data = skewedSample(rows * cols, 3);
  w.slices.resize(cols);
  for (std::size_t i = 0; i < cols; ++i) {
    w.slices[i].reserve(rows);
    const quorvane::PreparedSlice slice = quorvane::prepareSlice(
        w.data.data(), static_cast<std::int32_t>(i),
        static_cast<std::int32_t>(cols), static_cast<std::int32_t>(rows),
        quorvane::kColumnWise, {}, w.slices[i]);
    int iterations = 0;
    quorvane::refineSmoothedMedian(slice, 1, quorvane::kColumnWise,
                                   &iterations);
    w.prepared.push_back(slice);
    w.iterations.push_back(iterations);
    w.evaluations += iterations;
    w.terms += iterations * 0.5 * slice.n * (slice.n - 1);
  }
  cache.emplace_back(rows * 100000 + cols, std::move(w));
  return cache.back().second;
}

// quorvane(X) through the module and the stand-in host, with the pair-sum
// evaluations the call ran and its time per pair term.
void BM_WholeCall(benchmark::State& state) {
  static const harness::Module module(QUORVANE_MODULE);
  const Workload& w = workload(state.range(0), state.range(1));
  const harness::Array x =
      harness::doubles({static_cast<std::size_t>(state.range(0)),
                        static_cast<std::size_t>(state.range(1))},
                       w.data);
  for (auto _ : state) {
    harness::CallResult r = module.call({x.get()});
    if (r.failed) state.SkipWithError(r.message.c_str());
    benchmark::DoNotOptimize(r.out.get());
  }
  state.counters["evaluations"] = static_cast<double>(w.evaluations);
  setTermCounter(state, w.terms);
}

// The same number of pair-sum evaluations on the same slices and nothing
// else: what the call would cost if the pair sums were all it did.
void BM_WholeCallPairSumsOnly(benchmark::State& state) {
  const Workload& w = workload(state.range(0), state.range(1));
  for (auto _ : state) {
    for (std::size_t i = 0; i < w.prepared.size(); ++i) {
      const quorvane::PreparedSlice& s = w.prepared[i];
      for (int it = 0; it < w.iterations[i]; ++it) {
        double g, c;
        quorvane::pairSums(s.values, s.n, s.estimate, g, c);
        benchmark::DoNotOptimize(g);
        benchmark::DoNotOptimize(c);
      }
    }
  }
  state.counters["evaluations"] = static_cast<double>(w.evaluations);
  setTermCounter(state, w.terms);
}

BENCHMARK(BM_WholeCall)
    ->Args({1000, 1000})
    ->Args({100, 10000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_WholeCallPairSumsOnly)
    ->Args({1000, 1000})
    ->Args({100, 10000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
