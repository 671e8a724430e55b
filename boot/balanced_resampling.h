// Balanced bootstrap resamples (Davison, Hinkley and Schechtman, Biometrika
// 1986): draws take units out of a pool holding count[i] units of
// observation i, so that over all resamples each observation occurs exactly
// as often as its count says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "count_tree.h"
#include "random_source.h"

namespace boot {

// Draws made ahead of their descents: a small stack buffer.
constexpr std::int32_t kBatch = 64;

// Writes nboot resamples of size n, column by column, into out (n * nboot
// doubles): 1-based observation numbers, or values of x when x is given.
// counts holds each observation's units and is consumed; remaining is their
// sum, n * nboot. With nboot = 1 the single resample is drawn with
// replacement. With loo each resample holds one observation's units aside:
// observations 1..n in turn for as many full rounds as nboot allows, then
// one drawn at random for each remaining resample.
template <typename Urbg>
void fillBalancedResamples(std::int32_t n, std::int32_t nboot, bool loo,
                           const double* x, double* out,
                           std::vector<std::int64_t>& counts,
                           std::int64_t remaining, Urbg& engine) {
  CountTree pool(counts.data(), n);
  const std::int32_t fullCycles = nboot / n;
  const bool deplete = nboot > 1;
  bool holdOut = loo;  // once off, off for the rest of the call
  for (std::int32_t b = 0; b < nboot; ++b) {
    std::int32_t heldIndex = 0;
    std::int64_t heldCount = 0;
    if (holdOut) {
      heldIndex = b / n == fullCycles ? uniformInt(0, n - 1, engine) : b % n;
      heldCount = pool.countAt(heldIndex);
      pool.add(heldIndex, -heldCount);
    }
    double* column = out + static_cast<std::ptrdiff_t>(n) * b;
    std::int32_t k = 0;
    while (k < n) {
      // Escape: only the held-out units are left, so put them back and stop
      // holding anything out.
      if (holdOut && remaining == heldCount) {
        pool.add(heldIndex, heldCount);
        heldCount = 0;
        holdOut = false;
      }
      // The ranges of the next draws do not depend on what they choose, so
      // a batch of them is drawn first, up to the row where the escape
      // could fire: the descents that follow then overlap in the processor.
      std::int32_t rows = n - k < kBatch ? n - k : kBatch;
      if (holdOut && deplete && remaining - heldCount < rows)
        rows = static_cast<std::int32_t>(remaining - heldCount);
      std::int32_t drawn[kBatch];
      uniformInts(drawn, rows,
                  static_cast<std::int32_t>(remaining - heldCount - 1), deplete,
                  engine);
      double* to = column + k;
      const auto put = [to, x](std::int32_t r, std::int32_t chosen) {
        to[r] = x != nullptr ? x[chosen] : chosen + 1.0;
      };
      if (deplete)
        pool.drawEach<true>(drawn, rows, put);
      else
        pool.drawEach<false>(drawn, rows, put);
      if (deplete) remaining -= rows;
      k += rows;
    }
    if (holdOut) pool.add(heldIndex, heldCount);
  }
}

}  // namespace boot
