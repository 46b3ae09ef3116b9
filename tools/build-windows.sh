#!/usr/bin/env bash
# Cross-builds kelmoro-cli.exe for 64-bit Windows on Debian 12 with MinGW-w64,
# into build/windows/. Installs what it needs through apt-get, and builds the
# Windows dependencies from Debian's own source packages, each at a pinned
# version and cached under ~/.cache/kelmoro/windows/NAME-VERSION-RECIPE/, so
# that a second run skips them.
#
# usage: tools/build-windows.sh [--tests] [-DNAME=VALUE]...
#   --tests  also builds the test programs (tools/run-windows-tests.sh)
#   -D...    passed on to CMake
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/windows
tests=OFF
settings=()
for argument in "$@"; do
  case "$argument" in
    --tests) tests=ON ;;
    -D*) settings+=("$argument") ;;
    *) echo "build-windows.sh: unknown argument '$argument'" >&2; exit 2 ;;
  esac
done

tools/install-deps.sh windows

# ---- Debian's source packages --------------------------------------------------

# apt-get source needs a deb-src entry: one for each archive that
# debian.sources names, with the same URIs, suites, components and key.
ensure_source_entries() {
  local entries=/etc/apt/sources.list.d/kelmoro-deb-src.sources
  [[ -e "$entries" ]] && return
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources ||
     grep -qs '^deb-src ' /etc/apt/sources.list; then
    return
  fi
  sed -n 's/^Types: *deb$/Types: deb-src/; /^Types:\|^URIs:\|^Suites:\|^Components:\|^Signed-By:\|^$/p' \
    /etc/apt/sources.list.d/debian.sources >"$entries"
  apt-get -o DPkg::Lock::Timeout=600 update -qq
}

cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/kelmoro/windows"
dependency_prefixes=()

# build_dependency SOURCE VERSION RECIPE: fetches Debian's source package
# SOURCE at VERSION and runs the function RECIPE in its unpacked tree with
# the folder to install into, unless that folder is already in the cache.
# The cache key holds the version and a digest of the recipe, so a changed
# recipe builds again.
build_dependency() {
  local source=$1 version=$2 recipe=$3
  local digest
  digest=$(declare -f "$recipe" | sha256sum | cut -c1-12)
  local prefix="$cache_root/$source-$version-$digest"
  if [[ ! -e "$prefix/.complete" ]]; then
    echo "Building $source $version for Windows"
    ensure_source_entries
    local work
    work=$(mktemp -d "${TMPDIR:-/tmp}/kelmoro-$source.XXXXXX")
    rm -rf "$prefix"
    (
      cd "$work"
      apt-get source -qq "$source=$version" >/dev/null 2>&1 ||
        apt-get source -q "$source=$version"
      cd "$(find . -mindepth 1 -maxdepth 1 -type d | head -n 1)"
      "$recipe" "$prefix"
    )
    rm -rf "$work"
    touch "$prefix/.complete"
  fi
  dependency_prefixes+=("$prefix")
}

toolchain="$PWD/cmake/mingw-w64-x86_64.cmake"

# libsoxr, for -F. Its CMake installs no pkg-config file on Windows, so the
# recipe writes one. No OpenMP, so no libgomp DLL.
recipe_libsoxr() {
  local prefix=$1
  cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF \
    -DBUILD_EXAMPLES=OFF -DWITH_OPENMP=OFF -DWITH_LSR_BINDINGS=OFF >/dev/null
  cmake --build build >/dev/null
  cmake --install build >/dev/null
  mkdir -p "$prefix/lib/pkgconfig"
  cat >"$prefix/lib/pkgconfig/soxr.pc" <<EOF
prefix=$prefix
Name: soxr
Description: High quality, one-dimensional sample-rate conversion library
Version: ${version%%-*}
Libs: -L\${prefix}/lib -lsoxr
Cflags: -I\${prefix}/include
EOF
}

build_dependency libsoxr 0.1.3-4 recipe_libsoxr

# ---- Kelmoro -------------------------------------------------------------------

deps=$(IFS=';'; echo "${dependency_prefixes[*]}")
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DKELMORO_WINDOWS_DEPS="$deps" -DKELMORO_BUILD_APP=OFF -DKELMORO_BUILD_TESTS="$tests" \
  "${settings[@]}" >/dev/null
cmake --build "$build"

# Static: every DLL the program names must be one that Windows itself has.
exe="$build/cli/kelmoro-cli.exe"
windows_dlls='^(kernel32|msvcrt|shell32|user32|advapi32)\.dll$'
missing=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
          grep -viE "$windows_dlls" || true)
if [[ -n "$missing" ]]; then
  echo "build-windows.sh: $exe needs DLLs that Windows lacks: $missing" >&2
  exit 1
fi
echo "$exe: $(stat -c %s "$exe") bytes; DLLs:" \
  "$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
