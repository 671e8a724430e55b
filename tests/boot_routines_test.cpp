// The random source, the count tree and the resampling loop of boot, called
// directly with scripted and real engines, against a plain linear walk.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

#include "balanced_resampling.h"
#include "count_tree.h"
#include "random_source.h"

namespace {

using boot::uniformInt;

// An engine that hands out a fixed script of outputs and counts them.
struct ScriptedEngine {
  using result_type = std::uint32_t;
  std::vector<std::uint32_t> script;
  std::size_t used = 0;
  std::uint32_t operator()() { return script.at(used++); }
};

TEST(Engine, IsTheStandardMt19937) {
  boot::Engine engine;  // default seed 5489
  std::mt19937 reference;
  for (int i = 1; i < 10000; ++i) ASSERT_EQ(engine(), reference());
  // The standard's check value for the 10000th output.
  EXPECT_EQ(engine(), 4123659995u);
}

// The block engine against the library's engine over many blocks, for seeds
// at the edges of the seed range.
TEST(Engine, MatchesStdMt19937OverManyBlocks) {
  for (std::uint32_t seed : {0u, 1u, 4357u, 5489u, 0x7fffffffu, 0xffffffffu}) {
    boot::Engine engine(seed);
    std::mt19937 reference(seed);
    for (int i = 0; i < 1000000; ++i)
      ASSERT_EQ(engine(), reference()) << "seed " << seed << " output " << i;
  }
}

TEST(UniformInt, MaskedRejectionTakesTheScriptedOutputs) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const struct {
    std::int32_t lo, hi;
    std::vector<std::uint32_t> script;
    std::int32_t result;
    std::size_t used;
  } cases[] = {
      {0, 0, {}, 0, 0},
      {5, 5, {}, 5, 0},
      {0, 1, {0xFFFFFFFEu}, 0, 1},
      {0, 1, {7}, 1, 1},
      {0, 2, {3, 0xFFu, 6}, 2, 3},  // mask 3: low bits 11 are rejected
      {0, 4, {5, 6, 7, 12}, 4, 4},  // mask 7: 5, 6, 7 are rejected
      {0, 1023, {0xABCDEu}, 0xDE, 1},
      {0, 1024, {0x7FFu, 0x400u}, 1024, 2},
      {-3, 3, {7, 2}, -1, 2},
      {kMin, kMax, {0}, kMin, 1},
      {kMin, kMax, {0xFFFFFFFFu}, kMax, 1},
      {0, 2147483646, {0xFFFFFFFFu, 0x8000000Cu}, 12, 2},
  };
  for (const auto& c : cases) {
    ScriptedEngine engine{c.script};
    EXPECT_EQ(uniformInt(c.lo, c.hi, engine), c.result) << c.lo << ".." << c.hi;
    EXPECT_EQ(engine.used, c.used) << c.lo << ".." << c.hi;
  }
}

TEST(UniformInt, AgreesWithRawMt19937Outputs) {
  for (std::int32_t hi : {1, 2, 4, 6, 1023, 1000, 65537}) {
    boot::Engine engine(12345);
    std::mt19937 raw(12345);
    std::uint32_t mask = 1;
    while (mask < static_cast<std::uint32_t>(hi)) mask = mask * 2 + 1;
    for (int i = 0; i < 2000; ++i) {
      std::uint32_t v;
      do {
        v = static_cast<std::uint32_t>(raw()) & mask;
      } while (v > static_cast<std::uint32_t>(hi));
      ASSERT_EQ(uniformInt(0, hi, engine), static_cast<std::int32_t>(v));
    }
    EXPECT_EQ(engine(), static_cast<std::uint32_t>(raw()));  // same position
  }
}

// Batches of draws with falling or fixed ranges take the same outputs as
// one uniformInt call each: runs across mask changes, block ends, ranges of
// one value, and the widest ranges.
TEST(UniformInts, SameDrawsAsOneCallEach) {
  std::mt19937 random(2024);
  const struct {
    std::int32_t top, count;
  } edges[] = {{0, 5},          {1, 2},
               {2, 3},          {3, 4},
               {1024, 40},      {1025, 1026},
               {65540, 700},    {4096, 4097},
               {100, 2000},     {2147483646, 1500},
               {1073741825, 64}};
  for (int trial = 0; trial < 600; ++trial) {
    std::int32_t top, count;
    if (trial < 2 * static_cast<int>(std::size(edges))) {
      top = edges[trial / 2].top;
      count = edges[trial / 2].count;
    } else {
      top =
          static_cast<std::int32_t>(random() % (trial % 3 == 0 ? 70000 : 300));
      count = 1 + static_cast<std::int32_t>(random() % 200);
    }
    const bool deplete = trial % 2 == 0;
    if (deplete && count > top + 1) count = top + 1;
    const std::uint32_t seed = random();
    boot::Engine engine(seed);
    std::mt19937 reference(seed);
    // Start anywhere in a block.
    for (std::uint32_t skip = random() % 700; skip > 0; --skip) {
      engine();
      reference();
    }
    std::vector<std::int32_t> batch(count), single(count);
    boot::uniformInts(batch.data(), count, top, deplete, engine);
    for (std::int32_t r = 0; r < count; ++r)
      single[r] = uniformInt(0, top - (deplete ? r : 0), reference);
    ASSERT_EQ(batch, single) << "top=" << top << " count=" << count;
    ASSERT_EQ(engine(), reference()) << "top=" << top << " count=" << count;
  }
  // Ranges wider than 2^31 - 1 keep to one output at a time.
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  boot::Engine engine(77);
  std::mt19937 reference(77);
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(uniformInt(kMin, kMax, engine),
              static_cast<std::int32_t>(reference() - 0x80000000u));
    ASSERT_EQ(uniformInt(-1, kMax, engine), uniformInt(-1, kMax, reference));
  }
}

// The first observation whose running count sum exceeds u.
std::int32_t linearFind(const std::vector<std::int64_t>& counts,
                        std::int64_t u) {
  std::int64_t sum = 0;
  for (std::size_t l = 0;; ++l) {
    sum += counts[l];
    if (sum > u) return static_cast<std::int32_t>(l);
  }
}

TEST(CountTree, FindsAndUpdatesAsTheLinearWalk) {
  std::mt19937 random(7);
  for (std::int32_t n :
       {1, 2, 3, 5, 8, 15, 16, 17, 100, 255, 256, 257, 4096, 4097, 70000}) {
    std::vector<std::int64_t> counts(n);
    for (auto& c : counts) c = random() % 4;  // zeros included
    counts[random() % n] += 1;
    std::vector<std::int64_t> tree = counts;
    boot::CountTree pool(tree.data(), n);
    for (int step = 0; step < 300; ++step) {
      std::int64_t total = 0;
      for (auto c : counts) total += c;
      if (total == 0) break;
      const std::int64_t u = static_cast<std::int64_t>(random() % total);
      // take finds and removes in one descent; find then add does the same.
      const std::int32_t l = step % 2 == 0 ? pool.take(u) : pool.find(u);
      ASSERT_EQ(l, linearFind(counts, u)) << "n=" << n;
      if (step % 2 != 0) pool.add(l, -1);
      --counts[l];
      const auto i = static_cast<std::int32_t>(random() % n);
      ASSERT_EQ(pool.countAt(i), counts[i]);
      if (step % 7 == 0) {
        pool.add(i, 3);
        counts[i] += 3;
      }
    }
  }
}

// The resampling loop as first written: a linear walk per draw.
template <typename Urbg>
void referenceFill(std::int32_t n, std::int32_t nboot, bool loo,
                   const double* x, double* out,
                   std::vector<std::int64_t> counts, std::int64_t remaining,
                   Urbg& engine) {
  const std::int32_t q = nboot / n;
  bool on = loo;
  for (std::int32_t b = 0; b < nboot; ++b) {
    std::int32_t m = 0;
    std::int64_t t = 0;
    if (on) {
      m = b / n == q ? uniformInt(0, n - 1, engine) : b % n;
      t = counts[m];
      counts[m] = 0;
    }
    for (std::int32_t k = 0; k < n; ++k) {
      if (on && remaining == t) {
        counts[m] = t;
        t = 0;
        on = false;
      }
      const std::int32_t u =
          uniformInt(0, static_cast<std::int32_t>(remaining - t - 1), engine);
      const std::int32_t l = linearFind(counts, u);
      out[k + static_cast<std::int64_t>(n) * b] = x ? x[l] : l + 1.0;
      if (nboot != 1) {
        --counts[l];
        --remaining;
      }
    }
    if (on) {
      counts[m] = t;
      t = 0;
    }
  }
}

TEST(FillBalancedResamples, SameDrawsAsTheLinearWalk) {
  std::mt19937 random(99);
  int configurations = 0;
  for (std::int32_t n : {1, 2, 3, 4, 7, 10, 31, 64, 100, 257, 300}) {
    for (std::int32_t nboot : {1, 2, 3, n - 1, n, 2 * n, 3 * n + 1, 5}) {
      if (nboot < 1) continue;
      for (int variant = 0; variant < 4; ++variant) {
        const bool loo = variant & 1;
        const bool weighted = variant & 2;
        std::vector<std::int64_t> counts(n, nboot);
        if (weighted) {
          // Uneven counts with zeros, summing to n * nboot.
          std::fill(counts.begin(), counts.end(), 0);
          for (std::int64_t u = 0; u < std::int64_t{n} * nboot; ++u)
            ++counts[random() % ((n + 1) / 2)];
        }
        std::vector<double> x(n);
        for (auto& v : x) v = static_cast<double>(random()) / 7.0;
        const double* xs = variant == 3 ? x.data() : nullptr;
        const std::int64_t total = std::int64_t{n} * nboot;
        const std::uint32_t seed = random();
        std::vector<double> fast(total), slow(total);
        boot::Engine e1(seed), e2(seed);
        std::vector<std::int64_t> c1 = counts;
        boot::fillBalancedResamples(n, nboot, loo, xs, fast.data(), c1, total,
                                    e1);
        referenceFill(n, nboot, loo, xs, slow.data(), counts, total, e2);
        ASSERT_EQ(fast, slow)
            << "n=" << n << " nboot=" << nboot << " variant=" << variant;
        ASSERT_TRUE(e1 == e2);  // the same number of engine outputs
        ++configurations;
      }
    }
  }
  EXPECT_GT(configurations, 300);
}

}  // namespace
