"""qeldbio.sections: the master steel table as a structured array."""
import json
import struct

import numpy as np
import pytest

import qeldbio
from conftest import run_tool

TABLE = ("I\n"
         "W8X10 A 7.89 0.17 3.94 0.205\n"
         "W14X22 F 13.7 0.230 5.00 0.335 5.00 0.335 0.735 0.735 6.49 199 29.0 29.0 33.2\n"
         "L\n"
         "L4X4X1/2 A 4 4 0.5\n")


def test_sections_match_the_command_line(model):
    with open(model + ".tab", "w") as f:
        f.write(TABLE)
    a = qeldbio.sections(qeldbio.Model(model))
    r = run_tool("sections", model, "--json")
    assert r.returncode == 0, r.stderr
    rows = json.loads(r.stdout)
    assert list(a.dtype.names) == list(rows[0]) and len(a) == len(rows)
    for rec, row in zip(a, rows):
        for name, value in row.items():
            got = rec[name]
            if isinstance(got, bytes):
                assert got.decode() == value, name
            else:
                assert float(np.float32(value)) == float(got), name


def test_the_dtype_follows_the_record_layout(model):
    # A record built from its layout: the name in 16 bytes at 0, the code character at 16, the
    # strong-axis moduli as float32 at 20 and 24, the shape character further on.
    with open(model + ".tab", "w") as f:
        f.write(TABLE)
    a = qeldbio.sections(qeldbio.Model(model))
    assert a.dtype.itemsize == 172
    golden = bytearray(172)
    golden[0:16] = b"W99X1".ljust(16, b"\0")
    golden[16] = ord("F")
    struct.pack_into("<ff", golden, 20, 12.5, -3.25)
    shape_at = a.dtype.fields["cShape"][1]
    golden[shape_at] = ord("I")
    rec = np.frombuffer(bytes(golden), dtype=a.dtype)[0]
    assert (rec["szName"], rec["cCode"], rec["cShape"]) == (b"W99X1", b"F", b"I")
    assert (rec["fSxTop"], rec["fSxBot"]) == (12.5, -3.25)


def test_sections_errors(model, tmp_path):
    with pytest.raises(FileNotFoundError, match=r"tower\.tab"):
        qeldbio.sections(qeldbio.Model(model))
    with pytest.raises(TypeError):
        qeldbio.sections(42)
    with pytest.raises(ValueError):
        qeldbio.sections("x" * 500)
    with pytest.raises(ValueError, match="could not be read"):
        qeldbio.sections("no-such-table")
