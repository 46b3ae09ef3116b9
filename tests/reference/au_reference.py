"""A reference model of one WAV-to-AU conversion, written from the rules alone.

convert(data, path) takes the whole input file (or None when it cannot be
opened) and the path as given on the command line, and returns an Outcome:

  Outcome("converted", output_path=..., au=bytes)   an AU file is written
  Outcome("failed", messages=[...])                  reported failures, in order
  Outcome("silent")                                  the name holds no ".wav"

Paths and messages are bytes (file names are bytes on Linux; the messages are
UTF-8). The model mirrors the converter's stages one for one: read the RIFF
file, form the output name, mix to mono, keep or drop samples to 8012 Hz,
encode to mu-law and write the 28-byte header.
"""

import struct

READ_PREFIX = "Wave ファイル 読込みエラー: ".encode()
READ_ERROR = "データ読込みエラー".encode()
TOO_MANY_CHANNELS = "チャンネル数２を超えました".encode()
CANNOT_OPEN = " ファイルを開けません".encode()
UNIMPLEMENTED_ENCODING = b"Unimplemented Encoding change."
CONVERTED_SUFFIX = "  AUファイルに変換成功".encode()

TARGET_RATE = 8012
CLIP = 32635
BIAS = 0x84
TOO_BIG = 1 << 31  # a 32-bit field at or above this is negative as signed
PCM_SUBFORMAT = bytes.fromhex("0100000000001000800000aa00389b71")

# Exponent of a biased magnitude, indexed by its bits 7 to 14.
EXPONENT = [0] * 256
for _n in range(1, 256):
    EXPONENT[_n] = _n.bit_length() - 1


class Outcome:
    def __init__(self, kind, output_path=None, au=None, messages=()):
        self.kind = kind
        self.output_path = output_path
        self.au = au
        self.messages = list(messages)

    def __repr__(self):
        if self.kind == "converted":
            return "converted -> %r (%d bytes)" % (self.output_path, len(self.au))
        if self.kind == "failed":
            return "failed: " + " | ".join(m.decode(errors="replace") for m in self.messages)
        return "silent failure"


class ReadFailure(Exception):
    """The reader reports this message and the job ends."""

    def __init__(self, message):
        super().__init__(message)
        self.message = message


class Reader:
    """Sequential reads over the file's bytes; running past the end is a read error."""

    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ReadFailure(READ_ERROR)
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def pass_over(self, size, consumed):
        """Passes over the rest of a body of declared size after consumed bytes
        of it were read, plus the pad byte that follows an odd size. The pad
        byte may be missing at the very end of the file."""
        pad = size & 1
        rest = size - consumed
        if rest > 0:
            self.take(rest)
            if pad:
                self.pos = min(self.pos + 1, len(self.data))
        elif rest == 0 and pad:
            self.pos = min(self.pos + 1, len(self.data))
        # rest < 0: the fields read already ran past the body (and its pad).


class Context:
    def __init__(self):
        self.encoding = b""
        self.channels = 0
        self.rate = 0
        self.bits = 0
        self.left = []
        self.right = []
        self.format_seen = False


def file_message(path, tail):
    return READ_PREFIX + b" file " + path + tail


def read_format(r, ctx, path, size):
    tag = r.u16()
    if tag not in (1, 0xFFFE):
        raise ReadFailure(file_message(path, b"Unidentified encoding in .WAV file"))
    channels = r.u16()
    if channels > 2:
        raise ReadFailure(TOO_MANY_CHANNELS)
    rate = r.u32()
    r.u32()  # average bytes per second
    r.u16()  # block align
    bits = r.u16()
    consumed = 16
    if tag == 0xFFFE:
        if size < 40:
            raise ReadFailure(file_message(path, b"Unidentified encoding in .WAV file"))
        r.take(8)  # extension size, valid bits, channel mask
        guid = r.take(16)
        consumed = 40
        if guid != PCM_SUBFORMAT:
            raise ReadFailure(file_message(path, b"Unidentified encoding in .WAV file"))
    if channels == 0:
        raise ReadFailure(file_message(path, b" has no channels"))
    if bits not in (8, 16, 24, 32):
        raise ReadFailure(file_message(path, b" has an unsupported sample size"))
    ctx.encoding = b"PCM"
    ctx.channels = channels
    ctx.rate = rate
    ctx.bits = bits
    r.pass_over(size, consumed)
    ctx.format_seen = True


def decode_sample(raw, bits):
    if bits == 8:
        return raw[0] * 256 - 32768
    value = int.from_bytes(raw, "little", signed=True)
    return value >> (bits - 16)  # keep the top 16 bits (arithmetic shift)


def read_data(r, ctx, path, size):
    if not ctx.format_seen:
        raise ReadFailure(READ_PREFIX + b"Data Chunk before Format Chunk")
    available = len(r.data) - r.pos
    if size >= TOO_BIG or size > available:
        size = available
    sample_bytes = ctx.bits // 8
    frame_bytes = sample_bytes * ctx.channels
    frames = size // frame_bytes
    if frames > 0 and (ctx.rate == 0 or ctx.rate >= TOO_BIG):
        raise ReadFailure(file_message(path, b" has an unsupported sample rate"))
    data = r.data
    pos = r.pos
    left = []
    right = []
    for i in range(frames):
        base = pos + i * frame_bytes
        left.append(decode_sample(data[base:base + sample_bytes], ctx.bits))
        if ctx.channels == 2:
            right.append(decode_sample(data[base + sample_bytes:base + frame_bytes], ctx.bits))
    ctx.left = left
    ctx.right = right


def read_wave(data, path, ctx):
    r = Reader(data)
    if len(data) < 4:
        raise ReadFailure(READ_ERROR)
    form = r.take(4)
    sizes64 = form in (b"RF64", b"BW64")  # RIFF with its sizes in a 'ds64' chunk
    if form != b"RIFF" and not sizes64:
        raise ReadFailure(file_message(path, b" is not a RIFF file"))
    riff_size = int.from_bytes(data[4:8], "little") if len(data) >= 8 else 0
    r.pos = min(8, len(data))
    if len(data) < 12:
        raise ReadFailure(READ_ERROR)
    if r.take(4) != b"WAVE":
        raise ReadFailure(file_message(path, b" is not a WAVE file"))
    # A RIFF size that cannot be right leaves the file's length as the bound.
    bound = len(data) if riff_size <= 12 or riff_size >= TOO_BIG else riff_size
    count = 12
    data_size64 = None
    while count < bound:
        ident = r.take(4)
        size = r.u32()
        count += 8
        if ident == b"data":
            if data_size64 is not None and size == 0xFFFFFFFF:
                size = data_size64
            read_data(r, ctx, path, size)
            return
        if size >= TOO_BIG:
            raise ReadFailure(READ_ERROR)
        if ident == b"ds64" and sizes64 and size >= 24:
            fields = r.take(24)
            if len(fields) < 24:
                raise ReadFailure(READ_ERROR)
            riff_size64 = int.from_bytes(fields[0:8], "little")
            data_size64 = int.from_bytes(fields[8:16], "little")
            r.pass_over(size, 24)
            if riff_size == 0xFFFFFFFF and riff_size64 > 12:
                bound = riff_size64
        elif ident == b"fmt ":
            read_format(r, ctx, path, size)
        elif ident == b"fact":
            r.take(4)
            r.pass_over(size, 4)
        else:
            r.pass_over(size, 0)
        count += size + (size & 1)


def output_path(path):
    """The file name alone is lower-cased (A-Z only) and its first ".wav"
    becomes ".au"; the folders keep their case. None when there is no ".wav"."""
    # Names are UTF-8. "/", "." and A-Z are ASCII, and no byte of a multi-byte
    # UTF-8 character is ASCII, so working byte by byte is working character
    # by character; a stray byte of a name that is not valid UTF-8 (Latin-1,
    # say) is a character of its own and never takes the ASCII bytes after it.
    cut = path.rfind(b"/") + 1
    folder, name = path[:cut], path[cut:]
    name = bytes(b + 32 if 0x41 <= b <= 0x5A else b for b in name)
    at = name.find(b".wav")
    if at < 0:
        return None
    return folder + name[:at] + b".au" + name[at + 4:]


def to_mono(ctx):
    if ctx.channels == 2:
        mixed = []
        for l, r in zip(ctx.left, ctx.right):
            s = l + r
            q = abs(s) // 2
            mixed.append(q if s >= 0 else -q)  # toward zero
        ctx.left = mixed
        ctx.right = []
        ctx.channels = 1


def change_rate(ctx, target):
    if target == ctx.rate:
        return
    frames = len(ctx.left)
    if frames == 0:
        return
    step = 1.0 / ctx.rate
    threshold = 1.0 / target
    acc = 0.0
    kept = []
    for sample in ctx.left:
        acc = acc + step
        if acc > threshold:
            kept.append(sample)
            acc = acc - threshold
    ctx.left = kept


def mu_law(s):
    sign = 0
    if s < 0:
        sign = 0x80
        s = -s
    if s > CLIP:
        s = CLIP
    s += BIAS
    exponent = EXPONENT[(s >> 7) & 0xFF]
    mantissa = (s >> (exponent + 3)) & 0x0F
    code = ~(sign | (exponent << 4) | mantissa) & 0xFF
    return 0x02 if code == 0 else code


def convert(data, path):
    if data is None:
        return Outcome("failed", messages=[path + CANNOT_OPEN])
    ctx = Context()
    try:
        read_wave(data, path, ctx)
    except ReadFailure as failure:
        return Outcome("failed", messages=[failure.message])
    out = output_path(path)
    if out is None:
        return Outcome("silent")
    to_mono(ctx)
    change_rate(ctx, TARGET_RATE)
    if ctx.encoding != b"PCM":
        return Outcome("failed", messages=[UNIMPLEMENTED_ENCODING])
    codes = bytes(mu_law(s) for s in ctx.left)
    header = b".snd" + struct.pack(">IIIIII", 28, len(codes), 1, TARGET_RATE, 1, 0)
    return Outcome("converted", output_path=out, au=header + codes)


def converted_line(path):
    return path + CONVERTED_SUFFIX
