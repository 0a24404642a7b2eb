#!/usr/bin/env python3
"""Writes data/kelvo.lng: the English and German texts of the virtual device's
built-in two-channel transmitter dialog, in CP850 with CR LF line ends.

Run it again after the demonstration dialog's captions or choices change:
    python3 translations/make_demo_translations.py data/kelvo.lng
"""
import sys

# (category, source, German); the English paragraph keeps every text as it is
# (an empty translation shows the source text) except those in ENGLISH.
ENTRIES = [
    ("T", "KT-200 two-channel transmitter", "KT-200 Zweikanal-Messumformer"),
    ("T", "Programmname", ""),
    ("T", "Device tag", "Messstellenname"),
    ("T", "Serial number", "Seriennummer"),
    ("T", "Temperature unit", "Temperatureinheit"),
    ("C", "|Celsius|Fahrenheit|Kelvin", ""),
    ("T", "Channel 1", "Kanal 1"),
    ("T", "Measured value", "Messwert"),
    ("T", "Sensor type", "Fühlertyp"),
    ("C", "|Pt100|Pt1000|Thermocouple K|0-10 V|4-20 mA", "|Pt100|Pt1000|Thermoelement K|0-10 V|4-20 mA"),
    ("T", "Range start", "Messbereichsanfang"),
    ("T", "Range end", "Messbereichsende"),
    ("T", "Filter time [ms]", "Filterzeit [ms]"),
    ("T", "Calibration offset", "Kalibrierkorrektur"),
    ("T", "Channel 2", "Kanal 2"),
    ("C", "|Off|On", "|Aus|Ein"),
    ("T", "Alarm limits", "Grenzwerte"),
    ("T", "Alarm %d{1+i}", "Grenzwert %d{1+i}"),
    ("T", "Setpoint", "Schaltpunkt"),
    ("T", "Source", "Quelle"),
    ("C", "|Channel 1|Channel 2", "|Kanal 1|Kanal 2"),
    ("T", "Direction", "Richtung"),
    ("C", "|High|Low", "|Überschreitung|Unterschreitung"),
    ("T", "Relay K%d{1+i} delay [s]", "Relais K%d{1+i} Verzögerung [s]"),
    ("T", "Communication", "Kommunikation"),
    ("T", "Bus address %d{v} (0x%02X{v})", "Busadresse %d{v} (0x%02X{v})"),
    ("T", "Baud rate", "Baudrate"),
    ("C", "|9600|19200|38400|115200", ""),
    ("T", "Service", ""),
    ("T", "Operating hours", "Betriebsstunden"),
    ("T", "Last calibration", "Letzte Kalibrierung"),
    ("T", "Production code", "Fertigungscode"),
    ("T", "Display contrast", "Anzeigekontrast"),
]

# The device program's name line keeps its German caption on the device: old
# data are recognised by it.
ENGLISH = {("T", "Programmname"): "Program name"}

MAX_TEXT = 60  # a long text is split over several quoted lines


def quoted_lines(text):
    if not text:
        return ['""']
    return ['"%s"' % text[i:i + MAX_TEXT] for i in range(0, len(text), MAX_TEXT)]


def paragraph(name, german):
    lines = ["[%s]" % name, ""]
    for category, source, translation in ENTRIES:
        lines.append(category)
        lines += quoted_lines(source)
        lines.append("=")
        if not german:
            translation = ENGLISH.get((category, source), "")
        lines += quoted_lines(translation)
        lines.append("")
    return lines


def main():
    lines = ["; KT-200 two-channel transmitter: captions and choice lists",
             "; Each entry: category (T caption, C choice list), source lines,",
             "; \"=\", translation lines; \"\" keeps the source text.",
             ""]
    lines += paragraph("English", False)
    lines += paragraph("Deutsch", True)
    for line in lines:
        assert len(line.encode("cp850")) <= 120, line
    data = "".join(line + "\r\n" for line in lines).encode("cp850")
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
