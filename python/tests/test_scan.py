"""scan(): the fields of every scanned camera, the filters, empty and failing scans."""
from __future__ import annotations

import sys

import pytest

import velmora_uvc_stereo as uvc
from scenarios import CAM0_SERIAL, CAM1_SERIAL, device, device_path, scenario

Backend = uvc.OpenCvBackend
# On Linux the camera library also names each camera's capture node (V4L2).
LINUX = sys.platform.startswith("linux")

DEFAULT_CAMERAS = [
    uvc.DeviceInfo(
        vid=0x0C45, pid=0x0643, name="Velmora Stereo S1", serial_number=CAM0_SERIAL,
        descriptor_text="Velmora Stereo Camera",
        device_path="\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000"
                    "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
        opencv_indices={Backend.CAP_MSMF: 0, Backend.CAP_DSHOW: 0, **({Backend.CAP_V4L2: 0} if LINUX else {})}),
    uvc.DeviceInfo(
        vid=0x0C45, pid=0x0645, name="Velmora Stereo L2", serial_number=CAM1_SERIAL,
        descriptor_text="Velmora Stereo Camera (legacy)",
        device_path="\\\\?\\usb#vid_0c45&pid_0645&mi_00#7&2b3c4d5e&0&0000"
                    "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
        opencv_indices={Backend.CAP_MSMF: 1, Backend.CAP_DSHOW: 1, **({Backend.CAP_V4L2: 2} if LINUX else {})}),
]


def test_default_cameras_field_by_field(virtual_cameras):
    assert uvc.scan() == DEFAULT_CAMERAS
    keys = [list(info.opencv_indices) for info in uvc.scan()]
    assert all(type(key) is Backend for row in keys for key in row)


# Three cameras: one only Media Foundation lists, one only DirectShow (behind a
# moniker that cannot be bound), one without a serial number and a non-ASCII name.
MIXED_BACKENDS = {
    "msmf": {"entries": [{"device": "a", "friendly_name": "Test a", "device_path": device_path("a")}]},
    "dshow": {"entries": [
        {"friendly_name": "unbound", "binds": False},
        {"device": "b", "friendly_name": "Test b", "device_path": device_path("b", "0x0645")},
    ]},
}


@pytest.mark.virtual_scenario(scenario(
    device("a"), device("b", pid="0x0645"),
    device("c", pid="0x2502", serial_number=None, product_name="Kamera \u00dc"),
    device("x", pid="0x1234"),  # not a supported model: never listed
    backends=MIXED_BACKENDS))
@pytest.mark.parametrize("filters, expected", [
    ({}, ["a", "b", "c"]),
    ({"pid": 0x0645}, ["b"]),
    ({"vid": 0x0C45, "pid": 0x2502}, ["c"]),
    ({"vid": 0x046D}, []),
    ({"require_serial_number": True}, ["a", "b"]),
    ({"pid": 0x2502, "require_serial_number": True}, []),
])
def test_filters(virtual_cameras, filters, expected):
    found = uvc.scan(**filters)
    assert [info.descriptor_text.split()[-1] for info in found] == expected


@pytest.mark.virtual_scenario(scenario(
    device("a"), device("b", pid="0x0645"),
    device("c", pid="0x2502", serial_number=None, product_name="Kamera \u00dc"),
    backends=MIXED_BACKENDS))
def test_per_camera_indices_and_texts(virtual_cameras):
    a, b, c = uvc.scan()
    assert a.opencv_indices == {Backend.CAP_MSMF: 0}
    assert b.opencv_indices == {Backend.CAP_DSHOW: 0}
    assert c.opencv_indices == {}
    assert (c.name, c.serial_number) == ("Kamera \u00dc", "")


def test_no_camera_attached_is_an_empty_list(virtual_cameras):
    virtual_cameras.detach("cam0")
    virtual_cameras.detach("cam1")
    assert uvc.scan() == []


@pytest.mark.virtual_scenario({"library": {"enum_fails_without_device": False}, "devices": []})
def test_enumeration_without_devices_is_an_empty_list(virtual_cameras):
    assert uvc.scan() == []


def test_failing_init_raises(virtual_cameras):
    virtual_cameras.fail_call("SonixCam_Init", 1, 2)
    with pytest.raises(uvc.VelmoraError) as caught:
        uvc.scan()
    assert (caught.value.code, caught.value.message) == (
        uvc.ErrorCode.BackendError, "SonixCam_Init failed: vendor_code=ecLibInitFail(2)")


def test_enumeration_failure_without_a_count_is_an_empty_list(virtual_cameras):
    # A failed enumeration that reports no camera reads as "no camera",
    # whatever code the library kept.
    virtual_cameras.fail_call("SonixCam_EnumCameras", 1, 5)
    assert uvc.scan() == []


# 65 cameras against a capacity of 64: the library fails and still reports them.
@pytest.mark.virtual_scenario(dict(scenario(*[device(f"c{i:02d}") for i in range(65)]),
                                   library={"enum_beyond_capacity": "fail"}))
def test_enumeration_failure_with_a_count_raises(virtual_cameras):
    with pytest.raises(uvc.VelmoraError) as caught:
        uvc.scan()
    assert (caught.value.code, caught.value.message) == (
        uvc.ErrorCode.BackendError, "SonixCam_EnumCameras failed: vendor_code=ecEnumDeviceFail(3)")
