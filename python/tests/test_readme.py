"""The package page's examples run as written, against the virtual cameras."""
from __future__ import annotations

import re

import pytest

from conftest import REPOSITORY

PAGE = (REPOSITORY / "python" / "README.md").read_text(encoding="utf-8")
# The complete programs: those that import the package themselves (the
# Windows one needs Windows, the pytest one is a test file).
PROGRAMS = [block for block in re.findall(r"```python\n(.*?)```", PAGE, re.S)
            if block.startswith("import") and "add_dll_directory" not in block and "pytest" not in block]


def test_the_page_has_its_examples():
    assert len(PROGRAMS) == 2


@pytest.mark.parametrize("program", PROGRAMS, ids=["quick-start", "imu"])
def test_example_runs(virtual_cameras, program):
    pytest.importorskip("numpy")
    exec(compile(program, "README.md", "exec"), {"__name__": "readme"})
