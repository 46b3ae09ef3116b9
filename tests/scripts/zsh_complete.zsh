#!/usr/bin/env zsh
# Types LINE and a tab into an interactive zsh (in a pseudo-terminal) that
# has the completions in FOLDER, and waits until what it shows matches the
# glob PATTERN; the caller bounds the wait (timeout).
# Usage: zsh_complete.zsh FOLDER LINE PATTERN
zmodload zsh/zpty || exit 2
zpty shell "zsh -f -i"
zpty -w shell "fpath=(${(q)1} \$fpath); autoload -Uz compinit; compinit -u -D; PS1='READY''> '"
zpty -r shell screen '*READY> ' || exit 2
zpty -w -n shell "$2"$'\t'
zpty -r shell screen "$3"
matched=$?
zpty -d shell
exit $matched
