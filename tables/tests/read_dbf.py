#!/usr/bin/env python3
"""Prints what dbfread sees in a dBASE file, one line per item, for the interop test."""
import sys

import dbfread

path = sys.argv[1]
raw = dbfread.DBF(path, raw=True, load=True)
print("count", len(raw.records))
for f in raw.fields:
    print("field", f.name, f.type, f.length, f.decimal_count)
for rec in raw.records:
    print("record", "".join(v.hex() for v in rec.values()))
# Typed values of the numeric and date fields.
typed = dbfread.DBF(path, load=True, char_decode_errors="replace")
for rec in typed.records:
    vals = []
    for f in typed.fields:
        if f.type in "ND":
            v = rec[f.name]
            vals.append("%s=%s" % (f.name, v.isoformat() if hasattr(v, "isoformat") else v))
    print("typed", " ".join(vals))
