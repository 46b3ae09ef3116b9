"""Writes a corpus of WAV files made by other tools, plus hand-made variants.

make_corpus(folder) fills the folder and returns the paths it wrote (some in
sub-folders whose names hold upper case and ".wav"). Files come from sox,
ffmpeg and Python's wave module, and from byte-level edits of those files:
odd and oversized chunks, streamed and wrong sizes, extensible and
non-PCM formats, bad channel counts, sample sizes and rates, truncations.

Run directly to write a corpus into a folder: make_corpus.py FOLDER
"""

import math
import os
import random
import shutil
import struct
import subprocess
import sys
import wave

PCM_GUID = bytes.fromhex("0100000000001000800000aa00389b71")
FLOAT_GUID = bytes.fromhex("0300000000001000800000aa00389b71")

RATES = [8000, 8012, 8013, 11025, 16000, 16024, 22050, 32000, 44100, 48000, 96000,
         1, 7, 100, 12345]


def tools_missing():
    return [tool for tool in ("sox", "ffmpeg") if shutil.which(tool) is None]


def duration_for(rate):
    """Short enough to keep the run quick, long enough for a few output frames
    at the lowest rates."""
    if rate < 100:
        return 1.5
    if rate <= 16024:
        return 0.25
    return 0.06


# ---------------------------------------------------------------- builders

def chunk(ident, body, size=None, pad=True):
    declared = len(body) if size is None else size
    out = ident + struct.pack("<I", declared) + body
    if pad and len(body) % 2:
        out += b"\0"
    return out


def fmt_body(tag=1, channels=1, rate=8000, bits=16, extra=b""):
    block = channels * (bits // 8)
    return struct.pack("<HHIIHH", tag, channels, rate, (rate * block) & 0xFFFFFFFF,
                       block & 0xFFFF, bits) + extra


def extensible(channels, rate, bits, guid=PCM_GUID, valid=None, mask=0):
    ext = struct.pack("<HHI", 22, bits if valid is None else valid, mask) + guid
    return fmt_body(0xFFFE, channels, rate, bits, ext)


def riff(*chunks, riff_size=None, form=b"WAVE", magic=b"RIFF"):
    body = form + b"".join(chunks)
    size = len(body) if riff_size is None else riff_size
    return magic + struct.pack("<I", size) + body


def samples16(values):
    return b"".join(struct.pack("<h", v) for v in values)


def noise_bytes(n, seed):
    rng = random.Random(seed)
    return bytes(rng.randrange(256) for _ in range(n))


# ---------------------------------------------------------------- tools

def run(cmd):
    subprocess.run(cmd, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def run_to_file(cmd, path):
    """Writes the tool's stdout through a pipe, as a streaming writer sees it."""
    with open(path, "wb") as out:
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
        out.write(proc.stdout.read())
        if proc.wait() != 0:
            raise RuntimeError("failed: %s" % " ".join(cmd))


def sox_synth(path, rate, channels, bits, encoding="signed-integer", seconds=None,
              file_type=None, synth=("sine", "440")):
    seconds = duration_for(rate) if seconds is None else seconds
    cmd = ["sox", "-R", "-n", "-r", str(rate), "-c", str(channels), "-b", str(bits),
           "-e", encoding]
    if file_type:
        cmd += ["-t", file_type]
    cmd += [path, "synth", "%g" % seconds] + list(synth)
    run(cmd)


def ffmpeg_source(rate, seconds, kind):
    if kind == "noise":
        return "anoisesrc=d=%g:c=white:a=1:r=%d" % (seconds, rate)
    if kind == "loud":
        return "aevalsrc=exprs='sin(2*PI*300*t)*1.4':d=%g:s=%d" % (seconds, rate)
    return "sine=f=%d:d=%g:sample_rate=%d" % (max(1, rate // 9), seconds, rate)


def ffmpeg(path, rate, channels, codec, seconds=None, kind="sine", extra=(), bitexact=True):
    seconds = duration_for(rate) if seconds is None else seconds
    cmd = ["ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi",
           "-i", ffmpeg_source(rate, seconds, kind), "-ac", str(channels), "-c:a", codec]
    if bitexact:
        cmd += ["-bitexact"]
    cmd += list(extra)
    if path is None:
        return cmd + ["-f", "wav", "pipe:1"]
    run(cmd + [path])


def python_wave(path, rate, channels, bits, frames, seed):
    rng = random.Random(seed)
    peak = 1 << (bits - 1)
    data = bytearray()
    for i in range(frames):
        for c in range(channels):
            v = int((peak - 1) * math.sin(2 * math.pi * (i * (c + 1)) / 37.0))
            v += rng.randrange(-peak // 64, peak // 64 + 1)
            v = max(-peak, min(peak - 1, v))
            if bits == 8:
                data.append(v + 128)
            else:
                data += v.to_bytes(bits // 8, "little", signed=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(bits // 8)
        w.setframerate(rate)
        w.writeframes(bytes(data))


# ---------------------------------------------------------------- corpus

def make_corpus(folder):
    written = []

    def path_of(name):
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        written.append(path)
        return path

    def put(name, data):
        with open(path_of(name), "wb") as out:
            out.write(data)

    def read(path):
        with open(path, "rb") as f:
            return f.read()

    # sox: every rate, rotating through channel counts and sample sizes.
    # sox writes the extensible format for more than 16 bits or 2 channels.
    sizes = [16, 8, 24, 32]
    for n, rate in enumerate(RATES):
        bits = sizes[n % 4]
        channels = 1 + n % 2
        enc = "unsigned-integer" if bits == 8 else "signed-integer"
        synth = ("sine", "%d" % max(1, rate // 7)) if channels == 1 else \
            ("sine", "%d" % max(1, rate // 7), "sine", "%d" % max(1, rate // 11))
        sox_synth(path_of("sox/s%d_%dch_%db.wav" % (rate, channels, bits)),
                  rate, channels, bits, enc, synth=synth)
    for rate, channels, bits in [(44100, 2, 16), (8012, 1, 8), (22050, 2, 24),
                                 (48000, 1, 32), (16024, 2, 8), (11025, 1, 16)]:
        enc = "unsigned-integer" if bits == 8 else "signed-integer"
        sox_synth(path_of("sox/noise_%d_%dch_%db.wav" % (rate, channels, bits)),
                  rate, channels, bits, enc, synth=("whitenoise",))
    for rate, bits in [(44100, 24), (32000, 32), (8000, 16)]:
        sox_synth(path_of("sox/wavpcm_%d_%db.wav" % (rate, bits)), rate, 2, bits,
                  file_type="wavpcm", synth=("square", "300"))
    sox_synth(path_of("sox/three_channels.wav"), 8000, 3, 16)
    sox_synth(path_of("sox/three_channels_wavpcm.wav"), 8000, 3, 16, file_type="wavpcm")
    sox_synth(path_of("sox/float32.wav"), 8000, 1, 32, encoding="floating-point")
    sox_synth(path_of("sox/alaw.wav"), 8000, 1, 8, encoding="a-law")
    sox_synth(path_of("sox/ulaw.wav"), 8000, 1, 8, encoding="mu-law")
    sox_synth(path_of("sox/adpcm.wav"), 8000, 1, 4, encoding="ms-adpcm")
    for rate, channels, bits in [(44100, 2, 16), (12345, 1, 24), (96000, 2, 8)]:
        enc = "unsigned-integer" if bits == 8 else "signed-integer"
        run_to_file(["sox", "-R", "-n", "-r", str(rate), "-c", str(channels), "-b", str(bits),
                     "-e", enc, "-t", "wav", "-", "synth", "%g" % duration_for(rate),
                     "sine", "1000"],
                    path_of("sox/piped_%d_%dch_%db.wav" % (rate, channels, bits)))

    # ffmpeg: its codecs, with and without the INFO list and rf64 headers.
    codecs = ["pcm_s16le", "pcm_u8", "pcm_s24le", "pcm_s32le"]
    ff_rates = [8000, 8012, 8013, 11025, 16000, 16024, 22050, 32000, 44100, 48000,
                96000, 100, 12345]
    for n, rate in enumerate(ff_rates):
        codec = codecs[n % 4]
        channels = 2 - n % 2
        kind = ["sine", "noise", "loud"][n % 3]
        ffmpeg(path_of("ffmpeg/f%d_%dch_%s_%s.wav" % (rate, channels, codec, kind)),
               rate, channels, codec, kind=kind, bitexact=(n % 2 == 0))
    ffmpeg(path_of("ffmpeg/title.wav"), 44100, 2, "pcm_s16le",
           extra=["-metadata", "title=Odd", "-metadata", "artist=Kelmoro tester"])
    ffmpeg(path_of("ffmpeg/title_even.wav"), 22050, 1, "pcm_u8",
           extra=["-metadata", "title=Even"], bitexact=False)
    ffmpeg(path_of("ffmpeg/rf64_auto.wav"), 48000, 2, "pcm_s24le", extra=["-rf64", "auto"])
    ffmpeg(path_of("ffmpeg/rf64_auto_u8.wav"), 11025, 1, "pcm_u8", extra=["-rf64", "auto"],
           bitexact=False)
    ffmpeg(path_of("ffmpeg/rf64_always.wav"), 8000, 1, "pcm_s16le", extra=["-rf64", "always"])
    ffmpeg(path_of("ffmpeg/float.wav"), 8000, 1, "pcm_f32le")
    ffmpeg(path_of("ffmpeg/three_channels.wav"), 8000, 3, "pcm_s16le")
    ffmpeg(path_of("ffmpeg/alaw.wav"), 8000, 1, "pcm_alaw")
    run_to_file(ffmpeg(None, 44100, 2, "pcm_s16le", kind="noise"),
                path_of("ffmpeg/piped_44100.wav"))
    run_to_file(ffmpeg(None, 16000, 1, "pcm_s24le", bitexact=False),
                path_of("ffmpeg/piped_16000_s24.wav"))
    run_to_file(ffmpeg(None, 8000, 2, "pcm_u8"), path_of("ffmpeg/piped_8000_u8.wav"))

    # Python's wave module: any rate, including the odd ones.
    for n, (rate, channels, bits, frames) in enumerate(
            [(1, 1, 16, 5), (7, 2, 8, 20), (100, 1, 24, 300), (12345, 2, 32, 700),
             (8012, 1, 16, 8012 // 4), (8013, 2, 16, 2000), (16024, 1, 8, 1000),
             (44100, 2, 16, 1), (44100, 1, 16, 89), (8000, 1, 16, 0), (3, 2, 16, 9)]):
        python_wave(path_of("wave/w%d_%dch_%db_%d.wav" % (rate, channels, bits, frames)),
                    rate, channels, bits, frames, seed=n)
    python_wave(path_of("wave/three_channels.wav"), 8000, 3, 16, 100, seed=99)

    # Hand-made variants. A base body to build on.
    mono = samples16([0, 1, -1, 100, -100, 1000, -1000, 8159, 32767, 32635, -32635,
                      -32768, 5, -5, 12000, -12000] * 40)
    stereo = samples16([3, 0, -3, 0, 32767, 32767, -32768, -32768, 1, -2, -1, 2,
                        32767, -32768, 20000, 20001] * 60)
    fmt16 = chunk(b"fmt ", fmt_body(1, 1, 44100, 16))
    fmt16s = chunk(b"fmt ", fmt_body(1, 2, 22050, 16))
    data_m = chunk(b"data", mono)
    data_s = chunk(b"data", stereo)
    odd_list = chunk(b"LIST", b"INFOISFT\x05\x00\x00\x00abcd\x00")  # 17 bytes + pad
    put("hand/plain_mono.wav", riff(fmt16, data_m))
    put("hand/plain_stereo.wav", riff(fmt16s, data_s))
    put("hand/extremes_8bit.wav",
        riff(chunk(b"fmt ", fmt_body(1, 2, 8000, 8)), chunk(b"data", bytes(range(256)) * 4)))
    put("hand/odd_list_before_data.wav", riff(fmt16, odd_list, data_m))
    put("hand/odd_list_before_fmt.wav", riff(odd_list, fmt16s, data_s))
    put("hand/odd_list_no_pad.wav", riff(fmt16, chunk(b"LIST", b"abcde", pad=False), data_m))
    put("hand/odd_chunk_last_no_pad.wav", riff(fmt16, chunk(b"junk", b"abc", pad=False)))
    put("hand/odd_chunk_last_no_pad_streamed.wav",
        riff(fmt16, chunk(b"junk", b"abc", pad=False), riff_size=0xFFFFFFFF))
    put("hand/fact4.wav", riff(fmt16, chunk(b"fact", b"\x10\x00\x00\x00"), data_m))
    put("hand/fact5.wav", riff(fmt16, chunk(b"fact", b"\x10\x00\x00\x00\x07"), data_m))
    put("hand/fact2.wav", riff(fmt16, chunk(b"fact", b"\x10\x00\x00\x00", size=2), data_m))
    put("hand/fact_cut.wav", riff(fmt16, b"fact\x04\x00\x00\x00\x01\x02"))
    put("hand/fmt18.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 8000, 16, b"\0\0")), data_m))
    put("hand/fmt20.wav", riff(chunk(b"fmt ", fmt_body(1, 2, 32000, 16, b"\0\0ab")), data_s))
    put("hand/fmt19.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 16000, 16, b"\0\0a")), data_m))
    # Declared shorter than its fields: the fields are read in full.
    put("hand/fmt14.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 8000, 16), size=14), data_m))
    put("hand/fmt15.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 8000, 16), size=15, pad=False),
                               data_m))
    put("hand/fmt14_bound.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 8000, 16), size=14),
                                     data_m, riff_size=4 + 8 + 14 + 8 + 4))
    put("hand/fmt_cut.wav", riff(b"fmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f"))
    put("hand/fmt_cut_in_tag.wav", riff(b"fmt \x10\x00\x00\x00\x01"))
    put("hand/fmt_body_cut.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 8000, 16), size=30)))
    put("hand/fmt_float_cut.wav", riff(b"fmt \x10\x00\x00\x00\x03\x00"))
    put("hand/ext_pcm16.wav", riff(chunk(b"fmt ", extensible(2, 44100, 16, mask=3)), data_s))
    put("hand/ext_pcm_valid12.wav", riff(chunk(b"fmt ", extensible(1, 8000, 16, valid=12)),
                                         data_m))
    put("hand/ext_pcm_size42.wav",
        riff(chunk(b"fmt ", extensible(1, 8000, 16) + b"zz"), chunk(b"fact", b"1234"), data_m))
    put("hand/ext_float.wav", riff(chunk(b"fmt ", extensible(1, 8000, 32, FLOAT_GUID)),
                                   chunk(b"data", b"\0" * 64)))
    put("hand/ext_short.wav", riff(chunk(b"fmt ", fmt_body(0xFFFE, 1, 8000, 16, b"\0\0")),
                                   data_m))
    put("hand/ext_size39.wav", riff(chunk(b"fmt ", extensible(1, 8000, 16)[:39]), data_m))
    put("hand/ext_cut.wav", riff(chunk(b"fmt ", extensible(1, 8000, 16))[:8 + 30]))
    put("hand/ext_three.wav", riff(chunk(b"fmt ", extensible(3, 8000, 16, FLOAT_GUID)), data_m))
    put("hand/ext_zero_ch.wav", riff(chunk(b"fmt ", extensible(0, 8000, 16)), data_m))
    put("hand/ext_zero_ch_float.wav", riff(chunk(b"fmt ", extensible(0, 8000, 16, FLOAT_GUID)),
                                           data_m))
    put("hand/ext_bits12.wav", riff(chunk(b"fmt ", extensible(1, 8000, 12)), data_m))
    put("hand/tag3.wav", riff(chunk(b"fmt ", fmt_body(3, 1, 8000, 32)), data_m))
    put("hand/tag2.wav", riff(chunk(b"fmt ", fmt_body(2, 1, 8000, 4)), data_m))
    put("hand/tag0.wav", riff(chunk(b"fmt ", fmt_body(0, 0, 0, 0)), data_m))
    put("hand/three_ch_bits0.wav", riff(chunk(b"fmt ", fmt_body(1, 3, 8000, 0)), data_m))
    put("hand/zero_channels.wav", riff(chunk(b"fmt ", fmt_body(1, 0, 8000, 16)), data_m))
    put("hand/zero_ch_bits0.wav", riff(chunk(b"fmt ", fmt_body(1, 0, 8000, 0)), data_m))
    for bits in (0, 4, 7, 12, 20, 40, 64, 0xFFFF):
        put("hand/bits%d.wav" % bits, riff(chunk(b"fmt ", fmt_body(1, 1, 8000, bits)), data_m))
    put("hand/rate0.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 0, 16)), data_m))
    put("hand/rate0_empty.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 0, 16)), chunk(b"data", b"")))
    put("hand/rate0_partial_frame.wav",
        riff(chunk(b"fmt ", fmt_body(1, 2, 0, 16)), chunk(b"data", b"\1\2\3")))
    put("hand/rate_2p31.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 0x80000000, 16)), data_m))
    put("hand/rate_max.wav", riff(chunk(b"fmt ", fmt_body(1, 2, 0xFFFFFFFF, 8)), data_s))
    put("hand/rate_max_empty.wav",
        riff(chunk(b"fmt ", fmt_body(1, 2, 0xFFFFFFFF, 8)), chunk(b"data", b"")))
    put("hand/rate_2p31_minus1.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 0x7FFFFFFF, 16)), data_m))
    put("hand/rate1.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 1, 16)), data_m))
    put("hand/data_before_fmt.wav", riff(data_m, fmt16))
    put("hand/no_data.wav", riff(fmt16, odd_list))
    put("hand/no_chunks.wav", riff())
    put("hand/no_fmt_no_data.wav", riff(odd_list))
    put("hand/no_fmt_no_data.raw", riff(odd_list))
    put("hand/two_fmt.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 8000, 8)), fmt16s, data_s))
    put("hand/case_ids.wav", riff(chunk(b"FMT ", fmt_body(1, 1, 8000, 8)), fmt16,
                                  chunk(b"DATA", b"xyz"), data_m))
    put("hand/rifx.wav", b"RIFX" + riff(fmt16, data_m)[4:])
    put("hand/avi.wav", riff(fmt16, data_m, form=b"AVI "))
    put("hand/rf64_magic.wav", riff(fmt16, data_m, magic=b"RF64"))
    put("hand/empty.wav", b"")
    put("hand/three_bytes.wav", b"RIF")
    put("hand/riff_only.wav", b"RIFF")
    put("hand/riff_size_only.wav", b"RIFF\x04\x00\x00\x00")
    put("hand/riff_wav.wav", b"RIFF\x04\x00\x00\x00WAV")
    put("hand/riff_wave_only.wav", b"RIFF\x04\x00\x00\x00WAVE")
    put("hand/bad_riff_wave_only.wav", b"RIFX\x04\x00\x00\x00WAVE")
    for size in (0, 4, 12, 13, 20, 36, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF):
        put("hand/riff_size_%x.wav" % size, riff(fmt16, data_m, riff_size=size))
    put("hand/riff_size_12_list.wav", riff(fmt16, odd_list, data_m, riff_size=12))
    put("hand/riff_size_ends_before_data.wav",
        riff(fmt16, odd_list, data_m, riff_size=4 + len(fmt16) + len(odd_list)))
    put("hand/riff_size_ends_in_data_header.wav",
        riff(fmt16, data_m, riff_size=4 + len(fmt16) + 1))
    put("hand/riff_size_past_end_no_data.wav", riff(fmt16, odd_list, riff_size=1000))
    put("hand/riff_size_past_end.wav", riff(fmt16, odd_list, data_m, riff_size=100000))
    for size in (0, 1, 3, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, len(mono) + 2, len(mono) - 1):
        put("hand/data_size_%x.wav" % size,
            riff(fmt16s, b"data" + struct.pack("<I", size) + mono))
    put("hand/data_odd_byte.wav", riff(fmt16, chunk(b"data", mono + b"\x7f")))
    put("hand/data_partial_stereo24.wav",
        riff(chunk(b"fmt ", fmt_body(1, 2, 48000, 24)), chunk(b"data", noise_bytes(6 * 50 + 5, 1))))
    put("hand/data_then_garbage.wav", riff(fmt16, data_m, b"\xff" * 7))
    put("hand/noise24.wav", riff(chunk(b"fmt ", fmt_body(1, 2, 44100, 24)),
                                 chunk(b"data", noise_bytes(6 * 800, 2))))
    put("hand/noise32.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 96000, 32)),
                                 chunk(b"data", noise_bytes(4 * 1600, 3))))
    put("hand/noise16.wav", riff(chunk(b"fmt ", fmt_body(1, 2, 8013, 16)),
                                 chunk(b"data", noise_bytes(4 * 1000, 4))))
    for size in (0x80000000, 0xFFFFFFFF):
        put("hand/junk_size_%x.wav" % size, riff(fmt16, b"JUNK" + struct.pack("<I", size), data_m))
        put("hand/fact_size_%x.wav" % size, riff(fmt16, b"fact" + struct.pack("<I", size) +
                                                 b"\0" * 4, data_m))
        put("hand/fmt_size_%x.wav" % size,
            riff(b"fmt " + struct.pack("<I", size) + fmt_body(1, 1, 8000, 16), data_m))
        put("hand/fmt_size_%x_tag3.wav" % size,
            riff(b"fmt " + struct.pack("<I", size) + fmt_body(3, 1, 8000, 32), data_m))
    # The walk's bound falls exactly after an odd chunk's pad byte.
    put("hand/riff_size_at_padded_end.wav",
        riff(fmt16, odd_list, data_m, riff_size=12 + len(fmt16) + len(odd_list)))
    # An odd size below what is read of the body: does the count take the pad?
    put("hand/fmt13_bound.wav", riff(chunk(b"fmt ", fmt_body(1, 1, 8000, 16), size=13),
                                     data_m, riff_size=12 + 8 + 14))
    put("hand/fact3_bound.wav", riff(fmt16, chunk(b"fact", b"\1\0\0\0", size=3), data_m,
                                     riff_size=12 + len(fmt16) + 8 + 4))
    put("hand/odd_chunk_last_padded_streamed.wav", riff(fmt16, odd_list, riff_size=0xFFFFFFFF))
    put("hand/junk_huge_after_data.wav", riff(fmt16, data_m, b"JUNK\xff\xff\xff\xff"))
    put("hand/junk_past_end.wav", riff(fmt16, b"JUNK\x00\x10\x00\x00" + b"\0" * 10))
    put("hand/junk_past_end_streamed.wav",
        riff(fmt16, b"JUNK\x00\x10\x00\x00" + b"\0" * 10, riff_size=0xFFFFFFFF))
    put("hand/header_cut.wav", riff(fmt16, b"LIS"))
    put("hand/header_cut_streamed.wav", riff(fmt16, b"LIS", riff_size=0))

    # Truncated copies of tool-made files.
    for source in ["sox/s32000_2ch_32b.wav", "sox/s22050_1ch_24b.wav",
                   "ffmpeg/title.wav", "ffmpeg/rf64_auto.wav"]:
        whole = read(os.path.join(folder, source))
        stem = os.path.splitext(os.path.basename(source))[0]
        for cut in (8, 12, 15, 20, 30, 36, 40, 43, 44, 45, 50, 62, 70, 100, 131,
                    len(whole) - 3, len(whole) - 1):
            if cut < len(whole):
                put("cut/%s_%d.wav" % (stem, cut), whole[:cut])
    # A streaming writer's sizes on a finished file.
    for source in ["sox/s48000_2ch_8b.wav", "ffmpeg/title.wav", "sox/s11025_2ch_32b.wav"]:
        whole = bytearray(read(os.path.join(folder, source)))
        whole[4:8] = b"\xff\xff\xff\xff"
        at = whole.find(b"data")
        whole[at + 4:at + 8] = b"\xff\xff\xff\xff"
        stem = os.path.splitext(os.path.basename(source))[0]
        put("streamed/%s.wav" % stem, bytes(whole))

    # Names: only the file name is lower-cased, and its first ".wav" replaced.
    base = riff(fmt16s, data_s)
    for name in ["names/Upper.WAV", "names/Mixed.WAV.d/Song.WAV", "names/a.wav.d/b.Wav",
                 "names/Clip.Wave", "names/tone.raw", "names/x.wav.wav", "names/WAV",
                 "names/dot.wav.d/tone.raw", "names/name with space.wav",
                 "names/\u97f3\u697d.WAV", "names/\u00c9t\u00c9.WaV", "names/.wav",
                 "names/a.w.av.WAVE.wav"]:
        put(name, base)
    # Names that are not valid UTF-8 (Latin-1 bytes, as older tools write
    # them): a stray lead byte is a character of its own, so it can neither
    # swallow the "/" before the file name nor the "." of ".wav".
    for name in [b"names/Caf\xe9.wav", b"names/\xc3A.WAV", b"names/Dossier\xe9/Song.WAV",
                 b"names/x.wav\xe9/tone.raw", b"names/Na\xefve\xc3.Wav"]:
        put(os.fsdecode(name), base)
    # A folder the output of names/x.wav\xe9/tone.raw must never reach.
    decoy = os.path.join(folder, os.fsdecode(b"names/x.au\xe9/tone.raw"))
    os.makedirs(os.path.dirname(decoy))
    with open(decoy, "wb") as out:
        out.write(b"an unrelated file that no conversion may replace\n")
    return written


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_corpus.py FOLDER")
    missing = tools_missing()
    if missing:
        sys.exit("missing tools: " + ", ".join(missing))
    os.makedirs(sys.argv[1], exist_ok=True)
    files = make_corpus(sys.argv[1])
    print("%d files written to %s" % (len(files), sys.argv[1]))
