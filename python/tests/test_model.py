import fcntl
import json
import struct

import numpy as np
import pytest

import qeldbio
from conftest import golden_records, run_tool, stamp

# Layout facts of three tables: record size, stamp offset, current stamp.
BEAMS = ("b3d", 1312, 0, stamp(17, 1, 0))
COLUMNS = ("c3d", 1072, 596, stamp(17, 3, 0))
STORIES = ("sty", 336, -1, 0)


def put(base, table, data):
    with open(f"{base}.{table[0]}", "wb") as f:
        f.write(data)


def test_dtypes_follow_the_layouts(model):
    m = qeldbio.Model(model)
    for ext, size, off, _ in (BEAMS, COLUMNS, STORIES, ("w3d", 584, 188, 0), ("sdc", 192, 0, 0)):
        dt = m.dtype(ext)
        assert dt.itemsize == size, ext
        # Every byte belongs to exactly one field.
        covered = np.zeros(size, dtype=int)
        for name, (fdt, foff) in dt.fields.items():
            covered[foff:foff + fdt.itemsize] += 1
        assert (covered == 1).all(), ext
        if off >= 0:
            assert dt.fields["stamp"] == (np.dtype("<u4"), off), ext
        else:
            assert "stamp" not in dt.fields
    with pytest.raises(ValueError, match="extension 'xyz'"):
        m.dtype("xyz")


def test_read_gives_the_file_bytes(model):
    m = qeldbio.Model(model)
    ext, size, off, current = COLUMNS
    data = golden_records(5, size, off, current)
    put(model, COLUMNS, data)
    a = m.read(ext)
    assert a.shape == (5,) and a.dtype == m.dtype(ext)
    assert a.tobytes() == data
    assert (a["stamp"] == current).all()
    # The opaque bytes between the plan point (16 bytes at 0) and the top offset (at 480) are
    # the file's, record by record.
    assert a["_bytes_16"][3].tobytes() == data[3 * size + 16:3 * size + 480]
    part = m.read(ext, start=2, count=2)
    assert part.tobytes() == data[2 * size:4 * size]
    assert m.read(ext, start=5).shape == (0,)
    with pytest.raises(IndexError):
        m.read(ext, start=6)
    with pytest.raises(IndexError):
        m.read(ext, start=1, count=5)
    with pytest.raises(IndexError):
        m.read(ext, start=-1)
    with pytest.raises(IndexError):
        m.read(ext, count=10**12)  # refused before anything is allocated
    with pytest.raises(TypeError):
        m.read(ext, count=10**30)


def test_tables_match_the_command_line(model):
    put(model, COLUMNS, golden_records(2, COLUMNS[1], COLUMNS[2], COLUMNS[3]))
    put(model, STORIES, golden_records(3, 336))
    put(model, ("w3d",), b"\0" * 100)  # misaligned
    r = run_tool("tables", "--json", model)
    assert r.returncode == 0, r.stderr
    expected = json.loads(r.stdout)
    assert qeldbio.Model(model).tables() == expected
    # Any file of the model names it, as on the command line.
    assert qeldbio.Model(model + ".c3d").tables() == expected
    assert [t["ext"] for t in expected] == ["sty", "c3d", "w3d"]


def test_errors_carry_the_reason(model, tmp_path):
    m = qeldbio.Model(model)
    with pytest.raises(FileNotFoundError, match=r"tower\.b3d"):
        m.read("b3d")
    put(model, STORIES, b"\1" * 335)
    with pytest.raises(ValueError, match="336-byte records"):
        m.read("sty")
    # Beams of an older layout need the beam reader's conversion, never a raw reinterpretation.
    put(model, BEAMS, golden_records(2, 1200, 0, stamp(14, 4, 0)))
    with pytest.raises(ValueError, match="14.4.0"):
        m.read("b3d")
    # A writer elsewhere holds the file: a sharing violation.
    put(model, COLUMNS, golden_records(1, COLUMNS[1], COLUMNS[2], COLUMNS[3]))
    column = np.zeros(1, m.dtype("c3d"))
    column["stamp"] = COLUMNS[3]
    with open(f"{model}.c3d", "r+b") as held:
        fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
        with pytest.raises(PermissionError, match="in use"):
            m.read("c3d")
        with pytest.raises(PermissionError):
            m.write("c3d", column)
    with pytest.raises(FileNotFoundError, match="no model named"):
        qeldbio.Model(str(tmp_path / "absent"))
    (tmp_path / "junk.qel").write_bytes(b"<?xml nonsense")
    with pytest.raises(ValueError):
        qeldbio.Model(str(tmp_path / "junk"))


def test_write_round_trip_and_refusals(model):
    m = qeldbio.Model(str(model) + ".qel")  # the master data file names the model too
    assert m.name == model
    ext, size, off, current = BEAMS
    data = golden_records(4, size, off, current, seed=9)
    a = np.frombuffer(data, dtype=m.dtype(ext)).copy()
    m.write(ext, a[::-1])  # a strided view is written in its own order
    with open(f"{model}.b3d", "rb") as f:
        written = f.read()
    assert written == b"".join(data[i * size:(i + 1) * size] for i in (3, 2, 1, 0))
    assert m.read(ext).tobytes() == written

    before = written
    bad = a.copy()
    bad["stamp"][2] = stamp(14, 4, 0)
    with pytest.raises(ValueError, match="record 2 carries stamp 14.4.0"):
        m.write(ext, bad)
    with pytest.raises(ValueError, match="dtype"):
        m.write(ext, np.zeros(4, dtype=m.dtype("c3d")))
    with pytest.raises(ValueError, match="dtype"):
        m.write(ext, np.zeros((4, size), dtype=np.uint8))
    with pytest.raises(ValueError, match="one-dimensional"):
        m.write(ext, a.reshape(2, 2))
    with pytest.raises(ValueError, match="dtype"):
        m.write(ext, np.array([object()] * 4))
    with pytest.raises(ValueError, match="read only"):
        m.write("gri", np.zeros(1, dtype=m.dtype("gri")))
    with open(f"{model}.b3d", "rb") as f:
        assert f.read() == before  # nothing refused touched the file


def test_typed_fields_sit_at_their_offsets(model):
    m = qeldbio.Model(model)
    # A beam built from its layout: stamp at 0, I end (two doubles) at 8, support span (float)
    # at 232, J link (three doubles) at 1104, J link flag (int) at 1132, I end elevation at 1136.
    beam = bytearray(golden_records(1, BEAMS[1], BEAMS[2], BEAMS[3]))
    struct.pack_into("<2d", beam, 8, 1.5, -2.25)
    struct.pack_into("<f", beam, 232, 290.5)
    struct.pack_into("<3d", beam, 1104, 4.0, 5.0, 6.0)
    struct.pack_into("<i", beam, 1132, -7)
    struct.pack_into("<d", beam, 1136, 157.25)
    put(model, BEAMS, bytes(beam))
    b = m.read("b3d")[0]
    assert list(b["ptIEnd"]) == [1.5, -2.25] and b["fSupportSpan"] == np.float32(290.5)
    assert list(b["ptJLink"]) == [4.0, 5.0, 6.0] and b["bJLink"] == -7
    assert b["dIEndElevation"] == 157.25 and b["stamp"] == BEAMS[3]
    assert "dwVersion" not in m.dtype("b3d").names  # the stamp has one name
    # A composite deck property: name text at 68, stamp at 108, factors (six doubles) at 256.
    prop = bytearray(368)
    prop[68:68 + 10] = b"Deck 3-20\0"
    struct.pack_into("<I", prop, 108, stamp(15, 5, 0))
    struct.pack_into("<6d", prop, 256, *range(6))
    p = np.frombuffer(bytes(prop), dtype=m.dtype("dpt"))[0]
    assert p["szName"] == b"Deck 3-20" and list(p["adFactor"]) == list(range(6))
    assert m.dtype("w3d").fields["nWallType"] == (np.dtype("<i4"), 460)
