#!/usr/bin/env bash
# Installs, through apt-get, whatever Debian packages the build and the tests
# need and this machine lacks. Quiet and quick when everything is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev
  libsoxr-dev  # the band-limited rate change (kelmoro-cli --filter)
  sox ffmpeg python3 locales
  xfsprogs  # a power cut simulated on an XFS image (fault tests)
)
# Extra sets, named on the command line: e.g. install-deps.sh gui bench
for extra in "$@"; do
  case "$extra" in
    gui) packages+=(libwxgtk3.2-dev libgtk-3-dev libx11-dev python3 xvfb xauth xdotool x11-utils imagemagick
                    dbus openbox fonts-ipafont-gothic adwaita-icon-theme python3-gi gir1.2-gtk-3.0
                    at-spi2-core python3-pyatspi weston) ;;
    bench) packages+=(ffmpeg hyperfine libbenchmark-dev time) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    # kelmoro-cli in scripts: its shell completions, GNU parallel over ssh to
    # 127.0.0.1 (parallel copies files with rsync), the package checker.
    scripts) packages+=(bash-completion zsh fish parallel openssh-server openssh-client rsync lintian) ;;
    desktop) packages+=(desktop-file-utils appstream dpkg-dev file man-db groff-base gzip
                        python3-pil fonts-ipafont-gothic) ;;
    # The Windows cross-build and its tests under Wine (tools/build-windows.sh):
    # dpkg-dev unpacks Debian's source packages of the Windows dependencies,
    # MinGW's zlib goes into wxWidgets' PNG support, NSIS makes the
    # installer. The desktop program's tests under Wine also need the "gui" set.
    windows) packages+=(g++-mingw-w64-x86-64-posix dpkg-dev wine wine64 fonts-wine
                        libz-mingw-w64-dev nsis) ;;
    *) echo "install-deps.sh: unknown set '$extra'" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A Shift-JIS locale, so the tests can check that file names are walked as
# Shift-JIS characters when the locale says so.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.sjis$'; then
  localedef --no-warnings=ascii -f SHIFT_JIS -i ja_JP ja_JP.SJIS >/dev/null 2>&1 || true
fi
