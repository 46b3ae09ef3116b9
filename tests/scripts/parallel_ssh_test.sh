#!/usr/bin/env bash
# The README's GNU parallel recipe, run for real: an OpenSSH server of the
# test's own on 127.0.0.1 and 127.0.0.2 at a high port (throwaway host and
# client keys, a private known_hosts), two sshlogins to it, a folder of WAV
# files in mixed case sent out, converted and brought back. Every AU file
# must come back under its expected name, identical to a local conversion,
# nothing may be left on the "hosts", and a broken file must make parallel's
# exit status non-zero. Only loopback addresses are used.
# Usage: parallel_ssh_test.sh KELMORO_CLI MAKE_WAV_PY
set -uo pipefail
cli=$(realpath "$1")
make_wav=$(realpath "$2")

skip() {
  echo "SKIP: $*"
  exit 77
}
((EUID == 0)) || skip "sshd must run as root to log a user in (running as uid $EUID)"
for tool in /usr/sbin/sshd ssh ssh-keygen parallel rsync; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

work=$(mktemp -d)
sshd_pid=
cleanup() {
  [[ -n $sshd_pid ]] && kill "$sshd_pid" 2>/dev/null && wait "$sshd_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# ---- the server ----
ssh-keygen -q -N '' -t ed25519 -f "$work/host_key" || skip "ssh-keygen failed"
ssh-keygen -q -N '' -t ed25519 -f "$work/client_key" || skip "ssh-keygen failed"
cp "$work/client_key.pub" "$work/authorized_keys"
chmod 600 "$work/authorized_keys"
mkdir -p /run/sshd  # sshd's privilege-separation folder
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
ListenAddress 127.0.0.2
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
StrictModes no
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
MaxStartups 50
MaxSessions 50
CONFIG
/usr/sbin/sshd -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
sshd_pid=$!

cat >"$work/ssh_config" <<CONFIG
Host *
  Port $port
  User root
  IdentityFile $work/client_key
  IdentitiesOnly yes
  UserKnownHostsFile $work/known_hosts
  StrictHostKeyChecking no
  BatchMode yes
  LogLevel ERROR
CONFIG
ssh_command="ssh -F $work/ssh_config"

# Wait until both addresses answer (up to 20 s).
deadline=$((SECONDS + 20))
for address in 127.0.0.1 127.0.0.2; do
  until $ssh_command "$address" true 2>"$work/ssh.err"; do
    if ! kill -0 "$sshd_pid" 2>/dev/null || ((SECONDS > deadline)); then
      skip "no sshd could be started: $(cat "$work/sshd.log" "$work/ssh.err")"
    fi
    sleep 0.2
  done
done

# ---- the batch: mixed-case names, two channels, other rates ----
mkdir -p "$work/in" "$work/local"
python3 "$make_wav" --seconds 0.4 "$work/in/One.WAV" >/dev/null &&
  python3 "$make_wav" --seconds 0.3 --channels 2 "$work/in/two.wav" >/dev/null &&
  python3 "$make_wav" --seconds 0.5 --rate 22050 --bits 8 "$work/in/Three.Wav" >/dev/null &&
  python3 "$make_wav" --seconds 0.2 --rate 8012 "$work/in/FOUR.WAV" >/dev/null &&
  python3 "$make_wav" --seconds 0.6 --rate 48000 --channels 2 "$work/in/Five_Six.wav" >/dev/null ||
  { echo "FAIL: make_wav.py"; exit 1; }
cp "$work"/in/* "$work/local/"
(cd "$work/local" && "$cli" -q -- *) || fail "the local conversion failed"

# The recipe, as in the README and the manual page. (GNU parallel 20221122
# quotes a --return name twice, so a name with a blank would not come back:
# the names here have none, as the README asks.)
run_recipe() {
  (cd "$work/in" && ls | grep -i '\.wav$' |
    parallel --ssh "$ssh_command" -S 2/127.0.0.1,2/127.0.0.2 --wd "$work/remote" \
      --joblog "$work/joblog" --transferfile {} \
      --return '{= $_ = lc $_; s/\.wav/.au/ =}' --cleanup "$cli" -q {})
}
run_recipe >"$work/run.out" 2>"$work/run.err"
status=$?
((status == 0)) || fail "parallel ended with $status: $(cat "$work/run.err")"
expected=(one.au two.au three.au four.au five_six.au)
for au in "${expected[@]}"; do
  if [[ ! -f $work/in/$au ]]; then
    fail "$au did not come back"
  elif ! cmp -s "$work/in/$au" "$work/local/$au"; then
    fail "$au differs from the local conversion"
  fi
done
hosts=$(awk 'NR > 1 { print $2 }' "$work/joblog" | sort -u | tr '\n' ' ')
[[ $hosts == "127.0.0.1 127.0.0.2 " ]] || fail "jobs ran on '$hosts', not on both sshlogins"
left=$(find "$work/remote" -type f 2>/dev/null)
[[ -z $left ]] || fail "left on the hosts: $left"

# ---- a broken file fails the run; the others still come back ----
rm -f "$work"/in/*.au
printf 'RIFF\001\000\000\000WAVEda' >"$work/in/broken.wav"
run_recipe >"$work/run.out" 2>"$work/run.err"
status=$?
((status != 0)) || fail "parallel ended with 0 although broken.wav failed"
((status == 1)) || fail "parallel ended with $status, not 1 for the one failed job"
grep -q 'kelmoro-cli: broken.wav: ' "$work/run.err" || fail "no error line for broken.wav: $(cat "$work/run.err")"
for au in "${expected[@]}"; do
  cmp -s "$work/in/$au" "$work/local/$au" || fail "$au did not come back beside the broken file"
done

if ((failures)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "converted ${#expected[@]} files over two sshlogins, each identical to a local conversion; a broken file gave status $status"
