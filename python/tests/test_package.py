"""What an installed package must carry: its version, its type marker, its public names."""
from __future__ import annotations

import importlib.metadata
import pathlib
import re

import pytest

import velmora_uvc_stereo as uvc
from conftest import REPOSITORY
from velmora_uvc_stereo import _bundle


def test_version_is_the_distributions_and_the_sdks():
    assert uvc.__version__ == importlib.metadata.version("velmora-uvc-stereo")
    cmake = (REPOSITORY / "CMakeLists.txt").read_text()
    assert re.search(r"project\(velmora_uvc_stereo_sdk VERSION ([\d.]+)", cmake).group(1) == uvc.__version__


def test_type_marker_is_installed():
    assert (pathlib.Path(uvc.__file__).parent / "py.typed").is_file()


def test_plugin_is_registered_for_pytest():
    entry_points = importlib.metadata.entry_points()
    plugins = entry_points.select(group="pytest11") if hasattr(entry_points, "select") \
        else entry_points.get("pytest11", [])
    assert "velmora_uvc_stereo.pytest_plugin" in [plugin.value for plugin in plugins]


def test_public_names():
    names = {"__version__", "ErrorCode", "VelmoraError", "OpenCvBackend", "scan", "DeviceInfo",
             "open_device", "Device", "CapabilityInfo", "CapabilityReport", "FlashSection",
             "ImuSection", "JsonDocument", "ImuSample", "ImuValues", "ImuConversion", "convert_imu",
             "virtual"}
    assert names <= set(uvc.__all__) and all(hasattr(uvc, name) for name in uvc.__all__)


def test_opencv_backends_are_opencvs_numbers():
    assert {b.name: b.value for b in uvc.OpenCvBackend} == {
        "CAP_V4L2": 200, "CAP_DSHOW": 700, "CAP_MSMF": 1400, "CAP_GSTREAMER": 1800}
    cv2 = pytest.importorskip("cv2")
    assert all(getattr(cv2, b.name) == b.value for b in uvc.OpenCvBackend)


def test_runs_from_the_installed_wheel(request):
    if not request.config.getoption("--installed-wheel"):
        pytest.skip("runs with --installed-wheel")
    package = pathlib.Path(uvc.__file__).resolve().parent  # the loader reports resolved paths
    assert REPOSITORY / "python" not in package.parents
    loaded = uvc.loaded_libraries()
    layout = _bundle.layout()
    assert (loaded.sdk, loaded.camera) == (
        str(package / "_lib" / layout.sdk), str(package / "_lib" / "virtual" / layout.camera))
    assert (package / "_lib" / layout.camera).is_file() == layout.bundles_default_camera
