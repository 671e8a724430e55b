#!/usr/bin/env bash
# The release as a user meets it.
#   release_tests.sh glnxa64 <zip> <conformance driver>
#       unpacks the Linux archive and runs the conformance table on its
#       modules through the stand-in host
#   release_tests.sh octave-package <tar.gz>
#       pkg install into a scratch HOME and prefix (never the real ones),
#       pkg load, the functions' Octave tests from the installed files, help,
#       demo, pkg uninstall
#   release_tests.sh source-build <source tree>
#       build_quorvane with Octave's mex, then the Octave tests on the result
# Exit code 77: Octave is not installed (reported as skipped).
set -euo pipefail
what=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

octave_run() {
  HOME="$scratch/home" octave-cli --no-gui --no-init-file --no-history --quiet \
    --eval "$1"
}

need_octave() {
  if ! command -v octave-cli >/dev/null || ! command -v mkoctfile >/dev/null; then
    echo "SKIP: Octave (octave, liboctave-dev) is not installed"
    exit 77
  fi
  mkdir -p "$scratch/home"
}

case $what in
  glnxa64)
    zip=$2 driver=$3
    (cd "$scratch" && cmake -E tar xf "$zip")
    dir=$(echo "$scratch"/quorvane-*)
    # MATLAB loads them with its own, older C++ library: no symbol versions
    # newer than those of GCC 8 and glibc 2.17.
    for module in "$dir"/*.mexa64; do
      while read -r version; do
        case $version in
          GLIBC_*) limit=GLIBC_2.17 ;;
          GLIBCXX_*) limit=GLIBCXX_3.4.25 ;;
          CXXABI_*) limit=CXXABI_1.3.11 ;;
          *) continue ;;
        esac
        if [ "$(printf '%s\n%s\n' "$version" "$limit" | sort -V | tail -1)" != "$limit" ]; then
          echo "FAIL: $(basename "$module") needs $version (newer than $limit)"
          exit 1
        fi
        echo "PASS $(basename "$module") needs $version"
      done < <(objdump -T "$module" | grep -o '(\?[A-Z]*_[0-9.]*)\?' | tr -d '()' | sort -u)
    done
    "$driver" "$dir/quorvane.mexa64" "$dir/boot.mexa64"
    ;;

  octave-package)
    need_octave
    tarball=$2
    installed=$scratch/packages/$(basename "$tarball" .tar.gz)
    # -local everywhere: as root pkg would otherwise use the global list.
    octave_run "
      pkg ('prefix', '$scratch/packages', '$scratch/packages-arch');
      pkg ('local_list', '$scratch/octave_packages');
      pkg ('global_list', '$scratch/global_packages');
      pkg ('install', '-local', '$tarball');
      pkg ('load', 'quorvane');
      failed = 0;
      for name = {'quorvane', 'boot', 'demo_bootstrap'}
        where = which (name{1});
        printf ('%s: %s\n', name{1}, where);
        if (! strncmp (where, '$scratch/packages', numel ('$scratch/packages')))
          printf ('FAIL: %s is not the installed file\n', name{1});
          failed += 1;
        endif
      endfor
      for name = {'quorvane', 'boot'}
        [passed, total] = test (name{1}, 'quiet', stdout);
        printf ('%s: %d of %d Octave tests passed (installed copy)\n', ...
                name{1}, passed, total);
        failed += total - passed;
        if (total == 0)
          failed += 1;
        endif
      endfor
      text = help ('quorvane');
      if (isempty (strfind (text, 'Smoothed median of each column')))
        printf ('FAIL: help quorvane\n');
        failed += 1;
      endif
      text = help ('boot');
      if (isempty (strfind (text, 'Balanced bootstrap resamples')))
        printf ('FAIL: help boot\n');
        failed += 1;
      endif
      demo ('quorvane', 1);
      demo ('boot', 1);
      pkg ('unload', 'quorvane');
      pkg ('uninstall', '-local', 'quorvane');
      if (! isempty (pkg ('list')) || exist ('$installed', 'dir'))
        printf ('FAIL: pkg uninstall left the package behind\n');
        failed += 1;
      endif
      printf ('%d failed\n', failed);
      exit (failed != 0);"
    ;;

  source-build)
    need_octave
    tree=$2
    octave_run "addpath ('$tree'); build_quorvane ('$scratch/mex');"
    cd "$scratch/mex"
    octave_run "source ('$tree/octave/run_tests.m')"
    ;;

  *)
    echo "unknown: $what" >&2
    exit 2
    ;;
esac
