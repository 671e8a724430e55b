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
//
// Every group is 16 lanes: a level's last group is filled up with entries of
// count 0, which hold the group's total and so are never chosen. The root
// group, which every draw reads and changes, lives in the tree object; the
// levels below it, so filled, take at most n + 15 + n / 16 + 16 + ... slots,
// which the 2n slots hold for every n above 16 (at most 16 observations
// need only the root).
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
    // Where each level below the root starts: after the filled groups of
    // the levels before it.
    std::uint32_t size[kMaxLevels];
    size[0] = static_cast<std::uint32_t>(n);
    for (levels_ = 1; size[levels_ - 1] > kFanOut; ++levels_) {
      const std::uint32_t groups = (size[levels_ - 1] + kFanOut - 1) / kFanOut;
      offset_[levels_] = offset_[levels_ - 1] + groups * kFanOut;
      size[levels_] = groups;
    }
    // Level 0: the counts as 32-bit slots; slot i overlaps entry i / 2,
    // which has been read by then.
    unsigned char* level0 = groupAt(0, 0);
    for (std::uint32_t i = 0; i < size[0]; ++i) {
      std::int64_t wide;
      std::memcpy(&wide, slots_ + 8 * std::size_t{i}, sizeof wide);
      store(level0, i, static_cast<std::int32_t>(wide));
    }
    for (int level = 0; level < levels_; ++level) {
      unsigned char* slots = groupAt(level, 0);
      const std::uint32_t filled =
          (size[level] + kFanOut - 1) / kFanOut * kFanOut;
      for (std::uint32_t e = size[level]; e < filled; ++e) store(slots, e, 0);
      // Running sums within each group of 16.
      for (std::uint32_t e = 0; e < filled; ++e) {
        if (e % kFanOut != 0)
          store(slots, e, load(slots, e) + load(slots, e - 1));
      }
      // The level above: each group's total, its last running sum.
      if (level + 1 < levels_) {
        unsigned char* up = groupAt(level + 1, 0);
        for (std::uint32_t g = 0; g < filled / kFanOut; ++g)
          store(up, g, load(slots, g * kFanOut + kFanOut - 1));
      }
    }
  }

  std::int32_t find(std::int64_t u) {
    std::int32_t chosen = 0;
    drawEach<false>(&u, 1, [&](std::int32_t, std::int32_t l) { chosen = l; });
    return chosen;
  }
  std::int32_t take(std::int64_t u) {
    std::int32_t chosen = 0;
    drawEach<true>(&u, 1, [&](std::int32_t, std::int32_t l) { chosen = l; });
    return chosen;
  }

  // For r from 0 to count - 1: the observation for rank u[r], handed to
  // put(r, observation); with Remove it loses a unit before the next rank.
  // The descent is unrolled for the tree's number of levels.
  template <bool Remove, typename Rank, typename Put>
  void drawEach(const Rank* u, std::int32_t count, Put&& put) {
    switch (levels_) {
      case 1:
        return drawEachAt<1, Remove>(u, count, put);
      case 2:
        return drawEachAt<2, Remove>(u, count, put);
      case 3:
        return drawEachAt<3, Remove>(u, count, put);
      case 4:
        return drawEachAt<4, Remove>(u, count, put);
      case 5:
        return drawEachAt<5, Remove>(u, count, put);
      case 6:
        return drawEachAt<6, Remove>(u, count, put);
      case 7:
        return drawEachAt<7, Remove>(u, count, put);
      default:
        return drawEachAt<8, Remove>(u, count, put);
    }
  }

  void add(std::int32_t i, std::int64_t delta) {
    auto e = static_cast<std::uint32_t>(i);
    for (int level = 0; level < levels_; ++level, e /= kFanOut) {
      unsigned char* group = groupAt(level, e - e % kFanOut);
      for (std::uint32_t k = e % kFanOut; k < kFanOut; ++k)
        store(group, k, load(group, k) + static_cast<std::int32_t>(delta));
    }
  }

  std::int64_t countAt(std::int32_t i) const {
    const auto e = static_cast<std::uint32_t>(i);
    const unsigned char* group = groupAt(0, e - e % kFanOut);
    const std::uint32_t k = e % kFanOut;
    return load(group, k) - (k != 0 ? load(group, k - 1) : 0);
  }

 private:
  template <int Levels, bool Remove, typename Rank, typename Put>
  void drawEachAt(const Rank* ranks, std::int32_t count, Put& put) {
    for (std::int32_t r = 0; r < count; ++r) {
      auto u = static_cast<std::int32_t>(ranks[r]);
      const std::uint32_t e = step<Remove>(root_, u) * kFanOut;
      put(r, static_cast<std::int32_t>(descend<Levels - 2, Remove>(e, u)));
    }
  }

  // From entry e of a level down to level 0: the chosen observation.
  template <int Level, bool Remove>
  std::uint32_t descend(std::uint32_t e, std::int32_t& u) {
    if constexpr (Level < 0) {
      return e / kFanOut;
    } else {
      e += step<Remove>(slots_ + 4 * std::size_t{offset_[Level] + e}, u);
      return descend<Level - 1, Remove>(e * kFanOut, u);
    }
  }

  // One level of a draw in a group: the entry j whose running sum is the
  // first above u; u becomes the rank within entry j, and with Remove entry
  // j loses a unit.
  template <bool Remove>
  static std::uint32_t step(unsigned char* group, std::int32_t& u) {
    const std::uint32_t j = firstAbove(group, u);
    // Less the running sum before entry j (none before the first).
    const std::uint32_t before = j > 0 ? 1 : 0;
    u -= load(group, j - before) & -static_cast<std::int32_t>(before);
    if (Remove) takeOne(group, j);
    return j;
  }

  // The first of the group's running sums that exceeds u.
  static std::uint32_t firstAbove(const unsigned char* group, std::int32_t u) {
#if defined(__SSE2__)
    // Written out, not looped: the vectors then stay in registers at -O2.
    const __m128i limit = _mm_set1_epi32(u);
    const __m128i a0 = _mm_cmpgt_epi32(lanes(group, 0), limit);
    const __m128i a1 = _mm_cmpgt_epi32(lanes(group, 1), limit);
    const __m128i a2 = _mm_cmpgt_epi32(lanes(group, 2), limit);
    const __m128i a3 = _mm_cmpgt_epi32(lanes(group, 3), limit);
    // Sixteen lanes of all ones or all zeros narrow to sixteen bytes.
    const __m128i bytes =
        _mm_packs_epi16(_mm_packs_epi32(a0, a1), _mm_packs_epi32(a2, a3));
    return static_cast<std::uint32_t>(
        __builtin_ctz(static_cast<unsigned>(_mm_movemask_epi8(bytes))));
#else
    std::uint32_t j = 0;
    while (load(group, j) <= u) ++j;
    return j;
#endif
  }

  // Takes a unit from entry j of the group: its running sum and every later
  // one drop by one.
  static void takeOne(unsigned char* group, std::uint32_t j) {
#if defined(__SSE2__)
    // Lanes at or after j hold -1: adding it takes one off.
    const __m128i from = _mm_set1_epi32(static_cast<std::int32_t>(j) - 1);
    const auto off = [&](unsigned v, __m128i index) {
      auto* p = reinterpret_cast<__m128i*>(group + 16 * v);
      _mm_storeu_si128(
          p, _mm_add_epi32(_mm_loadu_si128(p), _mm_cmpgt_epi32(index, from)));
    };
    off(0, _mm_setr_epi32(0, 1, 2, 3));
    off(1, _mm_setr_epi32(4, 5, 6, 7));
    off(2, _mm_setr_epi32(8, 9, 10, 11));
    off(3, _mm_setr_epi32(12, 13, 14, 15));
#else
    for (std::uint32_t k = j; k < kFanOut; ++k)
      store(group, k, load(group, k) - 1);
#endif
  }

#if defined(__SSE2__)
  static __m128i lanes(const unsigned char* group, unsigned v) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(group + 16 * v));
  }
#endif

  unsigned char* groupAt(int level, std::uint32_t first) const {
    if (level == levels_ - 1) return const_cast<unsigned char*>(root_);
    return slots_ + 4 * std::size_t{offset_[level] + first};
  }

  static std::int32_t load(const unsigned char* slots, std::uint32_t slot) {
    std::int32_t v;
    std::memcpy(&v, slots + 4 * std::size_t{slot}, sizeof v);
    return v;
  }
  static void store(unsigned char* slots, std::uint32_t slot, std::int32_t v) {
    std::memcpy(slots + 4 * std::size_t{slot}, &v, sizeof v);
  }

  unsigned char* slots_;
  alignas(64) unsigned char root_[4 * kFanOut] = {};
  int levels_ = 0;
  std::uint32_t offset_[kMaxLevels] =
      {};  // each level's first slot (not the root's)
};

}  // namespace boot
