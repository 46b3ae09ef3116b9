#!/usr/bin/env python3
"""Times kelmoro-cli against sox and ffmpeg doing the same conversion (to
8-bit mu-law, mono, 8012 Hz AU), with `cat` as the floor.

Every command runs once per round, in a rotating order, after one warm-up
round that is not counted; the table shows the median wall time of the
rounds, the input read per second, the median peak resident memory (from
GNU time) and each
command's time as a multiple of kelmoro-cli's. Usually run through
bench/run-benchmark.sh.

With --batch FOLDER it also times converting every WAV file in FOLDER in
one go: kelmoro-cli with -j 1 and -j 0 against sox and ffmpeg in a shell
loop, beside kelmoro-cli on the first WAV file given, and checks the batch
targets (-j 1 at least 75 % of the single file's MB/s, -j 0 at least 1.7
times -j 1, peak memory at most the single file's plus 10 %).

With --filter-row it adds `kelmoro-cli --filter` (libsoxr's band-limited
rate change) and measures it against sox's default, which filters as well.
With --baseline PATH it adds another kelmoro-cli build (an earlier version,
say) to every table, so that both are measured in the same run.

    bench/compare.py --cli PATH [--rounds N] [--batch FOLDER] [--baseline PATH] WAV...
"""
import argparse
import json
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time


BASELINE = None  # another kelmoro-cli build measured beside this one


def commands(cli, wav, out_dir):
    au = os.path.join(out_dir, "out.au")
    baseline = [("baseline kelmoro-cli", [BASELINE, "-q", "-o", out_dir, wav])] if BASELINE else []
    return [
        ("kelmoro-cli", [cli, "-q", wav]),
        ("kelmoro-cli --filter", [cli, "-q", "--filter", "-o", out_dir, wav]),
        *baseline,
        ("sox", ["sox", wav, "-r", "8012", "-c", "1", "-e", "u-law", au]),
        ("sox … rate -q", ["sox", wav, "-r", "8012", "-c", "1", "-e", "u-law", au, "rate", "-q"]),
        ("sox -D … rate -q", ["sox", "-D", wav, "-r", "8012", "-c", "1", "-e", "u-law", au, "rate", "-q"]),
        ("ffmpeg", ["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", wav, "-ar", "8012", "-ac", "1",
                    "-c:a", "pcm_mulaw", au]),
        ("cat > /dev/null", ["cat", wav]),
    ]


def run_once(argv, scratch):
    """Wall seconds and peak resident memory in bytes of one run.

    The memory comes from GNU time, whose own small footprint before it
    starts the command (about 1 MiB) is all it adds; measured from Python
    the footprint of the interpreter that forked would be counted instead.
    """
    report = os.path.join(scratch, "time.txt")
    start = time.perf_counter()
    run = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report, *argv],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if run.returncode != 0:
        raise SystemExit(f"{argv[0]} failed ({run.returncode}): {run.stderr.decode(errors='replace')}")
    with open(report) as f:
        peak_kib = int(f.read().split()[-1])
    return wall, peak_kib * 1024


def interleaved(make_table, rounds):
    """Wall times and peaks of every command of the table, one run of each per
    round in a rotating order; the first round only warms the page cache."""
    out_dir = tempfile.mkdtemp(prefix="kelmoro-bench-")
    table = make_table(out_dir)
    walls = {name: [] for name, _ in table}
    peaks = {name: [] for name, _ in table}
    for round_index in range(rounds + 1):
        shift = round_index % len(table)
        for name, argv in table[shift:] + table[:shift]:
            wall, peak = run_once(argv, out_dir)
            if round_index > 0:
                walls[name].append(wall)
                peaks[name].append(peak)
    for name in os.listdir(out_dir):
        os.remove(os.path.join(out_dir, name))
    os.rmdir(out_dir)
    return [(name, walls[name], peaks[name]) for name, _ in table]


def measure(cli, wav, rounds):
    return interleaved(lambda out_dir: commands(cli, wav, out_dir), rounds)


def back_to_back(cli, wav, rounds):
    """hyperfine's median wall time for each command, run `rounds` times in a row."""
    out_dir = tempfile.mkdtemp(prefix="kelmoro-bench-")
    table = commands(cli, wav, out_dir)
    report = os.path.join(out_dir, "hyperfine.json")
    argv = ["hyperfine", "--shell=none", "--style=none", "--warmup", "1", "--runs", str(rounds),
            "--export-json", report]
    for name, command in table:
        argv += ["--command-name", name, " ".join(command)]
    run = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if run.returncode != 0:  # its warnings about outliers are not shown: the table has the spread
        raise SystemExit(f"hyperfine failed: {run.stderr.decode(errors='replace')}")
    with open(report) as f:
        medians = {result["command"]: result["median"] for result in json.load(f)["results"]}
    for name in os.listdir(out_dir):
        os.remove(os.path.join(out_dir, name))
    os.rmdir(out_dir)
    return medians


def batch_commands(cli, clips, single, out_dir):
    loop = "for f in \"$0\"/*.wav; do %s; done"
    return [
        ("kelmoro-cli, one large file", [cli, "-q", "-o", out_dir, single]),
        ("kelmoro-cli -j 1", ["sh", "-c", f'"$1" -q -j 1 -o "$2" "$0"/*.wav', clips, cli, out_dir]),
        ("kelmoro-cli -j 0", ["sh", "-c", f'"$1" -q -j 0 -o "$2" "$0"/*.wav', clips, cli, out_dir]),
        ("sox in a shell loop", ["sh", "-c", loop % 'sox "$f" -r 8012 -c 1 -e u-law "$1/out.au"', clips,
                                 out_dir]),
        ("ffmpeg in a shell loop", ["sh", "-c", loop % ('ffmpeg -nostdin -loglevel error -y -i "$f" '
                                                       '-ar 8012 -ac 1 -c:a pcm_mulaw "$1/out.au"'),
                                    clips, out_dir]),
    ]


def measure_batch(cli, clips, single, rounds):
    return interleaved(lambda out_dir: batch_commands(cli, clips, single, out_dir), rounds)


def report_batch(cli, clips, single, rounds):
    wavs = sorted(os.path.join(clips, n) for n in os.listdir(clips) if n.endswith(".wav"))
    batch_size = sum(os.path.getsize(w) for w in wavs)
    single_size = os.path.getsize(single)
    results = measure_batch(cli, clips, single, rounds)
    print(f"\n**Batch: {len(wavs)} files, {batch_size / 1e6:.1f} MB together "
          f"(single file: {single_size / 1e6:.1f} MB)**\n")
    print("| command | wall time, median (min–max) | input MB/s | peak memory |")
    print("|---|---|---|---|")
    rate = {}
    peak = {}
    for name, walls, peaks in results:
        median = statistics.median(walls)
        size = single_size if name.endswith("large file") else batch_size
        rate[name] = size / 1e6 / median
        peak[name] = statistics.median(peaks)
        print(f"| `{name}` | {median:.3f} s ({min(walls):.3f}–{max(walls):.3f}) | {rate[name]:,.0f} | "
              f"{peak[name] / 2**20:.1f} MiB |")
    one, j1, j0 = "kelmoro-cli, one large file", "kelmoro-cli -j 1", "kelmoro-cli -j 0"
    # The clips are all alike, so the largest clip alone is any one of them.
    largest = run_once([cli, "-q", "-o", tempfile.gettempdir(), wavs[-1]], tempfile.gettempdir())[1]
    os.remove(os.path.join(tempfile.gettempdir(), os.path.basename(wavs[-1])[:-4].lower() + ".au"))
    checks = [
        (f"-j 1 batch at {rate[j1] / rate[one]:.0%} of the single file's MB/s (target ≥ 75 %)",
         rate[j1] >= 0.75 * rate[one]),
        (f"-j 0 at {rate[j0] / rate[j1]:.2f}× the -j 1 throughput (target ≥ 1.70×)", rate[j0] >= 1.7 * rate[j1]),
        (f"-j 1 peak memory {peak[j1] / 2**20:.1f} MiB against {largest / 2**20:.1f} MiB for the largest file "
         f"alone (target ≤ +10 %)", peak[j1] <= 1.1 * largest),
    ]
    print()
    for text, met in checks:
        print(f"- {text}: {'met' if met else 'not met'}")


def describe(wav):
    with open(wav, "rb") as f:
        header = f.read(36)
    channels = int.from_bytes(header[22:24], "little")
    rate = int.from_bytes(header[24:28], "little")
    bits = int.from_bytes(header[34:36], "little")
    size = os.path.getsize(wav)
    layout = "stereo" if channels == 2 else "mono"
    return f"{bits}-bit {layout} {rate} Hz, {size / 1e6:.1f} MB", size


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    memory = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / 2**30
    thp = "?"
    try:
        with open("/sys/kernel/mm/transparent_hugepage/enabled") as f:
            thp = f.read().strip()
    except OSError:
        pass
    return (f"{os.cpu_count()} cores ({cpu}), {memory:.0f} GiB RAM, Linux {platform.release()}, "
            f"transparent huge pages: {thp}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--batch", metavar="FOLDER")
    parser.add_argument("--baseline", metavar="PATH")
    parser.add_argument("wavs", nargs="+")
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    global BASELINE
    BASELINE = os.path.abspath(args.baseline) if args.baseline else None

    print(f"Machine: {machine()}")
    print(f"Medians of {args.rounds} runs after one warm-up; "
          "ratio = the command's time / kelmoro-cli's time, measured the same way.")
    verdicts = []
    for wav in args.wavs:
        title, size = describe(wav)
        results = measure(cli, wav, args.rounds)
        in_a_row = back_to_back(cli, wav, args.rounds)
        base = statistics.median(results[0][1])
        base_in_a_row = in_a_row[results[0][0]]
        print(f"\n**{title}**\n")
        print("| command | interleaved: wall time, median (min–max) | input MB/s | peak memory | ratio "
              "| back to back: wall time, median | ratio |")
        print("|---|---|---|---|---|---|---|")
        for name, walls, peaks in results:
            median = statistics.median(walls)
            peak = statistics.median(peaks)
            print(f"| `{name}` | {median:.3f} s ({min(walls):.3f}–{max(walls):.3f}) | {size / 1e6 / median:,.0f} | "
                  f"{peak / 2**20:.1f} MiB ({peak / size:.2f}× input) | {median / base:.2f} | "
                  f"{in_a_row[name]:.3f} s | {in_a_row[name] / base_in_a_row:.2f} |")
        converters = [name for name, _, _ in results[1:]
                      if not name.startswith(("cat", "kelmoro-cli", "baseline"))]
        interleaved = {name: statistics.median(walls) / base for name, walls, _ in results}
        in_row = {name: in_a_row[name] / base_in_a_row for name in in_a_row}
        def summary(ratios):
            return (f"the fastest other converter takes {min(ratios[n] for n in converters):.2f}× as long, "
                    f"sox {ratios['sox']:.1f}×, ffmpeg {ratios['ffmpeg']:.1f}×")
        peaks = {name: statistics.median(p) / 2**20 for name, _, p in results}
        extra = (f"; the baseline build takes {interleaved['baseline kelmoro-cli']:.2f}× as long"
                 if BASELINE else "")
        verdicts.append(f"{title}: interleaved, {summary(interleaved)}; back to back, {summary(in_row)}"
                        f"{extra}; `--filter` against sox's default: sox takes "
                        f"{interleaved['sox'] / interleaved['kelmoro-cli --filter']:.1f}× as long; "
                        f"kelmoro-cli peak memory {peaks['kelmoro-cli']:.1f} MiB, "
                        f"with --filter {peaks['kelmoro-cli --filter']:.1f} MiB")
    print()
    for verdict in verdicts:
        print(f"- {verdict}")
    if args.batch:
        report_batch(cli, args.batch, args.wavs[0], args.rounds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
