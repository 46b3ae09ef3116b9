#!/usr/bin/env python3
"""Interrupts a conversion at random moments and checks what is left.

    tools/interrupt_trials.py PROGRAM [TRIALS] [--folder DIR] [--writing]

Makes a ten-minute 16-bit stereo WAV file (106 MB) in DIR (default
build/interrupt-trials) beside an old AU file, then runs PROGRAM on it
until TRIALS runs (default 24) have been interrupted, each time sending
SIGINT, SIGTERM or SIGHUP (chosen at random) after a random delay within
the time one conversion takes (runs that finish before the signal are
counted apart). After each run: the program must have ended by that signal
(or finished first), no hidden temporary file may be left, and the AU file
must be the old one, or, when the program finished or the signal came
while the finished file was being put in place, the whole new one.
With --writing every signal is aimed at the writing of the AU file
instead: the program is stopped (SIGSTOP) as soon as its hidden temporary
file appears, signalled, and continued."""
import argparse
import os
import random
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
OLD_AU = b".sndold!"


def run(program, wav):
    return subprocess.Popen([program, "-q", wav], stdin=subprocess.DEVNULL,
                            preexec_fn=lambda: [signal.signal(s, signal.SIG_DFL)
                                                for s in (signal.SIGINT, signal.SIGTERM,
                                                          signal.SIGHUP)])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("trials", type=int, nargs="?", default=24)
    parser.add_argument("--writing", action="store_true")
    parser.add_argument("--folder", default=os.path.join(HERE, "..", "build", "interrupt-trials"))
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    wav = os.path.join(args.folder, "trial.wav")
    au = os.path.join(args.folder, "trial.au")
    if not os.path.exists(wav):
        subprocess.run([sys.executable, os.path.join(HERE, "make_wav.py"), wav, "--seconds", "600",
                        "--rate", "44100", "--channels", "2", "--bits", "16"], check=True)
    # Plain runs for the new AU file and the time a conversion takes.
    durations = []
    for _ in range(5):
        start = time.monotonic()
        subprocess.run([args.program, "-q", wav], check=True)
        durations.append(time.monotonic() - start)
    duration = min(durations)
    with open(au, "rb") as f:
        new_au = f.read()

    counts = {"interrupted": 0, "finished first": 0, "old AU intact": 0,
              "new AU whole": 0, "temporary files left": 0, "bad": 0}
    trial = 0
    while counts["interrupted"] < args.trials and trial < 5 * args.trials:
        trial += 1
        with open(au, "wb") as f:
            f.write(OLD_AU)
        sig = random.choice([signal.SIGINT, signal.SIGTERM, signal.SIGHUP])
        delay = random.uniform(0, duration)
        proc = run(args.program, wav)
        if args.writing:
            delay = 0.0
            while proc.poll() is None and not any(n.endswith(".tmp") for n in os.listdir(args.folder)):
                pass
            if proc.poll() is None:
                proc.send_signal(signal.SIGSTOP)
                proc.send_signal(sig)
                proc.send_signal(signal.SIGCONT)
        else:
            time.sleep(delay)
            proc.send_signal(sig)
        status = proc.wait()
        with open(au, "rb") as f:
            content = f.read()
        left = [n for n in os.listdir(args.folder) if n.endswith(".tmp")]
        counts["temporary files left"] += len(left)
        for name in left:
            os.remove(os.path.join(args.folder, name))
        if status == -sig:
            counts["interrupted"] += 1
        elif status == 0:
            counts["finished first"] += 1
        else:
            counts["bad"] += 1
        if content == OLD_AU:
            counts["old AU intact"] += 1
        elif content == new_au:
            counts["new AU whole"] += 1
        else:
            counts["bad"] += 1
        print(f"run {trial:3}: {signal.Signals(sig).name} after {delay * 1000:5.0f} ms: "
              f"status {status}, AU {'old' if content == OLD_AU else 'new' if content == new_au else 'DAMAGED'}, "
              f"{len(left)} temporary files left")
    print(f"one conversion: {duration * 1000:.0f} ms; " +
          ", ".join(f"{name}: {value}" for name, value in counts.items()))
    return 1 if counts["bad"] or counts["temporary files left"] else 0


if __name__ == "__main__":
    sys.exit(main())
