"""examples/python/desk_workflow.py against the virtual cameras."""
from __future__ import annotations

import importlib
import json
import sys
import types

import pytest

import velmora_uvc_stereo as uvc
from conftest import REPOSITORY
from scenarios import CAM0_SERIAL, CAM1_SERIAL


@pytest.fixture
def desk_workflow(monkeypatch) -> types.ModuleType:
    monkeypatch.syspath_prepend(str(REPOSITORY / "examples" / "python"))
    monkeypatch.delitem(sys.modules, "desk_workflow", raising=False)
    return importlib.import_module("desk_workflow")


@pytest.mark.parametrize("arguments, serial", [
    ([], CAM0_SERIAL), (["--serial", CAM1_SERIAL], CAM1_SERIAL), (["--virtual"], CAM0_SERIAL)])
def test_whole_workflow(virtual_cameras, desk_workflow, capsys, arguments, serial):
    assert desk_workflow.main(arguments) == 0
    lines = capsys.readouterr().out.splitlines()
    assert lines[0].startswith("camera: ") and f"serial {serial}" in lines[0]
    if not desk_workflow.capture_backends_available():
        assert lines[1] == "video: skipped (no OpenCV back-end here has the camera)"
    calibration = lines[2].split(": ", 1)[1]
    assert json.loads(calibration)["serial"] == serial
    assert "IMU: 100 samples" in lines


def test_no_camera(virtual_cameras, desk_workflow, capsys):
    virtual_cameras.detach("cam0")
    virtual_cameras.detach("cam1")
    assert desk_workflow.main([]) == 1
    assert capsys.readouterr().err == "no camera found\n"


class FakeCapture:
    """cv2.VideoCapture that only the given (index, api) pair opens."""

    opened: list = []
    works = (0, 0)

    def __init__(self, index, api):
        FakeCapture.opened.append((index, api))
        self.ok = (index, api) == FakeCapture.works

    def isOpened(self):
        return self.ok

    def read(self):
        return True, types.SimpleNamespace(shape=(720, 2560, 3))

    def release(self):
        pass


@pytest.mark.parametrize("indices, works, expected, tried", [
    ({uvc.OpenCvBackend.CAP_MSMF: 3, uvc.OpenCvBackend.CAP_DSHOW: 1}, (3, 1400),
     ("CAP_MSMF", (720, 2560, 3)), [(3, 1400)]),
    ({uvc.OpenCvBackend.CAP_MSMF: 3, uvc.OpenCvBackend.CAP_DSHOW: 1}, (1, 700),
     ("CAP_DSHOW", (720, 2560, 3)), [(3, 1400), (1, 700)]),
    ({uvc.OpenCvBackend.CAP_DSHOW: 2}, (9, 9), None, [(2, 700)]),
    ({}, (0, 0), None, []),
])
def test_capture_uses_the_scanned_indices(desk_workflow, monkeypatch, indices, works, expected, tried):
    monkeypatch.setattr(desk_workflow, "capture_backends_available", lambda: True)
    monkeypatch.setitem(sys.modules, "cv2", types.SimpleNamespace(VideoCapture=FakeCapture))
    monkeypatch.setattr(FakeCapture, "opened", [])
    monkeypatch.setattr(FakeCapture, "works", works)
    assert desk_workflow.grab_frame(uvc.DeviceInfo(vid=1, pid=1, opencv_indices=indices)) == expected
    assert FakeCapture.opened == tried


def test_camera_without_a_document(virtual_cameras, desk_workflow, capsys):
    virtual_cameras.flash_poke("cam0", 0x51000, b"\xff" * 16)  # an erased record header
    assert desk_workflow.main([]) == 0
    assert "calibration: none stored on this camera" in capsys.readouterr().out.splitlines()


def test_unplugged_camera_is_reported(virtual_cameras, desk_workflow, capsys):
    virtual_cameras.detach_at_call("cam0", "SonixCam_Init", nth=2)  # after the scan's
    assert desk_workflow.main([]) == 1
    assert capsys.readouterr().err == (
        "error: preferred device_path not found in current scan (DEVICE_UNAVAILABLE, 3)\n")
