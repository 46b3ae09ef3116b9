#!/usr/bin/env bash
# Installs a finished build into a scratch prefix and checks that a Linux
# desktop finds everything where it looks: the programs in bin/, the menu
# entry (valid, pointing at an icon and a program that exist), the icons in
# the hicolor theme, manual pages that man finds and renders cleanly, and a
# Debian package, built by CPack, that holds the same files.
# Usage: check_install.sh BUILD_DIR EXPECT_DESKTOP_PROGRAM(0|1)
set -uo pipefail

build=${1:?build folder}
expect_app=${2:?0 or 1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export LC_ALL=C.UTF-8 MANWIDTH=80

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)

# ---- programs ----
programs=(kelmoro-cli)
((expect_app)) && programs+=(kelmoro)
for program in "${programs[@]}"; do
  [[ -x $prefix/bin/$program ]] || fail "bin/$program is not installed as an executable"
done
if [[ -x $prefix/bin/kelmoro-cli ]]; then
  version=$("$prefix/bin/kelmoro-cli" --version) || fail "installed kelmoro-cli --version failed"
  [[ $version == "kelmoro-cli "* ]] || fail "installed kelmoro-cli --version printed '$version'"
fi
# Only bin/ and share/ belong to an installed desktop program (no static
# libraries, headers or test programs).
stray=$(grep -Ev '^(bin|share)/' <<<"$installed")
[[ -z $stray ]] || fail "files installed outside bin/ and share/: $stray"

# ---- menu entry ----
desktop=$prefix/share/applications/kelmoro.desktop
if [[ ! -f $desktop ]]; then
  fail "share/applications/kelmoro.desktop is not installed"
else
  if ! report=$(desktop-file-validate "$desktop" 2>&1) || [[ -n $report ]]; then
    fail "desktop-file-validate: $report"
  fi
  entry() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
  exec_line=$(entry Exec)
  [[ $exec_line == "kelmoro %F" ]] || fail "Exec is '$exec_line'"
  if ((expect_app)) && [[ ! -x $prefix/bin/${exec_line%% *} ]]; then
    fail "Exec names '${exec_line%% *}', which is not in bin/"
  fi
  mime=$(entry MimeType)
  for type in audio/x-wav audio/wav; do
    [[ ";$mime" == *";$type;"* ]] || fail "MimeType '$mime' lacks $type"
  done
  [[ -n $(entry 'Name\[ja\]') ]] || fail "no Japanese name (Name[ja])"
  icon=$(entry Icon)
  [[ -f $prefix/share/icons/hicolor/32x32/apps/$icon.png ]] ||
    fail "Icon '$icon' has no 32x32 picture in the hicolor theme"
fi

# ---- software centres (AppStream) ----
metainfo=$prefix/share/metainfo/kelmoro.metainfo.xml
if [[ ! -f $metainfo ]]; then
  fail "share/metainfo/kelmoro.metainfo.xml is not installed"
else
  # Offline. The one warning allowed: the id is not a reverse domain name,
  # as the project owns no domain to name it by.
  report=$(appstreamcli validate --no-net "$metainfo" 2>&1)
  issues=$(grep -E '^[EW]: ' <<<"$report" | grep -v ' cid-desktopapp-is-not-rdns ')
  [[ -z $issues && $report == *"kelmoro"* ]] || fail "appstreamcli validate: $report"
  grep -q '<launchable type="desktop-id">kelmoro.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch kelmoro.desktop"
fi

# ---- the README, the home page of the Help menu ----
[[ -f $prefix/share/doc/kelmoro/README.md ]] || fail "share/doc/kelmoro/README.md is not installed"
for picture in $(grep -oE 'docs/[a-z-]+\.png' "$prefix/share/doc/kelmoro/README.md" 2>/dev/null); do
  [[ -f $prefix/share/doc/kelmoro/$picture ]] || fail "README picture $picture is not installed"
done

# ---- icons ----
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/kelmoro.png
  if [[ ! -f $png ]]; then
    fail "no ${size}x${size} application icon"
    continue
  fi
  kind=$(file -b "$png")
  [[ $kind == "PNG image data, $size x $size,"* ]] || fail "${size}x${size} icon is: $kind"
done
svg=$prefix/share/icons/hicolor/scalable/apps/kelmoro.svg
[[ -f $svg && $(file -b "$svg") == *"SVG"* ]] || fail "no scalable SVG application icon"

# ---- manual pages ----
manpath=$prefix/share/man
help_text=$("$prefix/bin/kelmoro-cli" --help 2>/dev/null)
for page in kelmoro kelmoro-cli; do
  found=$(man -M "$manpath" -w "$page" 2>/dev/null)
  if [[ $found != "$manpath/man1/$page.1"* ]]; then
    fail "man does not find $page(1) under share/man/man1 (got '$found')"
    continue
  fi
  text=$(man --warnings -l "$found" 2>"$work/man.err")
  if [[ -s $work/man.err ]]; then
    fail "$page(1) renders with warnings: $(cat "$work/man.err")"
  fi
  grep -q "^NAME" <<<"$text" && grep -qE "^ *$page +- " <<<"$text" ||
    fail "$page(1) has no NAME line for $page"
done
# Every option the program's own help lists is described in its page.
cli_page=$(man -M "$manpath" kelmoro-cli 2>/dev/null)
while read -r option; do
  grep -q -- "$option" <<<"$cli_page" || fail "kelmoro-cli(1) does not mention $option"
done < <(grep -oE '^  -[-a-z]+' <<<"$help_text" | tr -d ' ')
[[ -n $(grep -oE '^  -[-a-z]+' <<<"$help_text") ]] || fail "kelmoro-cli --help lists no options"

# ---- shell completions, license, changelog ----
for file in share/bash-completion/completions/kelmoro-cli share/zsh/site-functions/_kelmoro-cli \
  share/fish/vendor_completions.d/kelmoro-cli.fish share/doc/kelmoro/copyright \
  share/doc/kelmoro/changelog.gz; do
  [[ -s $prefix/$file ]] || fail "$file is not installed"
done
completions_dir=$(pkg-config --variable=completionsdir bash-completion 2>/dev/null)
[[ -z $completions_dir || $completions_dir == /usr/share/bash-completion/completions ]] ||
  fail "bash-completion looks in $completions_dir, not share/bash-completion/completions"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$prefix/share/doc/kelmoro/copyright" 2>/dev/null || fail "copyright is not in the DEP-5 format"
grep -q '<project_license>MIT</project_license>' "$prefix/share/metainfo/kelmoro.metainfo.xml" ||
  fail "metainfo names no project_license"

# ---- Debian package ----
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack -G DEB failed"
else
  deb=$(find "$work/package" -maxdepth 1 -name '*.deb' | head -n 1)
  if [[ -z $deb ]]; then
    fail "cpack made no .deb"
  else
    [[ $(dpkg-deb -f "$deb" Package) == kelmoro ]] || fail "package name is not kelmoro"
    [[ $(dpkg-deb -f "$deb" Section) == sound ]] || fail "package section is not sound"
    [[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "package has no maintainer"
    [[ $(dpkg-deb -f "$deb" Depends) == *libc6* ]] || fail "package depends on nothing"
    [[ $(dpkg-deb -f "$deb" Depends) == *libsoxr0* ]] || fail "package does not depend on libsoxr0"
    # The package holds exactly what cmake --install puts under the prefix.
    packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort)
    if [[ $packaged != "$installed" ]]; then
      fail "package and install differ: $(diff <(echo "$packaged") <(echo "$installed") | grep '^[<>]')"
    fi
    ((expect_app)) && ! grep -qx 'bin/kelmoro' <<<"$packaged" && fail "package lacks bin/kelmoro"
    # What Debian's checker says: no error, and only the warnings explained
    # here.
    if command -v lintian >/dev/null; then
      lintian --no-tag-display-limit "$deb" >"$work/lintian.txt" 2>"$work/lintian.err"
      grep -E '^E: ' "$work/lintian.txt" | sed 's/^/lintian: /' | while read -r line; do echo "FAIL: $line" >&2; done
      grep -qE '^E: ' "$work/lintian.txt" && fail "lintian reports errors"
      # lintian 2.116 (Debian 12) gives this package no warning. Tags to
      # accept with a reason would be listed here. Below warnings it only
      # notes, as information: hardening-no-bindnow and
      # hardening-no-fortify-functions (the build takes the compiler's own
      # flags, not dpkg-buildflags') and binary-has-unneeded-section .comment.
      explained=()
      while read -r line; do
        tag=$(awk '{print $3}' <<<"$line")
        [[ " ${explained[*]} " == *" $tag "* ]] || fail "lintian warning not explained: $line"
      done < <(grep -E '^W: ' "$work/lintian.txt")
    else
      echo "lintian is not installed: the package is not checked by it"
    fi
  fi
fi

if ((failures)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed and packaged: $(wc -l <<<"$installed") files"
