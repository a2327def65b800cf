"""Fixtures shared by the package's tests: the repository, opened cameras, scenarios."""
from __future__ import annotations

import pathlib
from typing import Iterator

import pytest

import velmora_uvc_stereo as uvc

pytest_plugins = ["pytester"]

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture
def repository() -> pathlib.Path:
    return REPOSITORY


@pytest.fixture
def cameras(virtual_cameras) -> list:
    """The scanned cameras of the test's scenario."""
    return uvc.scan()


@pytest.fixture
def camera(cameras) -> Iterator[uvc.Device]:
    """The first camera of the scenario, open; closed after the test."""
    with uvc.open_device(cameras[0]) as device:
        yield device
