# fish completion for kelmoro-cli: its options, the values of --jobs, folders
# after -o, and WAV files first.

# Every file and folder fish would offer, WAV files (any case) first, then
# folders, then the rest (kept in this order by complete -k).
function __kelmoro_cli_files
    set -l files (complete -C "__fish_command_without_completions "(commandline -ct))
    string match -r -i -- '^.*\.wav$' $files
    string match -r -- '^.*/$' $files
    string match -r -v -i -- '^.*(?:\.wav|/)$' $files
end

function __kelmoro_cli_jobs
    printf '%s\n' 0 1 2 4 (nproc 2>/dev/null; or echo 1)
end

complete -c kelmoro-cli -f -k -a '(__kelmoro_cli_files)'
complete -c kelmoro-cli -s q -l quiet -d 'No success lines, no progress bar, no summary'
complete -c kelmoro-cli -s n -l no-clobber -d 'Keep AU files that already exist'
complete -c kelmoro-cli -s o -l output-dir -x -a '(__fish_complete_directories)' -d 'Write the AU files into this folder'
complete -c kelmoro-cli -s j -l jobs -x -a '(__kelmoro_cli_jobs)' -d 'Convert up to N files at once (0: one per processor)'
complete -c kelmoro-cli -l files-from -r -F -d 'Convert the files named in this list (- for stdin)'
complete -c kelmoro-cli -s 0 -l null -d 'Names in the lists end with NUL'
complete -c kelmoro-cli -l json -d 'One JSON object per input on standard output'
complete -c kelmoro-cli -s F -l filter -d 'Change the rate through a band-limiting filter'
complete -c kelmoro-cli -s c -l stdout -d 'Write the AU data of the one file to standard output'
complete -c kelmoro-cli -s h -l help -d 'Show the help and exit'
complete -c kelmoro-cli -l version -d 'Show the version and exit'
