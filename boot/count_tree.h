// The pool's counts, kept in place as a Fenwick (binary indexed) tree, so
// that the draw "the first observation whose running count sum exceeds u"
// and the update of one count both take O(log n) steps instead of a walk
// over the counts from the first one. It needs no storage beyond the counts.
#pragma once

#include <cstdint>

namespace boot {

class CountTree {
 public:
  // Rebuilds counts[0..n-1] in place: entry j - 1 (j counted from 1) then
  // holds the sum of the counts j - lowbit(j) .. j - 1.
  CountTree(std::int64_t* counts, std::int32_t n)
      : tree_(counts), n_(static_cast<std::uint32_t>(n)), top_(1) {
    while (top_ <= n_ / 2) top_ *= 2;
    for (std::uint32_t j = 1; j <= n_; ++j) {
      const std::uint32_t parent = j + lowbit(j);
      if (parent <= n_) tree_[parent - 1] += tree_[j - 1];
    }
  }

  // The first observation (0-based) whose running count sum is greater than
  // u: an observation with a count of 0 is never chosen. Requires u to be
  // below the sum of all counts.
  std::int32_t find(std::int64_t u) { return descend<false>(u); }

  // find, and take one unit of the chosen observation out of the pool.
  std::int32_t take(std::int64_t u) { return descend<true>(u); }

  void add(std::int32_t i, std::int64_t delta) {
    for (auto j = static_cast<std::uint32_t>(i) + 1; j <= n_; j += lowbit(j))
      tree_[j - 1] += delta;
  }

  std::int64_t countAt(std::int32_t i) const {
    const auto j = static_cast<std::uint32_t>(i) + 1;
    std::int64_t value = tree_[j - 1];
    for (std::uint32_t k = j - 1; k > j - lowbit(j); k -= lowbit(k))
      value -= tree_[k - 1];
    return value;
  }

 private:
  // The descent visits, as the candidates it does not take, exactly the
  // entries whose ranges hold the chosen observation; with Remove it takes
  // the unit out of those on the way down instead of a second pass upward.
  //
  // Two levels per round: the three entries they may need are loaded before
  // either comparison, halving the chain of dependent loads. The choices are
  // unpredictable, so they are made with masks rather than branches
  // (compilers turn plain selects here back into branches).
  template <bool Remove>
  std::int32_t descend(std::int64_t u) {
    std::uint32_t pos = 0;
    std::uint32_t step = top_;
    for (; step >= 2; step /= 4) {
      const std::uint32_t half = step / 2;
      const std::int64_t left = entry(pos + step);
      const std::int64_t below = entry(pos + half);
      const std::int64_t above = entry(pos + step + half);
      const std::int64_t tookLeft = maskOf(level<Remove>(pos, u, step, left));
      level<Remove>(pos, u, half, below ^ ((above ^ below) & tookLeft));
    }
    if (step == 1) level<Remove>(pos, u, 1, entry(pos + 1));
    return static_cast<std::int32_t>(pos);
  }

  // One level of the descent at width step, whose candidate entry is value:
  // moves right past the candidate when it exists and does not exceed u;
  // with Remove, a candidate not passed loses the unit. Returns whether it
  // moved right.
  template <bool Remove>
  bool level(std::uint32_t& pos, std::int64_t& u, std::uint32_t step,
             std::int64_t value) {
    const bool exists = pos + step <= n_;
    const bool right = exists & (value <= u);
    if (Remove) tree_[index(pos + step)] -= exists & !right;
    const std::int64_t mask = maskOf(right);
    pos += step & static_cast<std::uint32_t>(mask);
    u -= value & mask;
    return right;
  }

  // Entry j (counted from 1), clamped to the last one so that a position
  // past the end can be loaded before the test that rejects it.
  std::uint32_t index(std::uint32_t j) const { return (j < n_ ? j : n_) - 1; }
  std::int64_t entry(std::uint32_t j) const { return tree_[index(j)]; }

  // All ones when the condition holds, else all zeros.
  static std::int64_t maskOf(bool condition) {
    return -static_cast<std::int64_t>(condition);
  }

  // Index arithmetic is unsigned: j + lowbit(j) can pass 2^31 for n near it.
  static std::uint32_t lowbit(std::uint32_t j) { return j & (0u - j); }

  std::int64_t* tree_;
  std::uint32_t n_;
  std::uint32_t top_;  // the highest power of two not above n
};

}  // namespace boot
