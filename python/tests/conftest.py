"""Shared helpers of the binding tests: demo models made by the command-line tool and record
bytes built here from the record layouts, never by the module under test."""
import os
import struct
import subprocess

import pytest

TOOL = os.environ.get("QELDB_TOOL", "qeldb")


def stamp(major, minor, patch):
    return major << 16 | minor << 8 | patch


def golden_records(count, size, stamp_offset=-1, stamp_value=0, seed=1):
    """count records of size bytes: a byte pattern that differs per record and per offset, with
    the 32-bit little-endian stamp at stamp_offset when there is one."""
    out = bytearray()
    for i in range(count):
        rec = bytearray((seed * 131 + i * 17 + j * 7) & 0xFF for j in range(size))
        if stamp_offset >= 0:
            rec[stamp_offset:stamp_offset + 4] = struct.pack("<I", stamp_value)
        out += rec
    return bytes(out)


def run_tool(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True, check=False)


@pytest.fixture
def model(tmp_path):
    """The base path of a new model: a master data file from `qeldb new`, no record file yet."""
    base = str(tmp_path / "tower")
    r = run_tool("new", base)
    assert r.returncode == 0, r.stderr
    return base


def file_bytes(*paths):
    """The bytes of each file, to show that a call left them as they were."""
    out = []
    for p in paths:
        with open(p, "rb") as f:
            out.append(f.read())
    return out


@pytest.fixture
def old_demo(tmp_path):
    """A complete synthetic model whose beams are in the 14.5.0 layout, from `qeldb demo-model`."""
    base = str(tmp_path / "old")
    r = run_tool("demo-model", "--stories", "3", "--beams-per-story", "4", "--beam-stamp", "14.5.0",
                 base)
    assert r.returncode == 0, r.stderr
    return base
