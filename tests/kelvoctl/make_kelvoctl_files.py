#!/usr/bin/env python3
"""Writes Kelvo data files and a translation file for the kelvoctl tests.

Independent of the program: every record is put together byte by byte from
the line record layout (three little-endian 16-bit words, the caption and a
zero byte, then the value for the kind in bits 8..11 of the second word).
Texts are CP850, translation lines end in CR LF.
"""
import os
import struct
import sys

LONG, DOUBLE, CHOICE, TEXT, LABEL = 0x000, 0x100, 0x200, 0x300, 0xF00
SEPARATOR, PRODUCTION_ONLY = 0x0080, 0x0020
COUNT_LINE, MEMBER = 0x0400, 0x0800


def cp850(text):
    return text.encode("cp850")


def record(address, flags, layout, caption, value=b""):
    return struct.pack("<HHH", address, flags, layout) + cp850(caption) + b"\0" + value


def long_value(v):
    return struct.pack("<i", v)


def double_value(v):
    return struct.pack("<d", v)


def text_value(t):
    return cp850(t) + b"\0"


def choice_value(index, choices):
    return struct.pack("<H", index) + b"".join(cp850(c) + b"\0" for c in choices) + b"\0"


def dialog():
    return b"".join([
        record(0x10, LABEL, 0, "Gerät"),
        record(0x11, LONG | 0x0001, 0, "Temperatur", long_value(21)),
        record(0x12, CHOICE | SEPARATOR, 0, "Mode", choice_value(1, ["Off", "On"])),
        record(0x13, TEXT | PRODUCTION_ONLY | 0x0001, 0, "Serial", text_value("Nº 7")),
        record(0x14, DOUBLE | 0x0005, 0, "Offset", double_value(0.5)),
        record(0x20, LONG, COUNT_LINE, "Alarms", long_value(2)),
        record(0x21, LONG, MEMBER, "Alarm %d{1+i}", long_value(7)),
    ])


TRANSLATIONS = [
    ("T", "Gerät", "Appareil"),
    ("T", "Temperatur", "Température"),
    ("T", "Mode", "Modus"),
    ("C", "|Off|On", "|Arrêt|Marche"),
    ("T", "Serial", "Numéro"),
    ("T", "Offset", "Décalage"),
    ("T", "Alarms", "Alarmes"),
    ("T", "Alarm %d{1+i}", "Alarme %d{1+i}"),
]


def translation_file():
    lines = ["; written by the test", "[Français]", ""]
    for category, source, translation in TRANSLATIONS:
        lines += [category, '"%s"' % source, "=", '"%s"' % translation, ""]
    return cp850("\r\n".join(lines) + "\r\n")


def main(directory):
    os.makedirs(os.path.join(directory, "lang"), exist_ok=True)
    files = {
        "dialog.dat": dialog(),
        "dialog.kelvo": dialog(),
        "empty.dat": b"",
        # Two whole records and the start of a third.
        "truncated.dat": record(1, LONG, 0, "One", long_value(1))
        + record(2, LONG, 0, "Two", long_value(2))
        + record(3, LONG, 0, "Three", long_value(3))[:-2],
        # Kind 4 has no value class: nothing readable.
        "unreadable.dat": record(1, 0x400, 0, "Odd") + record(2, LONG, 0, "Two", long_value(2)),
        # The second instance of the group is one line shorter than the first.
        "badgroup.dat": record(1, LONG, COUNT_LINE, "N", long_value(2))
        + record(2, LONG, MEMBER, "A", long_value(0))
        + record(3, LONG, MEMBER, "B", long_value(0))
        + record(2, LONG, MEMBER, "A", long_value(0)),
        os.path.join("lang", "kelvo.lng"): translation_file(),
    }
    for name, data in files.items():
        with open(os.path.join(directory, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
