#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: small WAV files of our own making, valid
ones of every accepted shape and damaged ones of the kinds met in practice.

Each file is named after what it shows. Samples are a short ramp, so the
files stay a few hundred bytes and the fuzzer runs fast.
"""
import os
import struct
import sys

PCM_GUID = bytes.fromhex("0100000000001000800000aa00389b71")


def chunk(cid, body, declared=None, pad=True):
    size = len(body) if declared is None else declared
    out = cid + struct.pack("<I", size) + body
    if pad and len(body) % 2:
        out += b"\0"
    return out


def fmt_body(channels=1, rate=8012, bits=16, tag=1, align=None):
    align = channels * (bits // 8) if align is None else align
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align & 0xFFFFFFFF, align & 0xFFFF, bits)


def extensible_body(channels, rate, bits, guid=PCM_GUID):
    mask = 0x3 if channels == 2 else 0x4
    return fmt_body(channels, rate, bits, tag=0xFFFE) + struct.pack("<HHI", 22, bits, mask) + guid


def samples(frames, channels, bits):
    out = bytearray()
    for i in range(frames):
        for c in range(channels):
            value = ((i * 2654435761 + c * 40503) & 0xFFFFFFFF) - (1 << 31)
            if bits == 8:
                out.append((value >> 24) + 128)
            else:
                out += (value >> (32 - bits)).to_bytes(bits // 8, "little", signed=True)
    return bytes(out)


def riff(chunks, declared=None):
    size = 4 + len(chunks) if declared is None else declared
    return b"RIFF" + struct.pack("<I", size) + b"WAVE" + chunks


def simple(channels=1, rate=8012, bits=16, frames=48):
    return riff(chunk(b"fmt ", fmt_body(channels, rate, bits)) + chunk(b"data", samples(frames, channels, bits)))


def corpus():
    files = {}
    for bits in (8, 16, 24, 32):
        for channels in (1, 2):
            for rate in (8012, 44100, 8000, 11025):
                files[f"pcm{bits}_{channels}ch_{rate}.wav"] = simple(channels, rate, bits)
    for bits in (16, 24):
        files[f"extensible{bits}.wav"] = riff(chunk(b"fmt ", extensible_body(2, 48000, bits)) +
                                              chunk(b"data", samples(40, 2, bits)))
    files["extensible_float_guid.wav"] = riff(
        chunk(b"fmt ", extensible_body(1, 8012, 32, bytes.fromhex("0300000000001000800000aa00389b71"))) +
        chunk(b"data", samples(8, 1, 32)))
    body = samples(30, 1, 16)
    files["list_fact_odd.wav"] = riff(chunk(b"fmt ", fmt_body(1, 22050)) + chunk(b"fact", struct.pack("<I", 30)) +
                                      chunk(b"LIST", b"INFOabc") + chunk(b"data", body))
    files["fmt18.wav"] = riff(chunk(b"fmt ", fmt_body(2, 16024) + b"\0\0") + chunk(b"data", samples(20, 2, 16)))
    files["fmt_short_declared.wav"] = riff(chunk(b"fmt ", fmt_body(), declared=14) + chunk(b"data", body))
    files["no_data.wav"] = riff(chunk(b"fmt ", fmt_body()))
    files["no_fmt_no_data.wav"] = riff(chunk(b"LIST", b"INFO"))
    files["data_before_fmt.wav"] = riff(chunk(b"data", body) + chunk(b"fmt ", fmt_body()))
    files["two_fmt.wav"] = riff(chunk(b"fmt ", fmt_body(2)) + chunk(b"fmt ", fmt_body(1, 44100)) + chunk(b"data", body))
    files["riff_size_0.wav"] = riff(chunk(b"fmt ", fmt_body()) + chunk(b"data", body), declared=0)
    files["riff_size_ffffffff.wav"] = riff(chunk(b"fmt ", fmt_body()) + chunk(b"data", body), declared=0xFFFFFFFF)
    files["data_size_ffffffff.wav"] = riff(chunk(b"fmt ", fmt_body(2)) + chunk(b"data", body, declared=0xFFFFFFFF))
    files["data_odd_tail.wav"] = riff(chunk(b"fmt ", fmt_body(1, 8012, 16)) + chunk(b"data", body + b"\x7f"))
    files["truncated_in_data.wav"] = simple(2, 44100, 16)[:120]
    files["truncated_in_fmt.wav"] = simple()[:30]
    files["rate_0.wav"] = riff(chunk(b"fmt ", fmt_body(1, 0)) + chunk(b"data", body))
    files["rate_1.wav"] = riff(chunk(b"fmt ", fmt_body(1, 1)) + chunk(b"data", body))
    files["rate_ffffffff.wav"] = riff(chunk(b"fmt ", fmt_body(1, 0xFFFFFFFF)) + chunk(b"data", body))
    files["channels_0.wav"] = riff(chunk(b"fmt ", fmt_body(0)) + chunk(b"data", body))
    files["channels_3.wav"] = riff(chunk(b"fmt ", fmt_body(3)) + chunk(b"data", body))
    files["bits_12.wav"] = riff(chunk(b"fmt ", fmt_body(1, 8012, 12, align=2)) + chunk(b"data", body))
    files["tag_3.wav"] = riff(chunk(b"fmt ", fmt_body(1, 8012, 32, tag=3)) + chunk(b"data", body))
    files["chunk_size_80000000.wav"] = riff(chunk(b"fmt ", fmt_body()) + chunk(b"junk", b"", declared=0x80000000) + body)
    files["not_wave.wav"] = b"RIFF" + struct.pack("<I", 4) + b"AVI "
    files["rifx.wav"] = b"RIFX" + simple()[4:]
    files["empty.wav"] = b""
    return files


def main():
    if len(sys.argv) != 2:
        print("usage: make_seed_corpus.py FOLDER", file=sys.stderr)
        return 2
    os.makedirs(sys.argv[1], exist_ok=True)
    for name, data in corpus().items():
        with open(os.path.join(sys.argv[1], name), "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
