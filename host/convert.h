// Numeric conversions shared by both gateways.
#pragma once

#include <cstdint>
#include <limits>
#include <type_traits>

namespace mexhost {

// A double used as an integer: truncated toward zero, saturated at the bounds
// of Int, NaN giving 0. Every double-to-integer conversion goes through here,
// because a plain cast of an out-of-range double is undefined behaviour.
template <typename Int>
constexpr Int truncateToInt(double value) {
  static_assert(std::is_integral_v<Int> && !std::is_same_v<Int, bool>,
                "integer target expected");
  using Limits = std::numeric_limits<Int>;
  // 2^digits is the first double above the type's range; it is exact, while
  // double(Limits::max()) may round up to it (int64, uint64).
  constexpr double upper = static_cast<double>(Limits::max() / 2 + 1) * 2.0;
  constexpr double lower = static_cast<double>(Limits::min());
  if (value != value) return 0;  // NaN
  if (value >= upper) return Limits::max();
  // Values between min - 1 and min truncate to min, so saturating them is
  // the same as truncating them.
  if (value < lower) return Limits::min();
  return static_cast<Int>(value);
}

// Sizes kept by the functions are 32-bit signed on every target.
constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();

// True when a host size (mwSize: unsigned 64-bit, signed 64-bit in Octave, or
// int on 32-bit targets) fits the 32-bit signed range.
template <typename Size>
constexpr bool fitsSize(Size value) {
  if constexpr (std::is_signed_v<Size>) {
    return value >= 0 && static_cast<std::int64_t>(value) <= kMaxSize;
  } else {
    return static_cast<std::uint64_t>(value) <=
           static_cast<std::uint64_t>(kMaxSize);
  }
}

// Explicit narrowing of a host size already checked with fitsSize.
template <typename Size>
constexpr std::int32_t narrowSize(Size value) {
  return static_cast<std::int32_t>(value);
}

// A kept size handed back to the host: sign-extended to the host's width.
template <typename Size>
constexpr Size widenSize(std::int32_t value) {
  return static_cast<Size>(static_cast<std::int64_t>(value));
}

}  // namespace mexhost
