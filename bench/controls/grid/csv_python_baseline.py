#!/usr/bin/env python3
"""Python's csv.reader building lists from one CSV file, as bench_extgrid_csv's comparison with
Python runs it: the whole file read, every field of every record kept (in lists). Prints the CPU
time of the read in milliseconds (the interpreter's start not counted).

usage: csv_python_baseline.py FILE"""
import csv
import sys
import time

if len(sys.argv) != 2:
    sys.exit(__doc__)
t = time.process_time()
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
print(f"{(time.process_time() - t) * 1000:.1f}")
