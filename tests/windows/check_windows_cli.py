"""kelmoro-cli.exe under Wine against kelmoro-cli built for Linux, in one
table. Each case runs in a copy of the reference corpus: where Linux has the
same command, both programs run it and must give the same status, the same
lines (as Windows shows them: the ANSI code page 932, CRLF) and the same AU
files byte for byte (with -F, within one mu-law step); the cases only
Windows has (its names, paths, devices, a target held open, Ctrl+C) say what
must come of them, with Linux's conversion of the same file as the bytes.

usage: check_windows_cli.py WINE KELMORO_CLI_EXE LINUX_KELMORO_CLI HOLD_OPEN_EXE
Exits 0 when every case holds, 1 otherwise, 77 when sox or ffmpeg is missing.
"""

import glob
import os
import pty
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "reference"))
import make_corpus  # noqa: E402

SKIP = 77
WINE_ENV = dict(os.environ, LC_ALL="ja_JP.UTF-8", LANG="ja_JP.UTF-8", WINEDEBUG="-all")
LINUX_ENV = dict(os.environ, LC_ALL="C.UTF-8")
DEVICE = " is a name Windows keeps for a device; no AU file written"
LONG = "/".join(["a-folder-name-of-fifty-characters-to-pass-260-" + "%03d" % n for n in range(6)])


class Run:
    def __init__(self, status, out, err):
        self.status, self.out, self.err = status, out, err


def windows(args, folder, stdin=None, stop_when=None, console=False):
    """kelmoro-cli.exe; with stop_when, Ctrl+C as soon as that glob matches;
    with console, its standard output a terminal, which Wine makes a console
    that shows text on the terminal in UTF-8."""
    leader, follower = pty.openpty() if console else (None, subprocess.PIPE)
    process = subprocess.Popen([WINE, EXE] + args, cwd=folder, env=WINE_ENV,
                               stdin=stdin or subprocess.DEVNULL, stdout=follower,
                               stderr=subprocess.PIPE,
                               preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
    if stop_when:
        while not glob.glob(os.path.join(folder, stop_when)) and process.poll() is None:
            time.sleep(0.002)
        process.send_signal(signal.SIGINT)
    if not console:
        out, err = process.communicate(timeout=300)
        return Run(process.returncode, out, err)
    os.close(follower)
    shown = b""
    while chunk := read_or_end(leader):
        shown += chunk
    os.close(leader)
    return Run(process.wait(timeout=300), shown, process.stderr.read())


def read_or_end(terminal):
    try:
        return os.read(terminal, 4096)
    except OSError:  # the terminal's other end has closed
        return b""


def linux(args, folder, stdin=None):
    done = subprocess.run([LINUX] + args, cwd=folder, env=LINUX_ENV, capture_output=True,
                          stdin=stdin or subprocess.DEVNULL, timeout=300)
    return Run(done.returncode, done.stdout, done.stderr)


def as_windows_shows(text, joined=False):
    """Linux's UTF-8 lines as Windows writes them to a file or a pipe: code
    page 932, "?" for each UTF-16 unit of a character it lacks, CRLF; with
    joined, the output folder out/ joined to names with a backslash."""
    shown = b""
    for c in text.decode().replace("out/", "out\\" if joined else "out/"):
        try:
            shown += c.encode("cp932")
        except UnicodeEncodeError:
            shown += b"?" * (2 if ord(c) > 0xFFFF else 1)
    return shown.replace(b"\n", b"\r\n")


def take_outputs(folder):
    """Every AU and temporary file written under folder, removed, by name."""
    found = {}
    for path in glob.glob(os.path.join(folder, "**", "*.au"), recursive=True) + \
            glob.glob(os.path.join(folder, "**", ".*.tmp"), recursive=True):
        with open(path, "rb") as f:
            found[os.path.relpath(path, folder)] = f.read()
        os.remove(path)
    return found


def differing_bytes(a, b):
    """Bytes that differ; None when any differs by more than one mu-law step."""
    if len(a) != len(b):
        return None
    differ = [(x, y) for x, y in zip(a, b) if x != y]
    return None if any(abs(x - y) > 1 for x, y in differ) else len(differ)


def compare(name, args, folder, linux_args=None, stdin=None, within_a_step=False):
    """Both programs, one command: everything must agree."""
    problems = []
    expected = linux(linux_args or args, folder, stdin and open(stdin, "rb"))
    expected_files = take_outputs(folder)
    got = windows(args, folder, stdin and open(stdin, "rb"))
    files = take_outputs(folder)
    json = "--json" in args
    if got.status != expected.status:
        problems.append("status %d, Linux %d" % (got.status, expected.status))
    if got.out != (expected.out.replace(b"\n", b"\r\n") if json or "-c" in args or "-" in args
                   else as_windows_shows(expected.out)):
        problems.append("stdout %r, Linux %r" % (got.out[:300], expected.out[:300]))
    if got.err != as_windows_shows(expected.err, joined="-o" in args):
        problems.append("stderr %r, Linux %r" % (got.err[:300], expected.err[:300]))
    if sorted(files) != sorted(expected_files):
        problems.append("files %s, Linux %s" % (sorted(files), sorted(expected_files)))
    steps = 0
    for path in set(files) & set(expected_files):
        if within_a_step:
            differ = differing_bytes(files[path], expected_files[path])
            if differ is None:
                problems.append("%s: more than one mu-law step from Linux's" % path)
            steps += differ or 0
        elif files[path] != expected_files[path]:
            problems.append("%s differs from Linux's" % path)
    if within_a_step:
        total = sum(len(b) for b in files.values())
        print("%s: %d of %d bytes one mu-law step from Linux's" % (name, steps, total))
    return problems, len(files)


def expect(run, status, folder, files, err=b"", out=b""):
    """A case only Windows has: its status, a line of its stderr or stdout,
    and every AU (or temporary) file there is afterwards, with its bytes."""
    problems = []
    if run.status != status:
        problems.append("status %d, expected %d" % (run.status, status))
    if err not in run.err or out not in run.out:
        problems.append("stderr %r, stdout %r: no %r" % (run.err[:300], run.out[:300], err or out))
    found = take_outputs(folder)
    if found != files:
        problems.append("files %s, expected %s" % (sorted(found), sorted(files)))
    return problems


def hold_open(folder, name):
    holder = subprocess.Popen([WINE, HOLDER, name], cwd=folder, env=WINE_ENV,
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    assert holder.stdout.readline().strip() == b"held"
    return holder


def windows_cases(folder, plain):
    """Cases only Windows has. plain: Linux's AU of Upper.WAV."""
    names = os.path.join(folder, "names")
    z_path = "Z:" + os.path.join(names, "Upper.WAV").replace("/", "\\")
    os.makedirs(os.path.join(folder, LONG))
    shutil.copy(os.path.join(names, "Upper.WAV"), os.path.join(folder, LONG, "Long.WAV"))
    for device in ["nul.wav", "CON.wav", "Aux.Wav", "com1.wav", "LPT9.WAV"]:
        shutil.copy(os.path.join(names, "Upper.WAV"), os.path.join(folder, device))
    make_corpus.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16",
                     os.path.join(folder, "long.wav"), "synth", "300", "sine", "440"])
    shutil.copy(os.path.join(folder, "long.wav"), os.path.join(folder, "long2.wav"))
    old = {"long.au": b"old AU\n", "long2.au": b"old AU 2\n", "names/upper.au": b"old AU\n"}
    cases = [
        ("a console shows names outside code page 932", lambda: expect(
            windows(["한국어.WAV"], folder, console=True), 0, folder, {"한국어.au": plain},
            out="한국어.WAV  AUファイルに変換成功".encode())),
        ("backslashes", lambda: expect(windows(["names\\Upper.WAV"], folder), 0, folder,
                                       {"names/upper.au": plain})),
        ("drive letter", lambda: expect(windows([z_path], folder), 0, folder,
                                        {"names/upper.au": plain})),
        ("a path over 260 characters, replacing a file", lambda: put(folder, {
            LONG + "/long.au": b"old AU\n"}) or expect(
            windows([LONG.replace("/", "\\") + "\\Long.WAV"], folder), 0, folder,
            {LONG + "/long.au": plain})),
        ("names of devices", lambda: expect(
            windows(["nul.wav", "CON.wav", "Aux.Wav", "com1.wav", "LPT9.WAV"], folder), 1, folder,
            {}, b"kelmoro-cli: LPT9.WAV: lpt9.au" + DEVICE.encode() + b"\r\n")),
        ("a target held open", lambda: held_case(folder, old)),
        ("Ctrl+C while writing", lambda: stop_case(folder, ["long.wav"], old)),
        ("Ctrl+C while two workers write", lambda: stop_case(folder, ["-j", "2", "long.wav",
                                                                      "long2.wav"], old)),
    ]
    return cases


def held_case(folder, old):
    put(folder, old)
    holder = hold_open(folder, "names\\upper.au")
    try:
        run = windows(["names/Upper.WAV"], folder)
    finally:
        holder.communicate(b"")
    return expect(run, 1, folder, old, "データ書込みエラー".encode("cp932"))


def stop_case(folder, args, old):
    """Ctrl+C while a temporary file is being written: Wine reports 0xC000013A,
    STATUS_CONTROL_C_EXIT, as its low byte, 58."""
    put(folder, old)
    run = windows(args, folder, stop_when=".long*.au.*.tmp")
    return expect(run, 0xC000013A & 0xFF, folder, old)


def put(folder, files):
    for path, content in files.items():
        with open(os.path.join(folder, path), "wb") as f:
            f.write(content)


def main():
    global WINE, EXE, LINUX, HOLDER
    WINE, EXE, LINUX, HOLDER = sys.argv[1:5]
    if make_corpus.tools_missing():
        print("SKIP: sox or ffmpeg not installed")
        return SKIP
    root = tempfile.mkdtemp(prefix="kelmoro-windows-")
    try:
        folder = os.path.join(root, "Corpus.WAV.d")
        files = [os.path.relpath(f, folder) for f in make_corpus.make_corpus(folder)]
        # Windows names are UTF-16: a name that is not UTF-8 has no Windows twin.
        files = [f for f in files if os.fsencode(f).decode(errors="replace") == f]
        names = ["日本語.WAV", "한국어.WAV", "🎵 Clip.WAV"]
        for name in names:
            shutil.copy(os.path.join(folder, "names", "Upper.WAV"), os.path.join(folder, name))
        with open(os.path.join(folder, "list.txt"), "wb") as f:
            f.write("".join(n + "\n" for n in names + files[:20]).encode())
        with open(os.path.join(folder, "list-crlf.txt"), "wb") as f:
            f.write("".join(n + "\r\n" for n in names + files[:20]).encode())
        sox = [f for f in files if f.startswith("sox/s44100")][0]
        os.makedirs(os.path.join(folder, "out"))
        os.makedirs(os.path.join(folder, "A"))
        os.makedirs(os.path.join(folder, "B"))
        shutil.copy(os.path.join(folder, sox), os.path.join(folder, "A", "x.wav"))
        shutil.copy(os.path.join(folder, sox), os.path.join(folder, "B", "X.WAV"))
        linux(["names/Upper.WAV"], folder)
        plain = take_outputs(folder)["names/upper.au"]
        compared = [
            ("the reference corpus", files, {}),
            ("the reference corpus with -F", ["-F"] + files, {"within_a_step": True}),
            ("Japanese names in and outside code page 932", names, {}),
            ("--json", ["--json"] + names + files[:40], {}),
            ("-o", ["-o", "out"] + files[:40], {}),
            ("-c", ["-c", sox], {}),
            ("- from a file", ["-"], {"stdin": os.path.join(folder, sox)}),
            ("--files-from with CRLF lines", ["--files-from=list-crlf.txt"],
             {"linux_args": ["--files-from=list.txt"]}),
            ("-j 2 against -j 1", ["-j", "2", "--json"] + files, {"linux_args": ["--json"] + files}),
            ("a collision", ["-o", "out", "A/x.wav", "B/X.WAV"], {}),
        ]
        failures = 0
        for name, args, options in compared:
            problems, written = compare(name, args, folder, **options)
            print("%s %s (%d files, %d AU files)" % ("FAIL" if problems else "ok  ", name,
                                                    len(args), written))
            for problem in problems:
                print("  " + problem)
            failures += bool(problems)
        for name, case in windows_cases(folder, plain):
            problems = case()
            print("%s %s" % ("FAIL" if problems else "ok  ", name))
            for problem in problems:
                print("  " + problem)
            failures += bool(problems)
        return 1 if failures else 0
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
