"""pytest plugin: the virtual_cameras fixture and the virtual_scenario marker."""
from __future__ import annotations

from types import ModuleType
from typing import Iterator

import pytest

from . import virtual

MARKER = "virtual_scenario"


def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line(
        "markers",
        f"{MARKER}(scenario): the virtual camera scenario (a dict, JSON text or a file path) "
        "that the virtual_cameras fixture loads instead of the built-in one",
    )


@pytest.fixture
def virtual_cameras(request: pytest.FixtureRequest) -> Iterator[ModuleType]:
    """Loads the built-in virtual camera scenario, or the one the test names with
    @pytest.mark.virtual_scenario(...), yields velmora_uvc_stereo.virtual, and
    restores the built-in scenario afterwards."""
    marker = request.node.get_closest_marker(MARKER)
    if marker is not None:
        if len(marker.args) != 1:
            raise pytest.UsageError(f"@pytest.mark.{MARKER} takes one scenario")
        virtual.load_scenario(marker.args[0])
    else:
        virtual.load_default()
    try:
        yield virtual
    finally:
        virtual.load_default()
