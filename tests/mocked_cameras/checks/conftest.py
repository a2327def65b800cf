"""Checks of the desk tool and the Python package against mocked cameras.

Run inside the testbed (tests/mocked_cameras/testbed.py) with every fixture:
  VELMORA_MOCK_TOOL        the velmora-stereo to run (with no option it must
                           reach the cameras through the uvcvideo library)
  VELMORA_MOCK_TOOL_PRELOAD  a camera library to preload into the tool
  VELMORA_UVC_STEREO_LIBRARY  the C library the Python package loads
"""
from __future__ import annotations

import os
import subprocess
import sys
from typing import List

import pytest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from control import CONTROL_VARIABLE, MockControl  # noqa: E402

if not os.environ.get(CONTROL_VARIABLE):
    pytest.skip("needs the mocked cameras (tests/mocked_cameras/testbed.py)", allow_module_level=True)


@pytest.fixture(scope="session")
def mock() -> MockControl:
    return MockControl()


@pytest.fixture(scope="session")
def tool() -> "Tool":
    return Tool(os.environ["VELMORA_MOCK_TOOL"])


class Tool:
    """Runs the tool; VELMORA_MOCK_TOOL_PRELOAD (a camera library) is preloaded
    into it alone, after umockdev's preload, which must stay first."""

    def __init__(self, program: str) -> None:
        self.program = program
        self.environment = dict(os.environ)
        extra = self.environment.pop("VELMORA_MOCK_TOOL_PRELOAD", "")
        if extra:
            self.environment["LD_PRELOAD"] = " ".join(filter(None, [os.environ.get("LD_PRELOAD", ""), extra]))

    def __call__(self, *args: str) -> subprocess.CompletedProcess:
        return subprocess.run([self.program, *args], capture_output=True, text=True, timeout=120,
                              env=self.environment)
