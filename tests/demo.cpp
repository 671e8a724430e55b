// A short example: loads quorvane.mexa64 as the host does and prints the
// ordinary and smoothed medians of a few columns.
#include <cmath>
#include <cstdio>
#include <vector>

#include "harness.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s quorvane.mexa64\n", argv[0]);
    return 2;
  }
  const harness::Module quorvane(argv[1]);
  // Three columns: a skewed sample, one with an outlier, one with NaNs.
  const std::vector<double> data = {0.2, 0.4, 0.5, 0.9, 1.4, 2.8, 6.1,
                                    1,   2,   3,   4,   5,   6,   100,
                                    3,   NAN, 1,   4,   NAN, 5,   9};
  const harness::Array x = harness::doubles({7, 3}, data);
  const harness::CallResult r = quorvane.call({x.get()});
  if (r.failed) {
    std::fprintf(stderr, "quorvane failed: %s\n", r.message.c_str());
    return 1;
  }
  const std::vector<double> m = harness::valuesOf(r.out.get());
  std::printf("quorvane(X) on a 7 x 3 matrix, column by column:\n");
  const char* what[] = {"skewed sample", "outlier 100", "with NaNs"};
  for (int c = 0; c < 3; ++c)
    std::printf("  column %d (%s): smoothed median %.6f\n", c + 1, what[c],
                m[c]);
  std::fputs(r.printed.c_str(), stdout);

  const harness::Array dim = harness::scalar(3);
  const harness::CallResult bad = quorvane.call({x.get(), dim.get()});
  std::printf("quorvane(X, 3) fails with: %s\n", bad.message.c_str());
  return 0;
}
