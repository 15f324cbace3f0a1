#!/usr/bin/env python3
"""Reads tab-separated text as Python's csv module reads it (the excel-tab dialect) and writes
each row as one line of its cells in hexadecimal ("-" for an empty cell), blank-separated."""
import csv
import sys

with open(sys.argv[1], newline="", encoding="utf-8") as f, open(sys.argv[2], "w") as out:
    for row in csv.reader(f, dialect="excel-tab"):
        out.write(" ".join(c.encode("utf-8").hex() or "-" for c in row) + "\n")
