// The pool's counts for the draws: "the first observation whose running
// count sum exceeds u", and the update of one count, in O(log n) steps
// instead of a walk over the counts from the first one, inside the counts'
// own storage.
//
// Every count fits 32 bits (they sum to N * NBOOT < 2^31), so the n 64-bit
// entries hold 2n 32-bit slots. They hold a tree of fan-out 16: level 0 has
// one entry per observation, each level above one entry per group of 16
// below, up to a root level of at most 16 entries. Within each group of 16
// an entry holds the running sum of the counts under the group's entries up
// to itself, so that a draw settles a level with one vector comparison
// against u, and taking a unit out subtracts one from the running sums at
// and after the chosen entry.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace boot {

class CountTree {
 public:
  static constexpr std::uint32_t kFanOut = 16;
  static constexpr int kMaxLevels = 8;  // 16^8 > 2^31

  CountTree(std::int64_t* counts, std::int32_t n)
      : slots_(reinterpret_cast<unsigned char*>(counts)) {
    auto size = static_cast<std::uint32_t>(n);
    // Level 0: the counts as 32-bit slots; slot i overlaps entry i / 2,
    // which has been read by then.
    for (std::uint32_t i = 0; i < size; ++i) {
      std::int64_t wide;
      std::memcpy(&wide, slots_ + 8 * std::size_t{i}, sizeof wide);
      store(i, static_cast<std::int32_t>(wide));
    }
    std::uint32_t offset = 0;
    for (levels_ = 0;; ++levels_) {
      offset_[levels_] = offset;
      size_[levels_] = size;
      // Running sums within each group of 16.
      for (std::uint32_t e = 0; e < size; ++e) {
        if (e % kFanOut != 0)
          store(offset + e, load(offset + e) + load(offset + e - 1));
      }
      if (size <= kFanOut) break;
      // The level above: each group's total.
      const std::uint32_t above = (size + kFanOut - 1) / kFanOut;
      for (std::uint32_t g = 0; g < above; ++g) {
        const std::uint32_t last = g * kFanOut + kFanOut - 1;
        store(offset + size + g,
              load(offset + (last < size ? last : size - 1)));
      }
      offset += size;
      size = above;
    }
    ++levels_;
  }

  std::int32_t find(std::int64_t u) { return draw<false>(u); }
  std::int32_t take(std::int64_t u) { return draw<true>(u); }

  void add(std::int32_t i, std::int64_t delta) {
    auto e = static_cast<std::uint32_t>(i);
    for (int level = 0; level < levels_; ++level, e /= kFanOut) {
      const std::uint32_t group = e - e % kFanOut;
      addFrom(offset_[level] + group, e - group, groupEnd(level, e) - group,
              static_cast<std::int32_t>(delta));
    }
  }

  std::int64_t countAt(std::int32_t i) const {
    const auto e = static_cast<std::uint32_t>(i);
    return load(e) - (e % kFanOut != 0 ? load(e - 1) : 0);
  }

 private:
  template <bool Remove>
  std::int32_t draw(std::int64_t rank) {
    auto u = static_cast<std::int32_t>(rank);
    std::uint32_t e = 0;  // the group's first entry at the current level
    for (int level = levels_ - 1; level >= 0; --level) {
      const std::uint32_t end = groupEnd(level, e);
      const std::uint32_t at = offset_[level] + e;
      const std::uint32_t j = firstAbove(at, end - e, u);
      // Less the running sum before entry j (none before the first).
      const std::uint32_t before = j > 0 ? 1 : 0;
      u -= load(at + j - before) & -static_cast<std::int32_t>(before);
      if (Remove) takeOne(at, end - e, j);
      e = (e + j) * kFanOut;
    }
    return static_cast<std::int32_t>(e / kFanOut);
  }

  // The first of the count running sums from slot at that exceeds u.
  std::uint32_t firstAbove(std::uint32_t at,
                           [[maybe_unused]] std::uint32_t count,
                           std::int32_t u) const {
#if defined(__SSE2__)
    if (count == kFanOut) {
      const __m128i limit = _mm_set1_epi32(u);
      const auto* p = slots_ + 4 * std::size_t{at};
      __m128i above[4];
      for (unsigned v = 0; v < 4; ++v) {
        above[v] = _mm_cmpgt_epi32(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * v)),
            limit);
      }
      // Sixteen lanes of all ones or all zeros narrow to sixteen bytes.
      const __m128i bytes =
          _mm_packs_epi16(_mm_packs_epi32(above[0], above[1]),
                          _mm_packs_epi32(above[2], above[3]));
      const auto mask = static_cast<unsigned>(_mm_movemask_epi8(bytes));
      return static_cast<std::uint32_t>(__builtin_ctz(mask));
    }
#endif
    std::uint32_t j = 0;
    while (load(at + j) <= u) ++j;
    return j;
  }

  // Takes a unit from entry j of the group at slot at: its running sum and
  // every later one in the group drop by one.
  void takeOne(std::uint32_t at, std::uint32_t count, std::uint32_t j) {
#if defined(__SSE2__)
    if (count == kFanOut) {
      const __m128i limit = _mm_set1_epi32(static_cast<std::int32_t>(j) - 1);
      __m128i index = _mm_setr_epi32(0, 1, 2, 3);
      for (unsigned v = 0; v < 4; ++v) {
        auto* p =
            reinterpret_cast<__m128i*>(slots_ + 4 * std::size_t{at} + 16 * v);
        // Lanes at or after j hold -1 in the mask: adding it takes one off.
        _mm_storeu_si128(p, _mm_add_epi32(_mm_loadu_si128(p),
                                          _mm_cmpgt_epi32(index, limit)));
        index = _mm_add_epi32(index, _mm_set1_epi32(4));
      }
      return;
    }
#endif
    addFrom(at, j, count, -1);
  }

  // Adds delta to the running sums from entry j on, in the group of count
  // entries at slot at: the count of entry j changes by delta.
  void addFrom(std::uint32_t at, std::uint32_t j, std::uint32_t count,
               std::int32_t delta) {
    for (std::uint32_t k = j; k < count; ++k)
      store(at + k, load(at + k) + delta);
  }

  // One past the last entry of the group that holds entry e at a level.
  std::uint32_t groupEnd(int level, std::uint32_t e) const {
    const std::uint32_t end = (e / kFanOut + 1) * kFanOut;
    return end < size_[level] ? end : size_[level];
  }

  std::int32_t load(std::uint32_t slot) const {
    std::int32_t v;
    std::memcpy(&v, slots_ + 4 * std::size_t{slot}, sizeof v);
    return v;
  }
  void store(std::uint32_t slot, std::int32_t v) {
    std::memcpy(slots_ + 4 * std::size_t{slot}, &v, sizeof v);
  }

  unsigned char* slots_;
  int levels_ = 0;
  std::uint32_t offset_[kMaxLevels] = {};
  std::uint32_t size_[kMaxLevels] = {};
};

}  // namespace boot
