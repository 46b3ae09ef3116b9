#!/usr/bin/env bash
# Cross-builds Kelmoro for 64-bit Windows on Debian 12 with MinGW-w64, into
# build/windows/: kelmoro.exe (app/), kelmoro-cli.exe (cli/), the installer
# kelmoro-setup-VERSION-x64.exe (NSIS) and the portable
# kelmoro-VERSION-windows-x64.zip. Installs what it needs through apt-get,
# and builds the Windows dependencies from Debian's own source packages, each
# at a pinned version and cached under
# ~/.cache/kelmoro/windows/NAME-VERSION-RECIPE/, so that a second run skips
# them.
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

# build_dependency SOURCE VERSION RECIPE [ARGUMENT...]: fetches Debian's
# source package SOURCE at VERSION and runs the function RECIPE in its
# unpacked tree with the folder to install into and the ARGUMENTs (the folders
# of the dependencies it builds on), unless that folder is already in the
# cache. The cache key holds the version and a digest of the recipe and its
# arguments, so a changed recipe or dependency builds again.
build_dependency() {
  local source=$1 version=$2 recipe=$3
  shift 3
  local digest
  digest=$({ declare -f "$recipe"; if (($#)); then echo "$@"; fi; } | sha256sum | cut -c1-12)
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
      "$recipe" "$prefix" "$@"
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

# zlib is MinGW's own (libz-mingw-w64-dev); its static archive, named outright,
# since CMake would otherwise pick the import library of zlib1.dll.
mingw_zlib=(-DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a
            -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include)

# libpng, for the pictures wxWidgets loads from PNG. Only the static library.
recipe_libpng() {
  local prefix=$1
  cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${mingw_zlib[@]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF >/dev/null
  cmake --build build --parallel 2 >/dev/null
  cmake --install build >/dev/null
}

# The security updates come and go on the mirrors: this is the newest
# revision that Debian 12's archive serves.
build_dependency libpng1.6 1.6.39-2+deb12u5 recipe_libpng
libpng_prefix=${dependency_prefixes[-1]}

# wxWidgets for MSW at the version Debian's Linux build has, static, with only
# the libraries the desktop program links (base, core, adv, aui) and the image
# formats it uses (PNG). It installs a CMake package (wxWidgets_DIR), no
# wx-config. About 20 CPU minutes; precompiled headers save a third of it.
recipe_wxwidgets() {
  local prefix=$1 png=$2
  cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DwxBUILD_SHARED=OFF -DwxBUILD_PRECOMP=ON \
    -DwxBUILD_SAMPLES=OFF -DwxBUILD_TESTS=OFF -DwxBUILD_DEMOS=OFF \
    "${mingw_zlib[@]}" -DwxUSE_ZLIB=sys -DwxUSE_LIBPNG=sys \
    -DPNG_LIBRARY="$png/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$png/include" \
    -DwxUSE_LIBJPEG=OFF -DwxUSE_LIBTIFF=OFF -DwxUSE_EXPAT=OFF -DwxUSE_XML=OFF -DwxUSE_XRC=OFF \
    -DwxUSE_REGEX=OFF -DwxUSE_SOCKETS=OFF -DwxUSE_PROTOCOL=OFF -DwxUSE_URL=OFF \
    -DwxUSE_FS_INET=OFF -DwxUSE_WEBREQUEST=OFF -DwxUSE_HTML=OFF -DwxUSE_WXHTML_HELP=OFF \
    -DwxUSE_WEBVIEW=OFF -DwxUSE_STC=OFF -DwxUSE_PROPGRID=OFF -DwxUSE_RIBBON=OFF \
    -DwxUSE_RICHTEXT=OFF -DwxUSE_MEDIACTRL=OFF -DwxUSE_OPENGL=OFF -DwxUSE_DEBUGREPORT=OFF \
    -DwxUSE_ACCESSIBILITY=ON >/dev/null
  cmake --build build --parallel 2 >/dev/null
  cmake --install build >/dev/null
}

build_dependency wxwidgets3.2 3.2.2+dfsg-2 recipe_wxwidgets "$libpng_prefix"
wxwidgets_prefix=${dependency_prefixes[-1]}

# ---- Kelmoro -------------------------------------------------------------------

deps=$(IFS=';'; echo "${dependency_prefixes[*]}")
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DKELMORO_WINDOWS_DEPS="$deps" -DwxWidgets_DIR="$wxwidgets_prefix/lib/cmake/wxWidgets" \
  -DKELMORO_BUILD_APP=ON -DKELMORO_BUILD_TESTS="$tests" \
  "${settings[@]}" >/dev/null
cmake --build "$build"

# Static: every DLL the programs name must be one that Windows itself has.
windows_dlls='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleacc|oleaut32|shell32'
windows_dlls+='|shlwapi|user32|uxtheme|version|winspool)\.(dll|drv)$'
for exe in "$build/cli/kelmoro-cli.exe" "$build/app/kelmoro.exe"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  missing=$(grep -viE "$windows_dlls" <<<"$dlls" || true)
  if [[ -n "$missing" ]]; then
    echo "build-windows.sh: $exe needs DLLs that Windows lacks: $missing" >&2
    exit 1
  fi
  echo "$exe: $(stat -c %s "$exe") bytes; DLLs: $(tr '\n' ' ' <<<"$dlls")"
done
for package in "$build"/kelmoro-setup-*-x64.exe "$build"/kelmoro-*-windows-x64.zip; do
  echo "$package: $(stat -c %s "$package") bytes"
done
