// write_seeds <folder>: the seed corpus, one call per documented message and
// a few calls that succeed, as <folder>/quorvane/* and <folder>/boot/*.
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "call_decoder.h"

namespace {

using fuzz::Encoder;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void write(const std::string& path, const Encoder& e) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(e.bytes().data()),
            static_cast<std::streamsize>(e.bytes().size()));
}

Encoder x(int nrhs) {
  Encoder e(nrhs, 1);
  e.doubles({3, 2}, {0, 1, 10, 1, 2, 3});
  return e;
}

void quorvaneSeeds(const std::string& dir) {
  const std::vector<std::pair<std::string, Encoder>> seeds = {
      {"no_inputs", Encoder(0, 1)},
      {"x_logical", Encoder(1, 1).input(mxLOGICAL_CLASS, {1, 1}, {1})},
      {"x_complex", Encoder(1, 1).input(mxDOUBLE_CLASS, {1, 1}, {2, 3}, true)},
      {"x_sparse",
       Encoder(1, 1).input(mxDOUBLE_CLASS, {3, 3}, {2}, false, true)},
      {"dim_not_scalar", x(2).doubles({1, 2}, {1, 2})},
      {"dim_single", x(2).input(mxSINGLE_CLASS, {1, 1}, {2})},
      {"dim_complex", x(2).input(mxDOUBLE_CLASS, {1, 1}, {2, 2}, true)},
      {"dim_three", x(2).scalar(3)},
      {"tol_not_scalar", x(3).scalar(1).doubles({1, 2}, {1, 2})},
      {"tol_int32", x(3).scalar(1).input(mxINT32_CLASS, {1, 1}, {1})},
      {"tol_complex",
       x(3).scalar(1).input(mxDOUBLE_CLASS, {1, 1}, {2, 2}, true)},
      {"tol_nan", x(3).scalar(1).scalar(kNaN)},
      {"tol_negative", x(3).scalar(1).scalar(-1)},
      {"x_too_many_rows", Encoder(1, 1).huge(0)},
      {"columns", x(1)},
      {"rows_tol", x(3).scalar(2).scalar(0.5)},
      {"no_convergence", x(3).scalar(1).scalar(0)},
      {"infinities", Encoder(1, 1).doubles({4, 1}, {-kInf, 1, kInf, kNaN})},
      {"huge_values", Encoder(1, 1).doubles({2, 1}, {1e308, 1.7e308})},
      {"empty_columns", Encoder(1, 1).doubles({0, 3}, {})},
  };
  for (const auto& [name, e] : seeds) write(dir + "/" + name, e);
}

Encoder nAndNboot(int nrhs, double n, double nboot) {
  Encoder e(nrhs, 1);
  e.scalar(n).scalar(nboot);
  return e;
}

void bootSeeds(const std::string& dir) {
  const std::vector<std::pair<std::string, Encoder>> seeds = {
      {"one_input", Encoder(1, 1).scalar(3)},
      {"six_inputs", nAndNboot(6, 3, 2).scalar(0).scalar(0).scalar(0).scalar(0)},
      {"n_complex", Encoder(2, 1)
                        .input(mxDOUBLE_CLASS, {1, 1}, {3, 3}, true)
                        .scalar(2)},
      {"n_single", Encoder(2, 1).input(mxSINGLE_CLASS, {1, 1}, {3}).scalar(2)},
      {"n_sparse", Encoder(2, 1)
                       .input(mxDOUBLE_CLASS, {1, 1}, {3}, false, true)
                       .scalar(2)},
      {"n_empty", Encoder(2, 1).doubles({0, 0}, {}).scalar(2)},
      {"n_fraction", nAndNboot(2, 2.9, 2)},
      {"x_matrix", Encoder(2, 1).doubles({2, 2}, {1, 2, 3, 5}).scalar(2)},
      {"x_int8", Encoder(2, 1).input(mxINT8_CLASS, {1, 3}, {1, 2, 3}).scalar(2)},
      {"x_sparse", Encoder(2, 1)
                       .input(mxDOUBLE_CLASS, {3, 1}, {3}, false, true)
                       .scalar(2)},
      {"nboot_not_scalar", Encoder(2, 1).scalar(3).doubles({1, 2}, {1, 2})},
      {"nboot_logical",
       Encoder(2, 1).scalar(3).input(mxLOGICAL_CLASS, {1, 1}, {1})},
      {"nboot_complex", Encoder(2, 1).scalar(3).input(mxDOUBLE_CLASS, {1, 1},
                                                      {3, 3}, true)},
      {"nboot_empty", Encoder(2, 1).scalar(3).doubles({1, 0}, {})},
      {"nboot_zero", nAndNboot(2, 3, 0)},
      {"nboot_inf", nAndNboot(2, 3, kInf)},
      {"loo_double", nAndNboot(3, 3, 2).scalar(1)},
      {"seed_not_scalar",
       nAndNboot(4, 3, 2).input(mxLOGICAL_CLASS, {1, 1}, {1}).doubles({1, 2},
                                                                       {1, 2})},
      {"seed_single", nAndNboot(4, 3, 2).doubles({0, 0}, {}).input(
                          mxSINGLE_CLASS, {1, 1}, {1})},
      {"seed_nan", nAndNboot(4, 3, 2).doubles({0, 0}, {}).scalar(kNaN)},
      {"too_many_outputs", [] {
         Encoder e(2, 2);
         e.scalar(3).scalar(2);
         return e;
       }()},
      {"n_times_nboot", nAndNboot(2, 1e10, 2)},
      {"weights_logical", nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).input(
                              mxLOGICAL_CLASS, {1, 3}, {1, 1, 1})},
      {"weights_complex",
       nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).input(
           mxDOUBLE_CLASS, {1, 3}, {3, 2, 2, 0, 0, 0}, true)},
      {"weights_length",
       nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).doubles({1, 2}, {3, 3})},
      {"weights_sparse",
       nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).input(
           mxDOUBLE_CLASS, {1, 3}, {3}, false, true)},
      {"weights_inf", nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).doubles(
                          {1, 3}, {3, kInf, 3})},
      {"weights_negative",
       nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).doubles({1, 3},
                                                                {3, -1, 3})},
      {"weights_sum", nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).doubles(
                          {1, 3}, {3, 3, 3})},
      {"weights_overflow",
       nAndNboot(5, 3, 2).doubles({0, 0}, {}).scalar(1).doubles(
           {1, 3}, {9.2e18, 9.2e18, 5})},
      {"x_huge", Encoder(2, 1).huge(1).scalar(1)},
      {"valid_n", nAndNboot(2, 5, 3)},
      {"valid_loo_seed", [] {
         Encoder e(4, 1);
         e.scalar(5).scalar(10).input(mxLOGICAL_CLASS, {1, 1}, {1}).scalar(42);
         return e;
       }()},
      {"valid_x_weights", [] {
         Encoder e(5, 1);
         e.doubles({1, 3}, {kNaN, -2.5, -1})
             .scalar(2)
             .doubles({0, 0}, {})
             .scalar(7)
             .doubles({3, 1}, {3, 0, 3});
         return e;
       }()},
      {"valid_nboot_one", nAndNboot(2, 100, 1)},
  };
  for (const auto& [name, e] : seeds) write(dir + "/" + name, e);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_seeds <folder>\n");
    return 2;
  }
  quorvaneSeeds(std::string(argv[1]) + "/quorvane");
  bootSeeds(std::string(argv[1]) + "/boot");
  return 0;
}
