# bash completion for kelmoro-cli (needs bash-completion): its options, the
# values of --jobs, folders after -o, and WAV files first (any file when a
# folder holds none).

_kelmoro_cli_wav_files()
{
    _filedir '[wW][aA][vV]'
    local entry
    for entry in "${COMPREPLY[@]}"; do
        [[ -d $entry ]] || return 0
    done
    COMPREPLY=()
    _filedir
}

_kelmoro_cli()
{
    local cur prev words cword split
    _init_completion -s -n : || return

    case $prev in
        -o | --output-dir)
            _filedir -d
            return
            ;;
        -j | --jobs)
            local cpus
            cpus=$(_ncpus)
            COMPREPLY=($(compgen -W "0 1 2 4 $cpus" -- "$cur"))
            return
            ;;
        --files-from)
            _filedir
            return
            ;;
        -h | --help | --version)
            return
            ;;
    esac
    $split && return

    local word
    for word in "${words[@]:1:cword-1}"; do
        if [[ $word == -- ]]; then
            _kelmoro_cli_wav_files
            return
        fi
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--quiet --no-clobber --output-dir= --jobs=
            --files-from= --null --json --filter --stdout --help --version
            -q -n -o -j -0 -F -c -h' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace 2>/dev/null
        return
    fi
    _kelmoro_cli_wav_files
} &&
    complete -F _kelmoro_cli kelmoro-cli
