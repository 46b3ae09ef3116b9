"""kelmoro-cli with standard input and output, pipes, RF64/BW64 files and a
data chunk of more than 2^31 frames. One table: each case is a shell
pipeline and what its AU bytes, status and messages must be, measured
against the plain conversion of the same file; a second of inputs that
must end alike whether read from a file or through a pipe. Then standard
output and standard error on a terminal.

usage: check_streams.py KELMORO_CLI [--large]
--large adds the sparse 2.3 GB file (about half a gigabyte is written).
Exits 0 when every case holds, 1 otherwise, 77 when sox or ffmpeg is missing.
"""

import os
import pty
import shutil
import signal
import struct
import subprocess
import sys
import tempfile

SKIP = 77
UNKNOWN = b"\xff\xff\xff\xff"


def run(command, folder):
    return subprocess.run(["bash", "-o", "pipefail", "-c", command], cwd=folder,
                          stdin=subprocess.DEVNULL, capture_output=True)


def with_size(au, field):
    return au[:8] + field + au[12:]


def rf64(wav, tag=b"RF64", data_size=None):
    """The RF64 twin of a plain WAV file: 0xFFFFFFFF in the RIFF and data
    sizes, the real ones (or the data size given) in a 'ds64' chunk first."""
    data_at = wav.index(b"data")
    if data_size is None:
        data_size = struct.unpack("<I", wav[data_at + 4:data_at + 8])[0]
    ds64 = b"ds64" + struct.pack("<IQQQI", 28, len(wav) + 36 - 8, data_size, 0, 0)
    body = wav[12:data_at] + b"data" + UNKNOWN + wav[data_at + 8:]
    return tag + UNKNOWN + b"WAVE" + ds64 + body


def roads_case(cli, folder, data, expected):
    """The same bytes as a file (-c) and through a pipe ('-'): the same
    status, message (the name aside) and AU bytes; `expected` is the AU, or
    None for a failure. Returns what went wrong."""
    open(os.path.join(folder, "road.wav"), "wb").write(data)
    ends = []
    for command in (f"{cli} -c road.wav > out.au", f"cat road.wav | {cli} - > out.au"):
        done = run(command, folder)
        au = open(os.path.join(folder, "out.au"), "rb").read()
        ends.append((done.returncode, done.stderr.replace(b"road.wav", b"standard input"), au))
    problems = [] if ends[0] == ends[1] else [f"file road {ends[0]!r:.300} but pipe road {ends[1]!r:.300}"]
    if expected is None and ends[0][0] != 1:
        problems.append(f"status {ends[0][0]}, expected a failure")
    if expected is not None and ends[0][2] != expected:
        problems.append(f"AU of {len(ends[0][2])} bytes differs from the expected {len(expected)}")
    return problems


def terminal_case(cli, folder, stream):
    """-c with standard output ("stdout") or standard error on a terminal:
    the status, what the terminal showed and what the other stream got."""
    leader, follower = pty.openpty()
    with open(os.path.join(folder, "out.au"), "wb") as out:
        done = subprocess.run([cli, "-c", "in.wav"], cwd=folder, stdin=subprocess.DEVNULL,
                              stdout=follower if stream == "stdout" else out,
                              stderr=subprocess.PIPE if stream == "stdout" else follower)
    os.close(follower)
    os.set_blocking(leader, False)
    shown = b""
    try:
        while chunk := os.read(leader, 65536):
            shown += chunk
    except (BlockingIOError, OSError):
        pass
    os.close(leader)
    return done.returncode, shown, done.stderr


def interrupted_case(cli, folder):
    """-c into a file that holds "abc", stopped by SIGTERM between its two
    writes: whether it ended by the signal with the file cut back to "abc"
    (None: it was never caught there)."""
    path = os.path.join(folder, "out.au")
    for _ in range(20):
        with open(path, "wb") as out:
            out.write(b"abc")
            out.flush()
            child = subprocess.Popen([cli, "-c", "long.wav"], cwd=folder, stdout=out,
                                     stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     preexec_fn=lambda: signal.signal(signal.SIGTERM, signal.SIG_DFL))
        while os.path.getsize(path) <= 3 and child.poll() is None:
            pass
        child.send_signal(signal.SIGSTOP)
        caught = child.poll() is None and 3 < os.path.getsize(path) < 3 + 28 + 60 * 8012
        child.send_signal(signal.SIGTERM if caught else signal.SIGCONT)
        child.send_signal(signal.SIGCONT)
        status = child.wait()
        if caught:
            return status == -signal.SIGTERM and open(path, "rb").read() == b"abc"
    return None


def main():
    cli = os.path.abspath(sys.argv[1])
    large = "--large" in sys.argv[2:]
    if not shutil.which("sox") or not shutil.which("ffmpeg"):
        print("sox or ffmpeg missing: skipped")
        return SKIP
    folder = tempfile.mkdtemp(prefix="kelmoro-streams-")
    failures = []
    try:
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", "in.wav", "synth", "3",
                        "sine", "300-3000", "vol", "0.5"], cwd=folder, check=True)
        wav = open(os.path.join(folder, "in.wav"), "rb").read()
        open(os.path.join(folder, "rf.wav"), "wb").write(rf64(wav))
        open(os.path.join(folder, "bw.wav"), "wb").write(rf64(wav, b"BW64"))
        assert run(f"{cli} -q in.wav", folder).returncode == 0
        plain = open(os.path.join(folder, "in.au"), "rb").read()
        assert run(f"{cli} -q -F in.wav && mv in.au filtered.au", folder).returncode == 0
        filtered = open(os.path.join(folder, "filtered.au"), "rb").read()
        subprocess.run(["sox", "-n", "-r", "8012", "-c", "1", "-b", "16", "au_rate.wav", "synth", "2",
                        "sine", "440"], cwd=folder, check=True)
        assert run(f"{cli} -q au_rate.wav && mv au_rate.au au_rate_exact.au", folder).returncode == 0
        au_rate = open(os.path.join(folder, "au_rate_exact.au"), "rb").read()
        cut = 44 + 4 * 50000 + 3  # a pipe that ends inside frame 50000
        open(os.path.join(folder, "cut.wav"), "wb").write(wav[:cut])
        assert run(f"{cli} -q cut.wav", folder).returncode == 0
        cut_au = open(os.path.join(folder, "cut.au"), "rb").read()
        # An AU file much larger than a pipe holds (head ends before it does),
        # and written in two goes.
        subprocess.run(["sox", "-n", "-r", "8012", "-c", "1", "-b", "16", "long.wav", "synth", "60",
                        "sine", "440"], cwd=folder, check=True)
        assert run(f"{cli} -q long.wav", folder).returncode == 0
        long_head = open(os.path.join(folder, "long.au"), "rb").read()[:100]
        write_error = "kelmoro-cli: in.wav: データ書込みエラー\n".encode()
        subprocess.run(["sox", "-n", "-r", "8000", "-c", "1", "-b", "8", "-e", "unsigned", "mono8.wav",
                        "synth", "0.5", "sine", "440"], cwd=folder, check=True)
        mono8 = open(os.path.join(folder, "mono8.wav"), "rb").read()
        mono8_au = run(f"{cli} -c mono8.wav", folder).stdout
        ffmpeg_rf64 = run("ffmpeg -loglevel error -i in.wav -rf64 always -f wav -", folder).stdout

        # (name, pipeline writing out.au, expected AU bytes, status, stderr)
        cases = [
            ("stdin to a file", f"cat in.wav | {cli} - > out.au", plain, 0, b""),
            ("stdin to a pipe: size unknown", f"cat in.wav | {cli} - | cat > out.au",
             with_size(plain, UNKNOWN), 0, b""),
            ("-c to a pipe: size counted ahead", f"{cli} -c in.wav | cat > out.au", plain, 0, b""),
            ("-c to a file", f"{cli} -c in.wav > out.au", plain, 0, b""),
            ("-c appending: size counted ahead", f"echo -n > out.au; {cli} -c in.wav >> out.au",
             plain, 0, b""),
            ("ffmpeg's piped WAV", f"ffmpeg -loglevel error -i in.wav -f wav - | {cli} - > out.au",
             plain, 0, b""),
            ("RF64 file", f"{cli} -q rf.wav && mv rf.au out.au", plain, 0, b""),
            ("BW64 file", f"{cli} -q bw.wav && mv bw.au out.au", plain, 0, b""),
            ("RF64 through a pipe", f"cat rf.wav | {cli} - > out.au", plain, 0, b""),
            ("ffmpeg's RF64", f"ffmpeg -loglevel error -i in.wav -rf64 always -c:a pcm_s16le fr.wav"
             f" && {cli} -q fr.wav && mv fr.au out.au", plain, 0, b""),
            ("a pipe ending inside a frame", f"head -c {cut} in.wav | {cli} - > out.au", cut_au, 0, b""),
            ("-F to a pipe", f"{cli} -F -c in.wav | cat > out.au", with_size(filtered, UNKNOWN), 0, b""),
            ("-F at 8012 Hz: the exact bytes", f"{cli} -F -c au_rate.wav > out.au", au_rate, 0, b""),
            ("-F from a pipe to a file", f"cat in.wav | {cli} -F - > out.au", filtered, 0, b""),
            ("a pipe ending in the header", f"head -c 30 in.wav | {cli} - > out.au", b"", 1,
             "kelmoro-cli: standard input: データ読込みエラー\n".encode()),
            ("not a WAV on stdin", f"echo hello | {cli} - > out.au", b"", 1,
             "kelmoro-cli: standard input: Wave ファイル 読込みエラー:  file standard input is not a RIFF file\n".encode()),
            ("-c with two files", f"{cli} -c in.wav rf.wav > out.au", b"", 2, None),
            ("'-' with -o", f"{cli} -o . - < in.wav > out.au", b"", 2, None),
            ("-c with -n", f"{cli} -n -c in.wav > out.au", b"", 2, None),
            # A write that fails (the file-size limit, 8 KiB) takes back what went before.
            ("-c into a file, failing", f"(ulimit -f 8; {cli} -c in.wav > out.au)", b"", 1,
             write_error),
            ("-c appending, failing",
             f"printf abc > out.au; (ulimit -f 8; {cli} -c in.wav >> out.au)", b"abc", 1,
             write_error),
            ("-j with -c into a closed pipe: SIGPIPE",
             f"{cli} -j 2 -c long.wav | head -c 100 > out.au", long_head, 128 + 13, b""),
        ]
        if large:
            # 2.3e9 8-bit mono frames (more than 2^31), sparse: every byte
            # reads as zero, sample -32768, mu-law code 0x02.
            frames = 2_300_000_000
            with open(os.path.join(folder, "big.wav"), "wb") as big:
                big.write(b"RIFF" + struct.pack("<I", 36 + frames) + b"WAVE" + b"fmt " +
                          struct.pack("<IHHIIHH", 16, 1, 1, 44100, 44100, 1, 8) + b"data" +
                          struct.pack("<I", frames))
                big.truncate(44 + frames)
            cases.append(("2.3e9 frames", f"{cli} -q big.wav && mv big.au out.au", None, 0, b""))

        for name, command, expected, status, stderr in cases:
            out = os.path.join(folder, "out.au")
            if os.path.exists(out):
                os.remove(out)
            done = run(command, folder)
            got = open(out, "rb").read() if os.path.exists(out) else b""
            problems = []
            if done.returncode != status:
                problems.append(f"status {done.returncode}, expected {status}")
            if stderr is not None and done.stderr != stderr:
                problems.append(f"stderr {done.stderr!r}, expected {stderr!r}")
            if stderr is None and not done.stderr.startswith(b"kelmoro-cli: "):
                problems.append(f"no usage line: {done.stderr[:80]!r}")
            if expected is None:  # the large file: size and content by rule
                kept = len(got) - 28
                if not (got[:4] == b".snd" and got[8:12] == struct.pack(">I", kept)
                        and abs(kept - 2_300_000_000 * 8012 // 44100) <= 1
                        and set(got[28:28 + (1 << 20)]) == {0x02} and got[-1] == 0x02):
                    problems.append(f"AU of {len(got)} bytes, header {got[:28].hex()}")
            elif got != expected:
                problems.append(f"AU of {len(got)} bytes differs from the expected {len(expected)}"
                                f" (header {got[:28].hex()})")
            print(("ok   " if not problems else "FAIL ") + name)
            failures += [f"{name}: {p}" for p in problems]

        # (name, bytes, AU bytes or None for a failure), each read both ways.
        roads = [
            ("ffmpeg's RF64 written to a pipe", ffmpeg_rf64, plain),
            ("ds64 data size 2^64-1", rf64(mono8, data_size=2**64 - 1), mono8_au),
            ("cut after the format chunk", wav[:36], None),
            ("cut after the RIFF header", wav[:12], None),
        ]
        for name, data, expected in roads:
            problems = roads_case(cli, folder, data, expected)
            print(("ok   " if not problems else "FAIL ") + "file and pipe alike: " + name)
            failures += [f"{name}: {p}" for p in problems]

        status, shown, err = terminal_case(cli, folder, "stdout")
        if status != 1 or shown or b"terminal" not in err:
            failures.append(f"-c on a terminal: status {status}, shown {shown[:40]!r}, stderr {err!r}")
        print(("ok   " if status == 1 and not shown else "FAIL ") + "-c on a terminal")
        # The bar rises to 100 % and is cleared, never drawn empty first.
        status, shown, _ = terminal_case(cli, folder, "stderr")
        bar_ok = status == 0 and b"100%" in shown and b" 0%" not in shown and shown.endswith(b"\r")
        if not bar_ok:
            failures.append(f"the bar of -c: status {status}, shown {shown[-120:]!r}")
        print(("ok   " if bar_ok else "FAIL ") + "the bar of -c on a terminal")
        interrupted = interrupted_case(cli, folder)
        if interrupted is False:
            failures.append("-c interrupted: no end by SIGTERM, or the file not cut back")
        print({True: "ok   ", False: "FAIL ", None: "skip "}[interrupted] +
              "-c into a file, interrupted")
    finally:
        shutil.rmtree(folder)
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
