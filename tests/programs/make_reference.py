#!/usr/bin/python3
"""Writes the reference data of the program tests into data/, read from the
markdown text of the program tables (give its path as the only argument):

- tags.txt: per tag 0..84, its program-file key, the record value it
  addresses ("index N", "named KEY" or "none") and its code name;
- record_defaults.txt: the record's 65 values in record order, each with
  its key and default;
- factory_programs.txt: every factory program (and the five spare ones)
  as its name and all 65 values in tag order, resolved here from the
  baseline, the kick-drum values, the section's common values and the
  program's row;
- saved_<n>.txt: the program section that saving factory program n with the
  curve text "CURVE" must write, byte for byte.

Written independently of the generator of the factory program source, so
that a mistake in one shows up as a difference. Values are written with
repr() (shortest round trip) and "nan".
"""

import math
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")
SAVED = [0, 11, 12, 33, 43, 66, 74, 89]


def tables(lines):
    """Every table of the text as (header cells, rows of cells, text before)."""
    found, current, before = [], None, []
    for line in lines:
        if line.startswith("|"):
            row = [c.strip() for c in line.strip()[1:-1].split("|")]
            if current is None:
                current = (row, [], list(before))
                found.append(current)
            elif not all(re.fullmatch(r"-+", c) for c in row):
                current[1].append(row)
        else:
            current = None
            before.append(line)
    return found


def number(text):
    """The leading number of a cell: 1, 0.5, 1/3, -0.2 dB and the like."""
    text = text.replace("−", "-").strip()
    m = re.match(r"(-?\d+)/(\d+)", text)
    if m:
        return int(m.group(1)) / int(m.group(2))
    m = re.match(r"-?\d+(\.\d+)?", text)
    assert m, text
    return float(m.group(0))


def strip_ticks(text):
    return text.strip().strip("`").strip('"')


# --- vocabulary -------------------------------------------------------------

def type_words(lines):
    text = " ".join(l for l in lines if l.startswith("- `Rawnfield::Types::eDistortionType`:"))
    words = dict((int(n), w) for n, w in re.findall(r'(\d+) "([^"]+)"', text))
    assert sorted(words) == list(range(42)), sorted(words)
    return words


def filter_names(lines):
    text = " ".join(l for l in lines if l.startswith("- `Rawnfield::Types::eFilterType`:"))
    names = dict((int(n), w) for n, w in re.findall(r'(\d+) "([^"]+)"', text))
    assert sorted(names) == list(range(12))
    return names


def tag_table(lines):
    for head, rows, _ in tables(lines):
        if head == ["Tag", "Key", "Record value", "Code name"]:
            tags = {}
            for tag, key, where, code in rows:
                if tag.startswith("65 to 84"):
                    for n in range(1, 21):
                        tags[64 + n] = ("Reserved_%02d" % n, "none", "Unknown")
                    continue
                if where.startswith("index"):
                    slot = "index %d" % int(where.split()[1])
                else:
                    slot = "named " + strip_ticks(where.split()[1])
                code = strip_ticks(code) if code.startswith('"') else "distoBandGain"
                tags[int(tag)] = (strip_ticks(key), slot, code)
            assert sorted(tags) == list(range(85))
            return tags
    raise SystemExit("no tag table")


# --- record defaults ----------------------------------------------------------

def record_defaults(lines):
    for head, rows, _ in tables(lines):
        if head[:4] == ["Index", "Group", "Tag", "Key"]:
            out = []
            for row in rows:
                key, default = strip_ticks(row[3]), row[5]
                slot = "named " + key if row[0].startswith("named") else "index " + row[0]
                out.append((slot, key, math.nan if "NaN" in default else number(default)))
            assert len(out) == 65
            return out
    raise SystemExit("no record table")


# --- factory programs ---------------------------------------------------------

def decibels(lines):
    for head, rows, _ in tables(lines):
        if head == ["Level", "Stored value"]:
            levels = {}
            for level, stored in rows:
                db = number(level)
                value = float(stored)
                # The listed doubles are 10^(dB/20) to the last bit.
                assert value == 10 ** (db / 20), (level, stored)
                levels[db] = value
            return levels
    raise SystemExit("no decibel table")


def baseline(lines, volume, single):
    for head, rows, _ in tables(lines):
        if head == ["Tag", "Key", "Value"]:
            values = {}
            for tag, key, cell in rows:
                key = strip_ticks(key)
                if "outVolume" in cell:
                    values[key] = volume
                elif "singleBand" in cell:
                    values[key] = 0.0 if single else 1.0
                elif "NaN" in cell:
                    values[key] = math.nan
                elif "=" in cell:
                    values[key] = number(cell.split("=")[-1])
                else:
                    values[key] = number(cell)
            assert len(values) == 65
            return values
    raise SystemExit("no baseline table")


SHAPER = {"Sine": 0.0, "Triangle": 0.5, "Pulse": 1.0}
MODES = {"Shaper": 0.0, "Sat.Shaper": 1 / 3, "Boost Shaper": 2 / 3, "Boost+Sat.Shaper": 1.0}


def cell_value(key, cell, levels):
    cell = cell.strip()
    if cell.endswith("dB"):
        return levels[number(cell)]
    if key == "DistortionType":
        return int(cell.split()[0]) / 42
    if key in ("FilterMode1", "FilterMode2"):
        return int(cell.split()[0]) / 11
    if key == "DynShaperType":
        return SHAPER[cell.strip('"')]
    if key == "DynShaperMode":
        return MODES[cell.strip('"')]
    return number(cell)


def key_pairs(text, levels):
    """`Key` value, `Key` value ... of a line of common or other values."""
    parts = re.split(r",\s*(?=`)", text.strip().rstrip("."))
    out = []
    for part in parts:
        m = re.match(r"`(\w+)` (.*)", part.strip())
        assert m, part
        out.append((m.group(1), cell_value(m.group(1), m.group(2), levels)))
    return out


def kick_values(lines):
    for head, rows, _ in tables(lines):
        if head == ["Key", "Value"]:
            out = []
            for keys, cell in rows:
                v = number(cell.split("=")[-1]) if "=" in cell else number(cell)
                for key in re.findall(r"`(\w+)`", keys):
                    out.append((key, v))
            return out
    raise SystemExit("no kick-drum table")


def factory_programs(lines, levels):
    kick = kick_values(lines)
    programs = []
    for head, rows, before in tables(lines):
        if head[:3] != ["#", "Name", "`Volume`"]:
            continue
        title = [l for l in before if re.match(r'(Section "|Entries \d)', l)][-1]
        commons = [l for l in before[before.index(title):]
                   if l.startswith("Values common to all entries")]
        common = key_pairs(commons[0].split(":", 1)[1], levels) if commons else []
        for row in rows:
            cells = dict(zip((strip_ticks(h) for h in head), row))
            single = cells["SubBandProcOnOff"] == "0"
            values = baseline(lines, cell_value("Volume", cells["Volume"], levels), single)
            if "KICK" in title:
                values.update(kick)
            values.update(common)
            for key, cell in cells.items():
                if key in ("#", "Name", "Volume", "SubBandProcOnOff") or not cell:
                    continue
                values[key] = cell_value(key, cell, levels)
            programs.append((row[0], strip_ticks(cells["Name"]), values))
    assert [p[0] for p in programs] == [str(i) for i in range(90)]
    for head, rows, _ in tables(lines):
        if head[:2] != ["Initialiser", "Name"]:
            continue
        previous = []
        for n, (init, name, volume, onoff, others) in enumerate(rows):
            values = baseline(lines, cell_value("Volume", volume, levels), onoff == "0")
            if others.startswith("as the row above, plus"):
                pairs = previous + key_pairs(others.split("plus", 1)[1], levels)
            else:
                pairs = key_pairs(others, levels)
            values.update(pairs)
            previous = pairs
            programs.append(("spare%d" % n, strip_ticks(name), values))
    return programs


# --- output -------------------------------------------------------------------

def text(v):
    return "nan" if math.isnan(v) else repr(float(v))


def saved_text(name, values, tags, words, filters):
    lines = ["[Harshbloom_Program]", "Name = %s;" % name]
    for tag in range(85):
        key = tags[tag][0]
        v = values.get(key, 0.0)
        if key == "DistortionType":
            shown = words[int(math.floor(42 * v + 0.5))]
        elif key in ("FilterMode1", "FilterMode2"):
            shown = filters[int(math.floor(11 * v + 0.5))]
        else:
            shown = "%g" % v
        lines.append("%s = %s;" % (key, shown))
    lines.append("DistortionCurveData = CURVE;")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: make_reference.py TABLES.md")
    with open(sys.argv[1], encoding="utf-8") as f:
        lines = f.read().splitlines()
    words, filters = type_words(lines), filter_names(lines)
    tags = tag_table(lines)
    defaults = record_defaults(lines)
    levels = decibels(lines)
    programs = factory_programs(lines, levels)
    keys = [tags[t][0] for t in range(65)]

    os.makedirs(DATA, exist_ok=True)
    with open(os.path.join(DATA, "tags.txt"), "w") as f:
        for t in range(85):
            f.write("%d|%s|%s|%s\n" % ((t,) + tags[t]))
    with open(os.path.join(DATA, "record_defaults.txt"), "w") as f:
        for slot, key, v in defaults:
            f.write("%s|%s|%s\n" % (slot, key, text(v)))
    with open(os.path.join(DATA, "factory_programs.txt"), "w") as f:
        for index, name, values in programs:
            assert set(values) == set(keys), set(values) ^ set(keys)
            f.write("%s|%s|%s\n" % (index, name, " ".join(text(values[k]) for k in keys)))
    for n in SAVED:
        _, name, values = programs[n]
        with open(os.path.join(DATA, "saved_%d.txt" % n), "w") as f:
            f.write(saved_text(name, values, tags, words, filters))


if __name__ == "__main__":
    main()
