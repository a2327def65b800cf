"""pytest plugin: the virtual_cameras fixture and the virtual_scenario marker.

It registers those two and nothing else: velmora_uvc_stereo.virtual (and with
it any library) is imported only when a test asks for the fixture.
"""
from __future__ import annotations

import importlib
import os
import pathlib
from types import ModuleType
from typing import Any, Iterator

import pytest

MARKER = "virtual_scenario"


def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line(
        "markers",
        f"{MARKER}(scenario): the virtual camera scenario (a dict, JSON text, or a file path "
        "relative to the test file) that the virtual_cameras fixture loads instead of the "
        "built-in one",
    )


def _test_directory(request: pytest.FixtureRequest) -> pathlib.Path:
    path = getattr(request.node, "path", None)  # pytest 7; fspath before
    return pathlib.Path(str(path if path is not None else request.node.fspath)).parent


def resolve_scenario(scenario: Any, directory: pathlib.Path) -> Any:
    """A relative scenario file path taken from the test's folder; dicts, JSON text
    and absolute paths as they are."""
    if isinstance(scenario, str) and scenario.lstrip().startswith("{"):
        return scenario
    if isinstance(scenario, (str, os.PathLike)) and not os.path.isabs(scenario):
        return directory / scenario
    return scenario


@pytest.fixture
def virtual_cameras(request: pytest.FixtureRequest) -> Iterator[ModuleType]:
    """Loads the built-in virtual camera scenario, or the one the test names with
    @pytest.mark.virtual_scenario(...), yields velmora_uvc_stereo.virtual, and
    restores the built-in scenario afterwards."""
    virtual = importlib.import_module("velmora_uvc_stereo.virtual")
    marker = request.node.get_closest_marker(MARKER)
    if marker is not None:
        if len(marker.args) != 1:
            raise pytest.UsageError(f"@pytest.mark.{MARKER} takes one scenario")
        virtual.load_scenario(resolve_scenario(marker.args[0], _test_directory(request)))
    else:
        virtual.load_default()
    try:
        yield virtual
    finally:
        virtual.load_default()
