# Sourced by the other scripts: installs the Debian packages a step needs,
# and does nothing when they are already there.
need_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ -z "${APT_UPDATED:-}" ]; then
    apt-get update -qq || echo "apt-get update reported errors; trying the install anyway"
    APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake make g++ clang llvm lld libgtest-dev googletest libbenchmark-dev)
OCTAVE_PACKAGES=(octave liboctave-dev gnuplot-nox fonts-freefont-otf)
