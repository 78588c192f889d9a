#!/usr/bin/env python3
"""Prints what dbfread sees in the two tables of a person base, one line per item."""
import sys

import dbfread

folder = sys.argv[1]
for table in ("Users.Dbf", "Faces.Dbf"):
    path = folder + "/" + table
    raw = dbfread.DBF(path, raw=True, load=True)
    typed = dbfread.DBF(path, load=True, encoding="latin1")
    print(table, "records", len(raw.records), "deleted", len(raw.deleted))
    for f in raw.fields:
        print("field", f.name, f.type, f.length, f.decimal_count)
    for rec, val in zip(raw.records, typed.records):
        if table == "Users.Dbf":
            print("user", rec["ID"].hex(), repr(val["USERID"]), repr(val["NAME"]),
                  repr(val["PASSWORD"]), rec["ACCESS"].hex(), val["FACES"],
                  rec["FACEREF"].hex())
        else:
            desc = b"".join(rec["FDESC_%02d" % k] for k in range(1, 14))
            print("face", rec["ID"].hex(), val["DATE"].isoformat(), val["TIME"],
                  repr(val["IMAGE"]), desc.hex())
