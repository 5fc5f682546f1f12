"""Master data by archive name, stories, members and upgrades: what the command-line tool shows,
and models left untouched by reading."""
import glob
import json
import struct
import warnings

import numpy as np
import pytest

import qeldbio
from conftest import file_bytes, run_tool, stamp


def tool_json(*args):
    r = run_tool(*args, "--json")
    assert r.returncode in (0, 3), r.stderr
    return json.loads(r.stdout)


def test_master_data_by_archive_name(model):
    m = qeldbio.Model(model)
    for name in ("Units", "JobName", "JoistCriteria.DefLoad.UniLoad.Type", "JoistCriteria"):
        assert m.mdf[name] == tool_json("mdf", model, "--field", name)[name], name
    assert "Units" in m.mdf and "NoSuchField" not in m.mdf
    assert list(m.mdf)[:len(m.mdf.keys())] == m.mdf.keys() and len(m.mdf) == len(m.mdf.keys())

    m.mdf["Units"] = 1
    m.mdf["JobName"] = "Tower B"
    m.mdf["JoistCriteria.DefLoad.UniLoad.Type"] = np.int32(2)
    m.save_mdf()
    shown = tool_json("mdf", model, "--field", "Units", "--field", "JobName", "--field",
                      "JoistCriteria.DefLoad.UniLoad.Type")
    assert shown == {"Units": 1, "JobName": "Tower B", "JoistCriteria.DefLoad.UniLoad.Type": 2}
    assert qeldbio.Model(model).mdf["JobName"] == "Tower B"

    with pytest.raises(KeyError, match="Nope"):
        m.mdf["Nope"]
    with pytest.raises(KeyError):
        m.mdf["Nope"] = 1
    for name, value in (("Units", "metric"), ("Units", 2**40), ("Units", 1.5), ("Units", None),
                        ("JobName", "x" * 1000), ("JoistCriteria", 1)):
        with pytest.raises(ValueError):
            m.mdf[name] = value
    assert m.mdf["Units"] == 1 and m.mdf["JobName"] == "Tower B"  # refusals changed nothing


def test_array_fields_take_sequences(model):
    m = qeldbio.Model(model)
    layout = tool_json("mdf", model)["fields"]
    name = next(k for k, v in layout.items()
                if isinstance(v, list) and v and all(isinstance(x, (int, float)) for x in v))
    values = [i + 1 for i in range(len(layout[name]))]
    m.mdf[name] = np.array(values)
    assert m.mdf[name] == values
    with pytest.raises(ValueError):
        m.mdf[name] = values[:-1]
    with pytest.raises(ValueError):
        m.mdf[name] = ["a"] * len(values)


def test_stories_and_members_match_the_command_line_and_leave_the_model(old_demo):
    files = sorted(glob.glob(old_demo + ".*"))
    before = file_bytes(*files)
    m = qeldbio.Model(old_demo)
    assert m.stories() == tool_json("stories", old_demo)
    for kind in ("beams", "columns", "walls"):
        assert m.members(kind) == tool_json("members", old_demo, kind), kind
        assert m.members(kind, 2) == tool_json("members", old_demo, kind, "--story", "2"), kind
    # The 14.5.0 beams come back converted, records as the reader gives them.
    beams = m.read("b3d")
    assert len(beams) == len(m.members("beams")) == 12
    assert (beams["stamp"] == stamp(17, 1, 0)).all()
    assert m.read("b3d", 10).tobytes() == beams[10:].tobytes()
    assert file_bytes(*files) == before  # nothing was written
    assert sorted(glob.glob(old_demo + ".*")) == files

    with pytest.raises(ValueError, match="no story 3"):
        m.members("walls", 3)
    with pytest.raises(ValueError, match="girders"):
        m.members("girders")
    with pytest.raises(IndexError):
        m.members("beams", -1)


def test_damage_shows_as_warnings(old_demo):
    # Story 0 claims more beams than the table holds: its beam count is at byte 48 of the record.
    with open(old_demo + ".sty", "r+b") as f:
        f.seek(48)
        f.write(struct.pack("<i", 1000))
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        assert qeldbio.Model(old_demo).stories()[0]["beams"] == 1000
    assert any("story 0: its beams" in str(w.message) for w in caught)


def test_upgrade_converts_on_disk_as_the_command_does(old_demo, tmp_path):
    twin = str(tmp_path / "twin")
    for f in glob.glob(old_demo + ".*"):
        with open(f, "rb") as src, open(twin + f[len(old_demo):], "wb") as dst:
            dst.write(src.read())
    m = qeldbio.Model(old_demo)
    before = file_bytes(old_demo + ".b3d")
    dry = m.upgrade(dry_run=True)
    assert file_bytes(old_demo + ".b3d") == before
    rows = m.upgrade()
    assert rows == dry == tool_json("upgrade", twin)
    assert {"ext": "b3d", "from": "14.5.0", "to": "17.1.0", "records": 12} in rows
    assert file_bytes(old_demo + ".b3d.bak") == before
    assert file_bytes(old_demo + ".b3d") == file_bytes(twin + ".b3d")
    again = {r["ext"]: r for r in m.upgrade()}
    assert again["b3d"] == {"ext": "b3d", "from": "17.1.0", "to": "17.1.0", "records": 12}


def test_an_old_deck_table_is_upgraded(model):
    # Decks before 13.1.0: 36-byte records, no stamp; since then 40 bytes with the stamp at 32.
    old = b"".join(bytes((r * 7 + i) & 0xFF for i in range(32)) + b"\0" * 4 for r in range(3))
    with open(model + ".dec", "wb") as f:
        f.write(old)
    m = qeldbio.Model(model)
    decks = m.read("dec")  # converted in memory
    assert file_bytes(model + ".dec") == [old]
    assert decks.dtype.itemsize == 40 and (decks["stamp"] == stamp(13, 1, 0)).all()
    assert [d.tobytes()[:32] for d in decks] == [old[36 * r:36 * r + 32] for r in range(3)]
    assert m.upgrade() == [{"ext": "dec", "from": "0.0.0", "to": "13.1.0", "records": 3}]
    assert file_bytes(model + ".dec") == [decks.tobytes()]


def test_upgrade_failures_raise(model, tmp_path):
    orphan = str(tmp_path / "orphan")
    with open(orphan + ".c3d", "wb"):
        pass
    with pytest.raises(FileNotFoundError, match="no master data file"):
        qeldbio.Model(orphan).upgrade()
    with open(model + ".b3d", "wb") as f:
        f.write(struct.pack("<I", stamp(14, 5, 0)) + b"\1" * 99)  # no whole record
    with pytest.raises(ValueError, match=r"tower\.b3d: .*no whole number"):
        qeldbio.Model(model).upgrade()


def test_typed_members_agree_with_the_rows(old_demo):
    m = qeldbio.Model(old_demo)
    beams, rows = m.read("b3d"), m.members("beams")
    assert [list(p) for p in beams["ptJEnd"]] == [r["j_end"] for r in rows]
    assert [list(p) for p in beams["ptJLink"]] == [r["j_link"] for r in rows]
    walls = m.read("w3d")
    assert list(walls["nWallType"]) == [r["wall_type"] for r in m.members("walls")]


def test_typed_stories_floor_types_and_criteria_agree_with_the_command_line(old_demo):
    m = qeldbio.Model(old_demo)
    stories, rows = m.read("sty"), m.stories()
    for field, key in (("nFlrType", "floor_type"), ("fElevation", "elevation"),
                       ("nNumBeams", "beams"), ("nNumBraces", "braces"),
                       ("nFirstBeam", "first_beam"), ("nFirstWall", "first_wall"),
                       ("nFirstBrace", "first_brace")):
        assert list(stories[field]) == [r[key] for r in rows], field
    # A floor type counts the members of the stories that use it; the demo gives each story its own.
    floors = m.read("flt")
    assert list(floors["nNumBeams"]) == [r["beams"] for r in rows]
    assert list(floors["nFirstColumn"]) == [r["first_column"] for r in rows]

    for ext, flag in (("sdc", []), ("cdc", ["--concrete"])):
        crit, shown = m.read(ext), tool_json("deflcrit", old_demo, *flag)
        assert [n.decode() for n in crit["szName"]] == [c["name"] for c in shown], ext
        assert list(crit["Ratio.dLiveL" if flag else "Ratio.NonCmp.dLiveL"]) == [
            c["ratio"]["LiveL"] if flag else c["ratio"]["NonCmp"]["LiveL"] for c in shown], ext
        assert list(crit["Abs.dNet" if flag else "Abs.CmpShored.dNet"]) == [
            c["abs"]["Net"] if flag else c["abs"]["CmpShored"]["Net"] for c in shown], ext
