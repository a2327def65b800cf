"""Fixtures shared by the package's tests: the repository, opened cameras, scenarios."""
from __future__ import annotations

import pathlib
from typing import Iterator

import pytest

import velmora_uvc_stereo as uvc

pytest_plugins = ["pytester"]

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]


def pytest_addoption(parser: pytest.Parser) -> None:
    parser.addoption("--installed-wheel", action="store_true",
                     help="the package under test is a platform wheel installed into this interpreter")


def pytest_sessionstart(session: pytest.Session) -> None:
    # These tests drive the virtual camera: it becomes the camera library the
    # SDK runs against before any test can load the SDK with the default one.
    uvc.virtual.init_depth()


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
