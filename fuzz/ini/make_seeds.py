#!/usr/bin/python3
"""Writes the seed corpus of the ini fuzz target: a buffer size byte, a
struct size byte, then the file's contents, a section, a key and a value
separated by 0xFF."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")

SETTINGS = (b"[audio]\ndriver=0\nindev=system\noutdev=system\nin1=1\nin2=2\n"
            b"out1=1\nout2=2\nmonoinput=0\niovs=512\nsigvs=32\nsr=44100\n\n"
            b"[midi]\nindev=off\noutdev=off\ninchan=0\noutchan=0\n\n")

SEEDS = {
    "settings": (200, 2, SETTINGS, b"audio", b"sigvs", b"64"),
    "settings_small_buffer": (3, 0, SETTINGS, b"MIDI", b"INDEV", b"virtual input"),
    "settings_new_section": (0, 1, SETTINGS, b"extra", b"k", b" 'quoted' "),
    "blanks_and_quotes": (64, 3,
                          b"  [Main]  \r\nWidth = 5\n  single='abc'  \nlone='\n=nokey\n"
                          b"; comment\n[Main]\nagain=1\n[]\nlost=1\n[unclosed\n",
                          b"main", b"Width ", b"7"),
    "struct": (16, 2, b"[s]\nblob=01FF00\nbad=01FG00\n", b"s", b"blob", b"0A0B15"),
    "duplicates": (1, 5, b"[a]\nk=1\nK=2\n[A]\nx=3\n[b]\n", b"B", b"k", b"v"),
    "binary": (32, 4, b"[s]\nk=a\0b\n\xff\xfe[t]\nz=\x01\n", b"t", b"z", b"1\n[x]"),
    "no_sections": (8, 0, b"x" * 300 + b"\n", b"s", b"k", b"v"),
    "empty": (2, 0, b"", b"", b"", b""),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, (size, struct_size, contents, section, key, value) in SEEDS.items():
        data = bytes([size, struct_size]) + b"\xff".join([contents, section, key, value])
        with open(os.path.join(OUT, name + ".bin"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
