"""Runs kelmoro-cli over a corpus of WAV files written by sox, ffmpeg, Python's
wave module and by hand, and compares every result with the reference model:
exit status, stdout, stderr, the AU file's bytes and its path, and that no
other file anywhere in the corpus appears, changes or goes. Then it converts
every file again in one run, where each job must start from a clean state.

usage: check_against_cli.py KELMORO_CLI [--keep FOLDER]
Exits 0 when everything agrees, 1 on any difference, 77 when sox or ffmpeg
is missing (the test is then skipped).
"""

import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import au_reference  # noqa: E402
import make_corpus  # noqa: E402

SKIP = 77


def silent_line(path):
    return (b"kelmoro-cli: " + path + b": the file name holds no \".wav\" to replace with "
            b"\".au\"; no AU file written\n")


def expected_result(outcome, path):
    """(exit status, stdout, stderr) the command line tool should give."""
    if outcome.kind == "converted":
        return 0, au_reference.converted_line(path) + b"\n", b""
    if outcome.kind == "failed":
        return 1, b"", b"".join(b"kelmoro-cli: " + path + b": " + m + b"\n"
                                for m in outcome.messages)
    return 1, b"", silent_line(path)


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b)) if len(a) != len(b) else None


def describe_bytes(label, expected, actual):
    at = first_difference(expected, actual)
    if at is None:
        return []
    lo = max(0, at - 4)
    return ["  %s: %d bytes expected, %d written; first difference at offset %d" %
            (label, len(expected), len(actual), at),
            "    expected ...%s" % expected[lo:at + 12].hex(" "),
            "    actual   ...%s" % actual[lo:at + 12].hex(" ")]


def show(text):
    return text.decode("utf-8", errors="backslashreplace").rstrip("\n").replace("\n", " / ")


def tree_digest(root):
    """Every file under root with a digest of its bytes."""
    digest = {}
    for folder, _, names in os.walk(os.fsencode(root)):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                digest[path] = hashlib.sha256(f.read()).hexdigest()
    return digest


def check_one(cli, path_str, env, cwd=None):
    """Converts one file, named by path_str as given (relative to cwd when
    that is set), and compares everything with the model."""
    path = os.fsencode(path_str)
    here = os.fsencode(cwd) if cwd else b""
    data = None
    if os.path.exists(os.path.join(here, path)):
        with open(os.path.join(here, path), "rb") as f:
            data = f.read()
    outcome = au_reference.convert(data, path)
    status, out, err = expected_result(outcome, path)
    folder = os.path.dirname(path)
    before = set(os.listdir(os.path.join(here, folder)))
    proc = subprocess.run([cli, path], env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    after = set(os.listdir(os.path.join(here, folder)))
    problems = []
    if proc.returncode != status:
        problems.append("  exit status: expected %d, got %d" % (status, proc.returncode))
    if proc.stdout != out:
        problems.append("  stdout: expected [%s], got [%s]" % (show(out), show(proc.stdout)))
    if proc.stderr != err:
        problems.append("  stderr: expected [%s], got [%s]" % (show(err), show(proc.stderr)))
    new_files = sorted(after - before)
    if outcome.kind == "converted":
        name = os.path.basename(outcome.output_path)
        if os.path.dirname(outcome.output_path) != folder:
            problems.append("  output expected outside the input's folder: %r" % outcome.output_path)
        written_at = os.path.join(here, outcome.output_path)
        if os.path.exists(written_at):
            with open(written_at, "rb") as f:
                written = f.read()
            problems += describe_bytes("AU file", outcome.au, written)
            os.remove(written_at)
        else:
            problems.append("  no AU file at %s" % show(outcome.output_path))
        extra = [n for n in new_files if n != name]
    else:
        extra = new_files
    if extra:
        problems.append("  unexpected new files: %s" % ", ".join(show(n) for n in extra))
        for n in extra:
            os.remove(os.path.join(here, folder, n))
    return outcome, problems


def changed_files(before, after):
    return sorted(p for p in set(before) | set(after) if before.get(p) != after.get(p))


def check_batch(cli, files, env, corpus, before):
    """Converts every file in one run: each job must start from a clean state,
    so every output and message is the same as when the file runs alone."""
    status, out, err = 0, b"", b""
    outputs = {}
    for f in files:
        path = os.fsencode(f)
        data = None
        if os.path.exists(path):
            with open(path, "rb") as fh:
                data = fh.read()
        outcome = au_reference.convert(data, path)
        one_status, one_out, one_err = expected_result(outcome, path)
        status = max(status, one_status)
        out += one_out
        err += one_err
        if outcome.kind == "converted":
            outputs[outcome.output_path] = outcome.au
    proc = subprocess.run([cli] + [os.fsencode(f) for f in files], env=env,
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=300)
    problems = []
    if proc.returncode != status:
        problems.append("  exit status: expected %d, got %d" % (status, proc.returncode))
    problems += describe_bytes("stdout", out, proc.stdout)
    problems += describe_bytes("stderr", err, proc.stderr)
    for path, au in outputs.items():
        if not os.path.exists(path):
            problems.append("  no AU file at %s" % show(path))
            continue
        with open(path, "rb") as fh:
            problems += describe_bytes("AU file " + show(path), au, fh.read())
        os.remove(path)
    for p in changed_files(before, tree_digest(corpus)):
        problems.append("  changed outside the expected outputs: " + show(p))
    return problems


def main():
    args = sys.argv[1:]
    keep = None
    if len(args) == 3 and args[1] == "--keep":
        keep = args[2]
    elif len(args) != 1:
        sys.exit(__doc__)
    cli = os.path.abspath(args[0])
    missing = make_corpus.tools_missing()
    if missing:
        print("SKIP: %s not installed (tools/install-deps.sh installs them)" % ", ".join(missing))
        return SKIP

    root = keep or tempfile.mkdtemp(prefix="kelmoro-reference-")
    try:
        # A folder whose name holds upper case and ".wav": only file names
        # may be lower-cased or renamed.
        corpus = os.path.join(root, "Corpus.WAV.d")
        if os.path.exists(corpus):
            shutil.rmtree(corpus)
        os.makedirs(corpus)
        files = make_corpus.make_corpus(corpus)
        inputs = {os.path.abspath(f) for f in files}
        # A path that does not exist: the job cannot open it.
        files.append(os.path.join(corpus, "hand", "Absent.WAV"))
        env = dict(os.environ, LC_ALL="C.UTF-8")
        kinds = {"converted": 0, "failed": 0, "silent": 0}
        mismatches = []
        before = tree_digest(corpus)
        files_checked = len(files)
        for f in files:
            outcome, problems = check_one(cli, f, env)
            if outcome.kind == "converted" and os.fsdecode(outcome.output_path) in inputs:
                problems.append("  corpus fault: the output would replace another input")
            kinds[outcome.kind] += 1
            if problems:
                mismatches.append((os.path.relpath(f, corpus), outcome, problems))
        # Paths as a user in the folder types them: no folder at all, or
        # relative folders whose names keep their case.
        names = os.path.join(corpus, "names")
        for rel in ["Upper.WAV", "Mixed.WAV.d/Song.WAV", "a.wav.d/b.Wav", "dot.wav.d/tone.raw",
                    "./Clip.Wave", "../names/x.wav.wav"]:
            outcome, problems = check_one(cli, rel, env, cwd=names)
            kinds[outcome.kind] += 1
            files_checked += 1
            if problems:
                mismatches.append(("names/ as " + rel, outcome, problems))
        # Each expected output was removed after its check: anything else
        # written, replaced or removed anywhere in the corpus is a fault.
        changed = changed_files(before, tree_digest(corpus))
        batch_problems = check_batch(cli, files, env, corpus, before)
        for rel, outcome, problems in mismatches:
            print("MISMATCH %s (model: %r)" % (show(os.fsencode(rel)), outcome))
            print("\n".join(problems))
        if changed:
            print("MISMATCH files added, replaced or removed outside the expected outputs:")
            print("\n".join("  " + show(p) for p in changed))
        if batch_problems:
            print("MISMATCH converting every file in one run of kelmoro-cli:")
            print("\n".join(batch_problems))
        print("%d conversions: %d agree, %d differ (model: %d converted, %d failed with a message, "
              "%d silent); all in one run: %s" %
              (files_checked, files_checked - len(mismatches), len(mismatches), kinds["converted"],
               kinds["failed"], kinds["silent"], "differs" if batch_problems else "agrees"))
        return 1 if mismatches or changed or batch_problems else 0
    finally:
        if keep is None:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
