#include "convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using mexhost::truncateToInt;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TruncateToInt, Int32) {
  const struct {
    double in;
    std::int32_t out;
  } cases[] = {
      {0.0, 0},
      {-0.0, 0},
      {1.9, 1},
      {-1.9, -1},
      {2.7, 2},
      {0.99, 0},
      {kNaN, 0},
      {kInf, 2147483647},
      {-kInf, -2147483647 - 1},
      {2147483647.0, 2147483647},
      {2147483647.9, 2147483647},
      {2147483648.0, 2147483647},
      {9.2e18, 2147483647},
      {-2147483648.0, -2147483647 - 1},
      {-2147483648.9, -2147483647 - 1},
      {-2147483649.0, -2147483647 - 1},
      {1e308, 2147483647},
      {std::numeric_limits<double>::denorm_min(), 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(truncateToInt<std::int32_t>(c.in), c.out) << c.in;
  }
}

TEST(TruncateToInt, Uint32) {
  const struct {
    double in;
    std::uint32_t out;
  } cases[] = {
      {3.7, 3u},
      {-2.0, 0u},
      {-0.5, 0u},
      {kNaN, 0u},
      {-kInf, 0u},
      {kInf, 4294967295u},
      {4294967295.5, 4294967295u},
      {4294967296.0, 4294967295u},
      {1e19, 4294967295u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(truncateToInt<std::uint32_t>(c.in), c.out) << c.in;
  }
}

TEST(TruncateToInt, Int64) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  const struct {
    double in;
    std::int64_t out;
  } cases[] = {
      {1.9, 1},
      {0.5, 0},
      {-0.0, 0},
      {9.2e18, 9200000000000000000},
      // 2^63 is the first double past the range.
      {9223372036854775808.0, kMax},
      {9223372036854774784.0, 9223372036854774784},
      {-9223372036854775808.0, kMin},
      {-1e19, kMin},
      {kInf, kMax},
      {kNaN, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(truncateToInt<std::int64_t>(c.in), c.out) << c.in;
  }
}

TEST(Sizes, FitAndWiden) {
  EXPECT_TRUE(mexhost::fitsSize(std::size_t{2147483647}));
  EXPECT_FALSE(mexhost::fitsSize(std::size_t{2147483648}));
  EXPECT_FALSE(mexhost::fitsSize(std::int64_t{-1}));
  EXPECT_TRUE(mexhost::fitsSize(std::int64_t{0}));
  EXPECT_TRUE(mexhost::fitsSize(2147483647));
  EXPECT_FALSE(mexhost::fitsSize(-1));
  EXPECT_EQ(mexhost::widenSize<std::size_t>(5), std::size_t{5});
  // Handed back sign-extended, as the host's wider type expects.
  EXPECT_EQ(mexhost::widenSize<std::int64_t>(-1), std::int64_t{-1});
  EXPECT_EQ(mexhost::widenSize<std::size_t>(-1),
            std::numeric_limits<std::size_t>::max());
}

}  // namespace
