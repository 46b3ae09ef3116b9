#!/usr/bin/env bash
# kelmoro-cli's shell completions: the bash one driven through
# bash-completion as a tab press would drive it (a table of command lines
# and the words offered); the zsh and fish ones parsed by their shells, and
# a few tabs pressed in an interactive zsh and asked of fish. Every option
# kelmoro-cli --help names must be offered by each of the three.
# Usage: completion_test.sh COMPLETIONS_FOLDER KELMORO_CLI
set -uo pipefail
folder=$(cd "$1" && pwd)
cli=$2
here=$(cd "$(dirname "$0")" && pwd)
failures=0

if [[ ! -r /usr/share/bash-completion/bash_completion ]]; then
  echo "SKIP: bash-completion is not installed"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/wavs/sub" "$work/wavs/au out" "$work/none/sub"
touch "$work/wavs/a.wav" "$work/wavs/B.WAV" "$work/wavs/c.Wav" "$work/wavs/notes.txt" \
  "$work/wavs/-dash.wav" "$work/none/notes.txt"

# The words bash offers for LINE (completed at its end) in FOLDER, sorted,
# one a line.
offered() {
  local in=$1 line=$2
  (
    cd "$work/$in" || exit 1
    # shellcheck disable=SC1091
    source /usr/share/bash-completion/bash_completion
    # shellcheck disable=SC1090
    source "$folder/kelmoro-cli.bash"
    COMP_LINE=$line
    COMP_POINT=${#line}
    # Split as readline does: on blanks; "=" stays in the word here and
    # _init_completion -s splits it off.
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _kelmoro_cli kelmoro-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort
  )
}

cpus=$(getconf _NPROCESSORS_ONLN)
jobs_values=$(printf '%s\n' 0 1 2 4 "$cpus" | sort -u)
check() {
  local in=$1 line=$2 want=$3 got
  got=$(offered "$in" "$line" | sort -u)
  if [[ "$got" != "$want" ]]; then
    printf 'FAIL: [%s] %q\n  want: %s\n  got:  %s\n' "$in" "$line" "${want//$'\n'/ }" "${got//$'\n'/ }"
    failures=$((failures + 1))
  fi
}

nl=$'\n'
check wavs "kelmoro-cli --ou" "--output-dir="
check wavs "kelmoro-cli --j" "--jobs=${nl}--json"
check wavs "kelmoro-cli --fi" "--files-from=${nl}--filter"
check wavs "kelmoro-cli -q --n" "--no-clobber${nl}--null"
check wavs "kelmoro-cli --jobs=" "$jobs_values"
check wavs "kelmoro-cli -j " "$jobs_values"
check wavs "kelmoro-cli -o " "au out${nl}sub"
check wavs "kelmoro-cli --output-dir=s" "sub"
check wavs "kelmoro-cli " "-dash.wav${nl}B.WAV${nl}a.wav${nl}au out${nl}c.Wav${nl}sub"
check wavs "kelmoro-cli -- -" "-dash.wav"
check wavs "kelmoro-cli --files-from=n" "notes.txt"
check none "kelmoro-cli " "notes.txt${nl}sub"
check wavs "kelmoro-cli --help " ""
check wavs "kelmoro-cli -h " ""

# The options --help names ("  -q, --quiet", "      --json"), one a line.
options=$("$cli" --help | sed -nE 's/^ {2}(-[[:alnum:]], )?(--[[:alnum:]-]+).*/\1\2/p
  s/^ {6}(--[[:alnum:]-]+).*/\1/p' | tr -s ', ' '\n\n')
# NAME, then the words its completion offers for a dash: each option there.
offers_every_option() {
  local option
  for option in $options; do
    grep -qxE -- "$option=?" <<<"$2" ||
      { printf 'FAIL: the %s completion does not offer %s\n' "$1" "$option"; failures=$((failures + 1)); }
  done
}
[[ $options == *--version* ]] ||
  { echo "FAIL: no options read from --help"; failures=$((failures + 1)); }
offers_every_option bash "$(offered wavs "kelmoro-cli -")"

if command -v zsh >/dev/null; then
  zsh -n "$folder/_kelmoro-cli" || { echo "FAIL: zsh -n"; failures=$((failures + 1)); }
  # The option descriptions it hands to _arguments, by their names.
  offers_every_option zsh "$(zsh -f -c 'function _arguments { print -rl -- "$@"; }; source "$1"' \
    zsh "$folder/_kelmoro-cli" | sed -nE 's/^(\([^)]*\))?\*?(-{1,2}[[:alnum:]-]+).*/\2/p')"
  # And a tab pressed in an interactive zsh: what it completes or lists.
  zsh_offers() {
    (cd "$work/$1" && timeout 20 zsh "$here/zsh_complete.zsh" "$folder" "$2" "$3") ||
      { printf 'FAIL: zsh does not offer %s for %q\n' "$3" "$2"; failures=$((failures + 1)); }
  }
  zsh_offers wavs "kelmoro-cli --ou" "*kelmoro-cli --output-dir*"
  zsh_offers none "kelmoro-cli -o " "*kelmoro-cli -o sub*"
  zsh_offers wavs "kelmoro-cli " "*-dash.wav*B.WAV*a.wav*"
else
  echo "zsh is not installed: its completion is not checked"
fi
if command -v fish >/dev/null; then
  fish --no-execute "$folder/kelmoro-cli.fish" || { echo "FAIL: fish --no-execute"; failures=$((failures + 1)); }
  offers_every_option fish \
    "$(fish -c "source '$folder/kelmoro-cli.fish'; complete -C'kelmoro-cli -'" | cut -f1)"
  # What fish offers: the WAV files, then the folders, then the rest.
  groups=$(cd "$work/wavs" && fish -c "source '$folder/kelmoro-cli.fish'; complete -C'kelmoro-cli '" |
    awk '{ print (/\.[wW][aA][vV]$/ ? "wav" : /\/$/ ? "folder" : "other") }' | uniq -c | awk '{ printf "%s %s,", $1, $2 }')
  [[ "$groups" == "4 wav,2 folder,1 other," ]] || { printf 'FAIL: fish offers the groups in the order %s\n' "$groups"; failures=$((failures + 1)); }
else
  echo "fish is not installed: its completion is not checked"
fi

if ((failures > 0)); then
  echo "$failures completion checks failed"
  exit 1
fi
echo "all completion checks passed"
