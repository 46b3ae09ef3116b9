#!/usr/bin/env python3
"""Writes a PCM WAV file of our own making: a soft three-note chord.

Used by the demo, the tests and the benchmark, so the project never needs
borrowed audio. Long files are built from one repeated second, so even ten
minutes take well under a second to write.
"""
import argparse
import math
import struct
import sys


def chord_second(rate, channels, bits):
    """One second of interleaved frames as little-endian bytes."""
    notes = (261.63, 329.63, 392.00)
    peak = (1 << (bits - 1)) - 1
    frames = bytearray()
    for i in range(rate):
        t = i / rate
        value = sum(math.sin(2 * math.pi * f * t) for f in notes) / len(notes)
        for channel in range(channels):
            # The right channel a little quieter, so the mix to mono matters.
            sample = int(round(value * peak * (0.6 if channel == 0 else 0.45)))
            if bits == 8:
                frames.append(sample + 128)
            else:
                frames += sample.to_bytes(bits // 8, "little", signed=True)
    return bytes(frames)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("output")
    parser.add_argument("--seconds", type=float, default=1.0)
    parser.add_argument("--rate", type=int, default=44100)
    parser.add_argument("--channels", type=int, default=2, choices=(1, 2))
    parser.add_argument("--bits", type=int, default=16, choices=(8, 16, 24, 32))
    args = parser.parse_args()

    second = chord_second(args.rate, args.channels, args.bits)
    frame_bytes = args.channels * args.bits // 8
    total_frames = int(args.seconds * args.rate)
    data_size = total_frames * frame_bytes
    header = b"RIFF" + struct.pack("<I", 36 + data_size) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, args.channels, args.rate,
                                    args.rate * frame_bytes, frame_bytes, args.bits)
    header += b"data" + struct.pack("<I", data_size)
    with open(args.output, "wb") as out:
        out.write(header)
        remaining = data_size
        while remaining > 0:
            piece = second[:remaining]
            out.write(piece)
            remaining -= len(piece)
    return 0


if __name__ == "__main__":
    sys.exit(main())
