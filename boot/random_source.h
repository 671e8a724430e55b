// Every random choice of a boot call comes from one MT19937 engine, seeded
// from one value of the C library's rand() and mapped to integers by
// uniformInt's masked rejection.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace boot {

// MT19937 with the published output sequence (the same as std::mt19937),
// regenerated 624 words at a time: the twist and the tempering of a whole
// block run four words to a vector, and the tempered words wait in a buffer,
// from which uniformInts keeps or rejects them without a branch. The state is
// 32-bit words: libstdc++'s std::mt19937 keeps 64-bit ones.
class Engine {
 public:
  using result_type = std::uint32_t;
  static constexpr int kWords = 624;
  static constexpr result_type default_seed = 5489u;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return 0xffffffffu; }

  explicit Engine(result_type seed = default_seed) {
    state_[0] = seed;
    for (int i = 1; i < kWords; ++i)
      state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) +
                  static_cast<std::uint32_t>(i);
    next_ = kWords;  // the first request twists the seeded state
  }

  result_type operator()() {
    if (next_ == kWords) refill();
    return out_[next_++];
  }

  // Fills u[0..count-1] with the lowest bits (mask) of the next outputs
  // that, so masked, lie below range, range dropping by one after each
  // output kept when deplete is set (so the kept values are the draws of
  // uniformInt with ranges range, range - 1, ...); rejected outputs are used
  // up. Each output is stored at the next free place and kept or not by
  // adding 0 or 1, which costs no branch on a rejection. The caller keeps
  // range from 2 to 2^31 - 1, and mask + 1 from range to 2 * range - 1 for
  // every range of the run.
  void keepMaskedBelow(std::int32_t* u, std::int32_t count, std::uint32_t range,
                       std::uint32_t mask, bool deplete) {
    const std::uint32_t step = deplete ? 1 : 0;
    std::int32_t kept = 0;
    for (;;) {
      if (next_ == kWords) refill();
      int p = next_;
      while (p < kWords && kept < count) {
        const std::uint32_t v = out_[p++] & mask;
        const std::uint32_t keep = v < range ? 1 : 0;
        u[kept] = static_cast<std::int32_t>(v);
        kept += static_cast<std::int32_t>(keep);
        range -= keep & step;
      }
      next_ = p;
      if (kept == count) return;
    }
  }

  // The same position in the same sequence.
  friend bool operator==(const Engine& a, const Engine& b) {
    return a.next_ == b.next_ &&
           std::memcmp(a.state_, b.state_, sizeof a.state_) == 0;
  }
  friend bool operator!=(const Engine& a, const Engine& b) { return !(a == b); }

 private:
  static constexpr int kShift = 397;
  static constexpr std::uint32_t kTwist = 0x9908b0dfu;

  static std::uint32_t twist(std::uint32_t upper, std::uint32_t lower,
                             std::uint32_t shifted) {
    const std::uint32_t y = (upper & 0x80000000u) | (lower & 0x7fffffffu);
    return shifted ^ (y >> 1) ^ ((0u - (y & 1u)) & kTwist);
  }
  static std::uint32_t temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    return y ^ (y >> 18);
  }

  // Word i becomes twist(i, i + 1, i + 397), indices modulo 624, in order:
  // words 0..226 take word i + 397 from before the twist, words 227..623
  // take word i - 227 from after it. Four consecutive words never depend
  // on one another, so each range runs four at a time with a plain tail.
  void refill() {
    twistRange(0, kWords - kShift, kShift);
    twistRange(kWords - kShift, kWords - 1, kShift - kWords);
    state_[kWords - 1] =
        twist(state_[kWords - 1], state_[0], state_[kShift - 1]);

    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= kWords; i += 4) {
      __m128i y = load(state_ + i);
      y = _mm_xor_si128(y, _mm_srli_epi32(y, 11));
      y = _mm_xor_si128(
          y, _mm_and_si128(_mm_slli_epi32(y, 7), splat(0x9d2c5680u)));
      y = _mm_xor_si128(
          y, _mm_and_si128(_mm_slli_epi32(y, 15), splat(0xefc60000u)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out_ + i),
                       _mm_xor_si128(y, _mm_srli_epi32(y, 18)));
    }
#endif
    for (; i < kWords; ++i) out_[i] = temper(state_[i]);
    next_ = 0;
  }

  // Words begin..end-1 from word i + from.
  void twistRange(int begin, int end, int from) {
    int i = begin;
#if defined(__SSE2__)
    for (; end - i >= 4; i += 4) twist4(i, i + from);
#endif
    for (; i < end; ++i) {
      std::uint32_t* word = state_ + i;
      *word = twist(word[0], word[1], word[from]);
    }
  }

#if defined(__SSE2__)
  static __m128i load(const std::uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }
  static __m128i splat(std::uint32_t v) {
    return _mm_set1_epi32(static_cast<std::int32_t>(v));
  }
  void twist4(int i, int from) {
    const __m128i y =
        _mm_or_si128(_mm_and_si128(load(state_ + i), splat(0x80000000u)),
                     _mm_and_si128(load(state_ + i + 1), splat(0x7fffffffu)));
    // All ones where y is odd: the sign of y shifted left by 31.
    const __m128i odd = _mm_srai_epi32(_mm_slli_epi32(y, 31), 31);
    const __m128i word =
        _mm_xor_si128(_mm_xor_si128(load(state_ + from), _mm_srli_epi32(y, 1)),
                      _mm_and_si128(odd, splat(kTwist)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state_ + i), word);
  }
#endif

  std::uint32_t state_[kWords];
  std::uint32_t out_[kWords];  // the tempered words of the current block
  int next_;                   // the next word of out_ to hand out
};

// A uniform integer from lo to hi inclusive (lo <= hi) by masked rejection:
// keep the lowest w bits of each engine output, where 2^w is the smallest
// power of two holding hi - lo + 1 values, until they fall in range. This
// exact mapping fixes the resamples a seed gives, so no library distribution
// may stand in for it. A range of one value takes no engine output.
inline std::uint64_t maskFor(std::uint64_t range) {
  std::uint64_t mask = range - 1;
  mask |= mask >> 1;
  mask |= mask >> 2;
  mask |= mask >> 4;
  mask |= mask >> 8;
  mask |= mask >> 16;
  return mask;
}

template <typename Urbg>
std::int32_t uniformInt(std::int32_t lo, std::int32_t hi, Urbg& engine) {
  if (hi == lo) return lo;
  const std::uint64_t range =
      static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
  const std::uint64_t mask = maskFor(range);
  std::uint64_t v;
  do {
    v = static_cast<std::uint32_t>(engine()) & mask;
  } while (v >= range);
  return static_cast<std::int32_t>(lo + static_cast<std::int64_t>(v));
}

// u[r] = uniformInt(0, top - r) for r from 0 to count - 1 when deplete is
// set, else uniformInt(0, top) count times (top - count + 1 >= 0): the same
// values from the same engine outputs as those calls.
template <typename Urbg>
void uniformInts(std::int32_t* u, std::int32_t count, std::int32_t top,
                 bool deplete, Urbg& engine) {
  for (std::int32_t r = 0; r < count; ++r)
    u[r] = uniformInt(0, top - (deplete ? r : 0), engine);
}

// With the block engine, in runs of draws that share a mask.
inline void uniformInts(std::int32_t* u, std::int32_t count, std::int32_t top,
                        bool deplete, Engine& engine) {
  std::int32_t r = 0;
  while (r < count) {
    const std::int32_t hi = top - (deplete ? r : 0);
    if (hi == 0) {  // one value: no engine output
      u[r++] = 0;
      continue;
    }
    const auto range = static_cast<std::uint32_t>(hi) + 1;
    const auto mask = static_cast<std::uint32_t>(maskFor(range));
    // Ranges down to half the mask's span + 1 share the mask.
    std::int32_t run = count - r;
    const auto sameMask = static_cast<std::int32_t>(range - (mask >> 1) - 1);
    if (deplete && sameMask < run) run = sameMask;
    engine.keepMaskedBelow(u + r, run, range, mask, deplete);
    r += run;
  }
}

}  // namespace boot
