#!/usr/bin/env python3
"""Converts the same set of generated WAV files with two kelmoro-cli builds
and checks that every AU file (or message) is identical byte for byte.

Used before and after any change to the engine's or platform layer's hot
loops: a speed-up must not change a single output byte.

    bench/compare_outputs.py OLD_CLI NEW_CLI [--seconds S]
"""
import argparse
import hashlib
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

RATES = (1, 7, 4000, 8000, 8011, 8012, 8013, 11025, 16000, 16024, 22050, 32000, 44100, 48000, 96000, 192000)


def wav_header(channels, rate, bits, data_size):
    align = channels * bits // 8
    return (b"RIFF" + struct.pack("<I", 36 + data_size) + b"WAVE" +
            b"fmt " + struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * align, align, bits) +
            b"data" + struct.pack("<I", data_size))


def noise(rng, size):
    """Random bytes, with runs of the extreme values that stress mixing and clipping."""
    data = bytearray(rng.getrandbits(8) for _ in range(size))
    for _ in range(size // 512):
        start = rng.randrange(0, max(1, size - 64))
        fill = rng.choice((0x00, 0xFF, 0x80, 0x7F))
        data[start:start + 64] = bytes([fill]) * len(data[start:start + 64])
    return bytes(data)


def make_inputs(folder, seconds):
    rng = random.Random(5)
    files = []
    for rate in RATES:
        for channels in (1, 2):
            for bits in (8, 16, 24, 32):
                frames = max(1, int(min(rate, 48000) * seconds))
                size = frames * channels * bits // 8
                name = os.path.join(folder, f"noise_{rate}_{channels}_{bits}.wav")
                with open(name, "wb") as out:
                    out.write(wav_header(channels, rate, bits, size) + noise(rng, size))
                files.append(name)
    # A long file that crosses the block and buffer sizes many times over.
    maker = os.path.join(os.path.dirname(__file__), "..", "tools", "make_wav.py")
    for args in (("--rate", "44100", "--channels", "2", "--bits", "16", "--seconds", "30"),
                 ("--rate", "48000", "--channels", "1", "--bits", "8", "--seconds", "20")):
        name = os.path.join(folder, "chord_" + "_".join(args[1::2]) + ".wav")
        subprocess.run([sys.executable, maker, name, *args], check=True)
        files.append(name)
    # Short files around the progress steps and the block sizes.
    for frames in (0, 1, 9, 10, 11, 89, 90, 91, 32767, 32768, 32769, 65536 + 3):
        name = os.path.join(folder, f"short_{frames}.wav")
        size = frames * 4
        with open(name, "wb") as out:
            out.write(wav_header(2, 44100, 16, size) + noise(rng, size))
        files.append(name)
    return files


def outputs(cli, files):
    result = {}
    for wav in files:
        au = wav[:-4] + ".au"
        if os.path.exists(au):
            os.remove(au)
        run = subprocess.run([cli, "-q", wav], capture_output=True)
        digest = hashlib.sha256(open(au, "rb").read()).hexdigest() if os.path.exists(au) else None
        result[os.path.basename(wav)] = (run.returncode, run.stderr, digest)
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("old_cli")
    parser.add_argument("new_cli")
    parser.add_argument("--seconds", type=float, default=2.0)
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="kelmoro-compare-")
    try:
        files = make_inputs(folder, args.seconds)
        old = outputs(os.path.abspath(args.old_cli), files)
        new = outputs(os.path.abspath(args.new_cli), files)
    finally:
        shutil.rmtree(folder)
    differing = [name for name in old if old[name] != new[name]]
    for name in differing:
        print(f"DIFFERENT: {name}: {old[name]} != {new[name]}")
    converted = sum(1 for value in old.values() if value[2] is not None)
    print(f"{len(old)} files ({converted} converted), {len(differing)} different")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
