#!/usr/bin/python3
"""Writes the seed corpus of the two fuzz targets: small WAVE files of each
layout the reader handles or refuses (plus copies of a few sox fixtures) and
curve texts of each shape the parser meets."""
import math
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WAV = os.path.join(HERE, "corpus", "wav_reader")
TEXT = os.path.join(HERE, "corpus", "curve_text")
FIXTURES = os.path.join(HERE, "..", "..", "tests", "files", "data")


def chunk(cid, body, size=None):
    size = len(body) if size is None else size
    pad = b"\0" if len(body) % 2 else b""
    return cid + struct.pack("<I", size) + body + pad


def fmt(tag, ch, bits, extra=b""):
    b = bits // 8
    return struct.pack("<HHIIHH", tag, ch, 44100, 44100 * ch * b, ch * b, bits) + extra


def extensible(sub, ch, bits):
    tail = bytes([0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71])
    return fmt(0xFFFE, ch, bits, struct.pack("<HHIH", 22, bits, 4, sub) + tail)


def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def floats(values):
    return b"".join(struct.pack("<f", v) for v in values)


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def wav_seeds():
    ramp = [i / 31 * 2 - 1 for i in range(32)]
    s16 = b"".join(struct.pack("<h", int(v * 32767)) for v in ramp)
    write(WAV, "canonical_float.wav", riff(chunk(b"fmt ", fmt(3, 1, 32)), chunk(b"data", floats(ramp))))
    write(WAV, "fmt18_no_fact.wav",
          riff(chunk(b"fmt ", fmt(3, 1, 32, b"\0\0")), chunk(b"data", floats(ramp))))
    write(WAV, "list_before_data.wav",
          riff(chunk(b"fmt ", fmt(1, 2, 16)), chunk(b"LIST", b"INFOdata!"), chunk(b"data", s16)))
    write(WAV, "extensible_float.wav",
          riff(chunk(b"fmt ", extensible(3, 1, 32)), chunk(b"fact", b"\x20\0\0\0"),
               chunk(b"data", floats(ramp))))
    cues = struct.pack("<II", 28, 1) + struct.pack("<II4sIII", 1, 5, b"data", 0, 0, 5)
    write(WAV, "cue_chunk.wav",
          riff(chunk(b"fmt ", fmt(1, 1, 16)), chunk(b"data", s16), chunk(b"cue ", cues)))
    placeholder = bytearray(riff(chunk(b"fmt ", fmt(1, 1, 16)), chunk(b"data", s16)))
    placeholder[40:44] = struct.pack("<I", 2)
    write(WAV, "one_sample_size.wav", bytes(placeholder))
    full = riff(chunk(b"fmt ", fmt(1, 1, 24)), chunk(b"data", bytes(range(96))))
    write(WAV, "truncated_24.wav", full[:70])
    write(WAV, "lying_size.wav",
          riff(chunk(b"fmt ", fmt(1, 1, 8)), chunk(b"data", bytes(16), 0xFFFFFFF0)))
    for name in ("sox_mono_u8.wav", "sox_stereo_s24.wav", "sox_mono_f64.wav", "sox_mono_alaw.wav"):
        shutil.copy(os.path.join(FIXTURES, name), os.path.join(WAV, name))


def text_seeds():
    ramp = [i * (2.0 / 511) - 1.0 for i in range(512)]
    line = ",".join("%.10f" % v for v in ramp)
    write(TEXT, "ramp.txt", line.encode())
    write(TEXT, "one_per_line.txt", "".join("%.6f,\n" % v for v in ramp).encode())
    write(TEXT, "too_few.txt", ",".join(["0.5"] * 511).encode())
    write(TEXT, "extra_field.txt", (line + ",0.25").encode())
    odd = ["abc", "2.5", "nan", "-inf", " 0x1p-2", "", "1e999", "-0"] + ["0.1"] * 504
    write(TEXT, "odd_fields.txt", ",".join(odd).encode())
    write(TEXT, "empty.txt", b"")


def main():
    for folder in (WAV, TEXT):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    wav_seeds()
    text_seeds()


if __name__ == "__main__":
    main()
