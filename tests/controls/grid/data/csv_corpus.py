#!/usr/bin/env python3
"""Writes CSV files with Python's csv.writer and, beside each, what csv.reader reads back
(the reference the grid's import is checked against).

    csv_corpus.py OUTDIR

For each case NAME: NAME.csv and NAME.expected, one line per record, each field as hex of
its UTF-8 bytes, fields separated by one blank ("-" for an empty field, nothing for a
record without fields). The first line of NAME.expected is the delimiter as hex.
"""
import csv
import io
import os
import random
import sys

WORDS = ["alpha", "Käse", "naïve", "a,b", "semi;colon", "tab\there", "pipe|x", 'say "hi"', '"',
         "two\nlines", "cr\r\nlf", "", "  spaced  ", "12", "-3.5", "2024-01-05", "€uro", "x~y", "end\r"]


def rows(rng, n, cols, words):
    return [[rng.choice(words) for _ in range(cols)] for _ in range(n)]


def write(outdir, name, data, delimiter, quoting, encoding="utf-8", terminator="\r\n", final=True):
    buf = io.StringIO(newline="")
    w = csv.writer(buf, delimiter=delimiter, quoting=quoting, lineterminator=terminator)
    w.writerows(data)
    text = buf.getvalue()
    if not final and text.endswith(terminator):
        text = text[: -len(terminator)]
    raw = text.encode(encoding)
    with open(os.path.join(outdir, name + ".csv"), "wb") as f:
        f.write(raw)
    back = list(csv.reader(io.StringIO(raw.decode(encoding), newline=""), delimiter=delimiter))
    with open(os.path.join(outdir, name + ".expected"), "w") as f:
        f.write(delimiter.encode().hex() + "\n")
        for rec in back:
            f.write(" ".join(x.encode("utf-8").hex() or "-" for x in rec) + "\n")


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    rng = random.Random(27)
    cp1252 = [w for w in WORDS if w.replace("€", "").isascii() or all(ord(c) < 256 for c in w.replace("€", ""))]
    for delim, tag in ((",", "comma"), (";", "semicolon"), ("\t", "tab"), ("|", "pipe")):
        for quoting, qtag in ((csv.QUOTE_MINIMAL, "minimal"), (csv.QUOTE_ALL, "all")):
            write(outdir, f"{tag}_{qtag}", rows(rng, 60, 5, WORDS), delim, quoting)
    write(outdir, "lf_no_final_newline", rows(rng, 30, 4, WORDS), ",", csv.QUOTE_MINIMAL, terminator="\n", final=False)
    write(outdir, "bom", rows(rng, 20, 3, WORDS), ",", csv.QUOTE_MINIMAL, encoding="utf-8-sig")
    write(outdir, "windows1252", rows(rng, 40, 4, cp1252), ";", csv.QUOTE_MINIMAL, encoding="cp1252")
    write(outdir, "empty_fields", [["", "", ""], ["a", "", ""], ["", "", "z"]], ",", csv.QUOTE_MINIMAL)
    write(outdir, "ragged", [["1"], ["1", "2", "3"], [], ["x", "y"]], ",", csv.QUOTE_MINIMAL)


if __name__ == "__main__":
    main()
