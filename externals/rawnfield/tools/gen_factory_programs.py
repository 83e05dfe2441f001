#!/usr/bin/env python3
"""Writes source/programs/FactoryProgramTable.cpp: the factory programs as
differences from the baseline program.

The values are transcribed from the markdown text that holds the factory
program tables (one table per menu section, each with an optional line of
values common to the section, then the table of programs that no menu
lists) and the table of decibel levels with their stored doubles. Give that
text's path as the only argument:

    python3 externals/rawnfield/tools/gen_factory_programs.py TABLES.md

Only the standard library is needed. The result is checked against the
same tables by a separately written reader (tests/programs/make_reference.py).
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "source", "programs", "FactoryProgramTable.cpp")

# Keys of the program file, in tag order (tags 0..64).
KEYS = """InputVolume InputDCOffset InputSaturation InputSaturationMode InputMode
Quantization SampleRate Gate DistortionOnOff Distortion DistortionType
DistortionLoudness DistortionInterpMode DistortionPosNegBoth DistortionPreProcess
DistortionPostProcess DynShaper DynShaperWidth DynShaperInvert DynShaperType
DynShaperMode DynShaperPosNegBoth FilterOnOff FilterInputDrive FilterType
FilterCutoff FilterResonance FilterMode1 FilterMode2 FilterTransition EqOnOff
BassAmount LowMidAmount HighMidAmount HighAmount SubBandProcOnOff
SubBandChannelMode SubBandGain SubBandSaturation SubBandSaturationMode
SubBandDistortion SubBandEqOnOff SubBandBassAmount SubBandLowMidAmount
SubBandHighMidAmount SubBandHighAmount FilterLink SubBandCutoff
SubBandFilterSlope DistoBandCutoff DistoBandFilterSlope DistoBandGain BypassFX
Pan Saturation SaturationMode HqFilter DumpExpand DumpExpandSlope LimiterLevel
LimiterMode Oversampling DryWet Volume AutoMakeUp""".split()

SHAPER_TYPES = {"Sine": 0, "Triangle": 1, "Pulse": 2}
SHAPER_MODES = {"Shaper": 0, "Sat.Shaper": 1, "Boost Shaper": 2, "Boost+Sat.Shaper": 3}
KICK_SECTION = "### BASS-/KICK DRUMS ###"


def fail(msg):
    sys.exit("gen_factory_programs: " + msg)


def cells(line):
    return [c.strip() for c in line.strip().strip("|").split("|")]


def unquote_key(text):
    m = re.fullmatch(r"`(\w+)`", text)
    return m.group(1) if m else None


def read_decibels(lines):
    levels = {}
    for line in lines:
        m = re.fullmatch(r"\| (−?[0-9.]+) dB \| ([0-9.]+) \|", line.strip())
        if m:
            levels[m.group(1).replace("−", "-")] = m.group(2)
    if len(levels) < 6:
        fail("decibel table not found")
    return levels


class Value:
    """One stored value: a kind understood by the C++ builder and a number."""

    def __init__(self, kind, number, note=""):
        self.kind, self.number, self.note = kind, number, note


def parse_value(key, text, levels):
    text = text.strip()
    m = re.fullmatch(r"(−?[0-9.]+) dB", text)
    if m:
        db = m.group(1).replace("−", "-")
        if db not in levels:
            fail("no stored value for %s dB" % db)
        return Value("kPlain", levels[db], text.replace("−", "-"))
    if key == "DynShaperType":
        name = text.strip('"')
        if name not in SHAPER_TYPES:
            fail("unknown waveform " + text)
        return Value("kShaperTypeSel", str(SHAPER_TYPES[name]), name)
    if key == "DynShaperMode":
        name = text.strip('"')
        if name not in SHAPER_MODES:
            fail("unknown shaper mode " + text)
        return Value("kShaperModeSel", str(SHAPER_MODES[name]), name)
    m = re.fullmatch(r'(\d+) "([^"]+)"', text)
    if m:
        if key == "DistortionType":
            return Value("kDistortionTypeSel", m.group(1), m.group(2))
        if key in ("FilterMode1", "FilterMode2"):
            return Value("kFilterTypeSel", m.group(1), m.group(2))
        fail("a named choice for " + key)
    if text == "1/3":
        return Value("kPlain", "1.0 / 3.0")
    if text == "2/3":
        return Value("kPlain", "2.0 / 3.0")
    if re.fullmatch(r"[0-9]+(\.[0-9]+)?", text):
        return Value("kPlain", text)
    fail("cannot read value %r of %s" % (text, key))


def parse_list(text, levels):
    """`Key` value, `Key` value, ... as (key, Value) pairs."""
    pairs = []
    for m in re.finditer(r"`(\w+)` (.+?)(?=, `|\.?$)", text.strip()):
        key = m.group(1)
        if key not in KEYS:
            fail("unknown key " + key)
        pairs.append((key, parse_value(key, m.group(2), levels)))
    return pairs


def read_programs(lines, levels):
    programs = []
    spares = []
    section = None
    common = []
    header = None
    for line in lines:
        m = re.match(r'Section "(.+)" \(entries', line)
        if m:
            section, common, header = m.group(1), [], None
            continue
        if line.startswith("Values common to all entries of this section:"):
            common = parse_list(line.split(":", 1)[1], levels)
            continue
        if not line.startswith("|"):
            header = None
            continue
        row = cells(line)
        if row[:2] in (["#", "Name"], ["Initialiser", "Name"]) and "`Volume`" in row:
            header = row
            continue
        if set("".join(row)) <= set("-"):
            continue
        if header is None:
            continue
        if header[0] == "#":
            programs.append(read_row(header, row, section, common, levels))
        elif header[0] == "Initialiser":
            spares.append(read_spare(row, spares, levels))
    return programs, spares


def read_row(header, row, section, common, levels):
    if len(row) != len(header):
        fail("row %s has %d cells for %d columns" % (row[0], len(row), len(header)))
    entry = {"index": int(row[0]), "name": row[1].strip('"'), "kick": section == KICK_SECTION}
    settings = list(common)
    for title, text in zip(header[2:], row[2:]):
        key = unquote_key(title)
        if key is None:
            fail("column " + title)
        if not text:
            continue
        if key == "Volume":
            entry["volume"] = parse_value(key, text, levels)
        elif key == "SubBandProcOnOff":
            entry["single"] = {"0": True, "1": False}[text]
        else:
            settings.append((key, parse_value(key, text, levels)))
    if "volume" not in entry or "single" not in entry:
        fail("row %s lacks the volume or the band mode" % row[0])
    entry["settings"] = settings
    return entry


def read_spare(row, spares, levels):
    init, name, volume, onoff, others = row
    entry = {"name": name.strip('"'), "kick": False,
             "volume": parse_value("Volume", volume, levels),
             "single": {"0": True, "1": False}[onoff], "init": init.strip("`")}
    m = re.fullmatch(r"as the row above, plus (.*)", others)
    if m:
        entry["settings"] = list(spares[-1]["settings"]) + parse_list(m.group(1), levels)
    else:
        entry["settings"] = parse_list(others, levels)
    return entry


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def key_const(key):
    return "k" + key


def emit(programs, spares):
    out = []
    out.append("// Generated by externals/rawnfield/tools/gen_factory_programs.py from the")
    out.append("// factory program tables; rerun the script rather than editing this file.")
    out.append("// clang-format off")
    out.append('#include "FactoryProgramTable.h"')
    out.append("")
    out.append("namespace Rawnfield {")
    out.append("namespace FactoryTable {")
    out.append("")
    out.append("using namespace Harshbloom;")
    out.append("")
    out.append("const Setting kSettings[] = {")
    first = 0
    ranges = []
    for group in (programs, spares):
        for e in group:
            label = e.get("init") or str(e["index"])
            out.append("  // %s %s" % (label, e["name"]))
            for key, v in e["settings"]:
                note = "  // " + v.note if v.note else ""
                out.append("  {%s, %s, %s},%s" % (key_const(key), v.kind, v.number, note))
            ranges.append((first, len(e["settings"])))
            first += len(e["settings"])
    out.append("};")
    out.append("")

    def entries(name, group, offset):
        out.append("const Entry %s[%d] = {" % (name, len(group)))
        for i, e in enumerate(group):
            start, count = ranges[offset + i]
            vol = e["volume"]
            note = "  // " + vol.note if vol.note else ""
            out.append("  {%s, %s, %s, %s, %d, %d},%s" % (
                c_string(e["name"]), vol.number, "true" if e["single"] else "false",
                "kKickBase" if e["kick"] else "kBaseline", start, count, note))
        out.append("};")
        out.append("")

    entries("kEntries", programs, 0)
    entries("kSpareEntries", spares, len(programs))
    out.append("}  // namespace FactoryTable")
    out.append("}  // namespace Rawnfield")
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 2:
        fail("usage: gen_factory_programs.py TABLES.md")
    with open(sys.argv[1], encoding="utf-8") as f:
        lines = f.read().splitlines()
    levels = read_decibels(lines)
    programs, spares = read_programs(lines, levels)
    if [e["index"] for e in programs] != list(range(len(programs))):
        fail("programs out of order")
    if len(programs) != 90 or len(spares) != 5:
        fail("read %d programs and %d spares" % (len(programs), len(spares)))
    with open(OUT, "w", encoding="utf-8") as f:
        f.write(emit(programs, spares))


if __name__ == "__main__":
    main()
