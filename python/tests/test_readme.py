"""The README's Python example runs as written, on a model made by the command-line tool."""
import os
import re

from conftest import run_tool


def test_readme_example(tmp_path, monkeypatch, capsys):
    readme = os.path.join(os.environ.get("QELDB_SOURCE_DIR", "."), "README.md")
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    section = text[text.index("\n## Python\n"):]
    section = section[:section.index("\n## ", 1)]
    code = re.search(r"```python\n(.*?)```", section, re.S).group(1)
    monkeypatch.chdir(tmp_path)
    assert run_tool("new", "tower").returncode == 0
    exec(compile(code, "README.md", "exec"), {})
    out = capsys.readouterr().out
    assert "'ext': 'b3d', 'bytes': 3936, 'records': 3, 'stamp': '17.1.0'" in out
    assert "[1 0]" in out
    assert "\nTower B\n" in out
