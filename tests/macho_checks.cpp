// macho_checks <quorvane bundle> <boot bundle> <plain-loop quorvane bundle>
//              <pair-sums probe bundle>
// What the macOS bundles must show in the arm64 emulator beyond the
// conformance table and the differential run: the host release and API
// version they report, whatever the slots held; the NEON pair sums against
// the plain loop bit for bit on the six families of slices; and how many
// divider instructions (fdiv, fsqrt) a pair term costs with each.
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "harness.h"
#include "macho_runner.h"
#include "pair_sum_families.h"
#include "pair_sums.h"

namespace {

int gPassed = 0;
int gFailed = 0;

void check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  (ok ? gPassed : gFailed) += 1;
}

std::uint64_t bitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

void versions(const char* path) {
  const macho::Bundle bundle(path);
  for (std::uint32_t fill : {0u, 0xFFFFFFFFu, 0xDEADBEEFu, 131643u}) {
    std::uint32_t release = 0, api = 0;
    bundle.requiredApiVersion(fill, release, api);
    char what[160];
    std::snprintf(what, sizeof what,
                  "%s: mexfilerequiredapiversion gives %u and %u (slots held "
                  "0x%08X)",
                  path, release, api, fill);
    check(release == 131643u && api == 120586240u, what);
  }
}

void pairSums(const char* probePath) {
  const macho::Bundle probe(probePath);
  std::mt19937_64 rng(20261209);
  int compared = 0, differing = 0;
  for (std::int32_t n : pair_sum_families::kSizes) {
    for (int kind = 0; kind < pair_sum_families::kFamilies; ++kind) {
      const std::vector<double> v = pair_sum_families::slice(n, kind, rng);
      for (double m : pair_sum_families::centres(v)) {
        double gPlain, cPlain, gNeon, cNeon, gHost, cHost;
        probe.callPairSums("pairSumsPlainProbe", v, m, gPlain, cPlain);
        probe.callPairSums("pairSumsNeonProbe", v, m, gNeon, cNeon);
        quorvane::pairSumsPlain(v.data(), n, m, gHost, cHost);
        // A NaN that an operation makes (Inf / Inf) is positive on arm64
        // and negative on x86: against this host, any NaN matches a NaN.
        const auto sameAsHost = [](double arm, double host) {
          return bitsOf(arm) == bitsOf(host) ||
                 (std::isnan(arm) && std::isnan(host));
        };
        const bool same = bitsOf(gPlain) == bitsOf(gNeon) &&
                          bitsOf(cPlain) == bitsOf(cNeon) &&
                          sameAsHost(gPlain, gHost) &&
                          sameAsHost(cPlain, cHost);
        if (!same && differing++ < 5)
          std::printf(
              "  differs: n=%d family=%d m=%g: gradient plain %a, "
              "NEON %a, this host %a; curvature %a, %a, %a\n",
              n, kind, m, gPlain, gNeon, gHost, cPlain, cNeon, cHost);
        ++compared;
      }
    }
  }
  check(differing == 0,
        "NEON pair sums equal the arm64 plain loop bit for bit (and this "
        "host's, NaN signs aside) on " +
            std::to_string(compared) + " slices and centres");
}

// Divider instructions per pair term: the routines on one 200-value slice,
// and whole quorvane calls on one 200-value column with each bundle.
void dividers(const char* probePath, const char* neonBundle,
              const char* plainBundle) {
  const macho::Bundle probe(probePath);
  std::mt19937_64 rng(7);
  const std::vector<double> v = pair_sum_families::slice(200, 0, rng);
  const double terms = 200.0 * 199.0 / 2.0;
  double perTerm[2];
  const char* names[2] = {"pairSumsPlainProbe", "pairSumsNeonProbe"};
  for (int i = 0; i < 2; ++i) {
    double g, c;
    probe.countDividers(true);
    probe.callPairSums(names[i], v, 0.25, g, c);
    const macho::DividerCounts d = probe.dividers();
    probe.countDividers(false);
    perTerm[i] = static_cast<double>(d.scalar + d.vector) / terms;
    std::printf("  %s, 200 values: %" PRIu64 " scalar and %" PRIu64
                " vector divider instructions, %.3f per pair term\n",
                names[i], d.scalar, d.vector, perTerm[i]);
  }
  check(perTerm[0] == 3.0, "the plain loop issues 3 per pair term");
  check(perTerm[1] <= 0.55 * perTerm[0],
        "the NEON path issues about half the plain loop's");

  const harness::Array x = harness::column(v);
  std::uint64_t total[2];
  std::vector<double> results[2];
  const char* bundles[2] = {plainBundle, neonBundle};
  for (int i = 0; i < 2; ++i) {
    const macho::Bundle b(bundles[i]);
    b.countDividers(true);
    const harness::CallResult r = b.call({x.get()});
    const macho::DividerCounts d = b.dividers();
    total[i] = d.scalar + d.vector;
    results[i] = r.out ? harness::valuesOf(r.out.get()) : std::vector<double>{};
    std::printf("  quorvane of one 200-value column, %s: %" PRIu64
                " divider instructions\n",
                i == 0 ? "plain-loop bundle" : "delivered NEON bundle",
                total[i]);
  }
  check(results[0].size() == 1 && results[1].size() == 1 &&
            bitsOf(results[0][0]) == bitsOf(results[1][0]),
        "the delivered and the plain-loop bundle give the same bits");
  std::printf("  whole call: NEON / plain = %.3f\n",
              static_cast<double>(total[1]) / static_cast<double>(total[0]));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: macho_checks <quorvane bundle> <boot bundle> "
                 "<plain-loop quorvane bundle> <pair-sums probe bundle>\n");
    return 2;
  }
  try {
    versions(argv[1]);
    versions(argv[2]);
    pairSums(argv[4]);
    dividers(argv[4], argv[1], argv[3]);
  } catch (const std::exception& e) {
    check(false, std::string("emulation: ") + e.what());
  }
  std::printf("macho checks: %d passed, %d failed\n", gPassed, gFailed);
  return gFailed == 0 ? 0 : 1;
}
