"""Every error path that the package turns into a VelmoraError, with the SDK's code and text."""
from __future__ import annotations

import re
import struct
from dataclasses import replace
from typing import Any, Callable

import pytest

import velmora_uvc_stereo as uvc
from scenarios import device, scenario
from velmora_uvc_stereo.errors import ERROR_CLASSES

E = uvc.ErrorCode
RECORD = 0x51000  # cam0's calibration record


def test_error_codes_are_the_sdks():
    old_names = ["Ok", "InvalidArgument", "BackendError", "DeviceUnavailable", "ReadFailed",
                 "WriteFailed", "EraseFailed", "BadMagic", "UnsupportedVersion", "InvalidHeader",
                 "InvalidLength", "CrcMismatch", "InvalidJson", "InternalError", "NotSupported"]
    assert [(code.name, code.value) for code in uvc.ErrorCode] == [
        (re.sub(r"(?<!^)(?=[A-Z])", "_", name).upper(), value) for value, name in enumerate(old_names)]
    # The earlier names stay as aliases of the same members.
    assert [getattr(uvc.ErrorCode, name) for name in old_names] == list(uvc.ErrorCode)


def test_error_carries_code_and_message():
    error = uvc.VelmoraError(E.CrcMismatch, "crc32 mismatch")
    assert (error.code, error.message, str(error)) == (E.CrcMismatch, "crc32 mismatch", "crc32 mismatch")


def poke_header(field_offset: int, fmt: str, value: int) -> Callable[[Any], None]:
    """Changes one little-endian field of cam0's flash record header."""
    def change(virtual: Any) -> None:
        virtual.flash_poke("cam0", RECORD + field_offset, struct.pack(fmt, value))
    return change


def open_with(**changes: Any) -> Callable[[uvc.DeviceInfo], Any]:
    return lambda info: uvc.open_device(replace(info, **changes))


def with_imu_open(action: Callable[[uvc.Device], Any]) -> Callable[[uvc.Device], Any]:
    def run(cam: uvc.Device) -> Any:
        with cam.imu():
            return action(cam)
    return run


def read_imu(cam: uvc.Device) -> Any:
    with cam.imu() as imu:
        return imu.read()


def read_after_close(cam: uvc.Device) -> Any:
    session = cam.imu()
    session.close()
    return session.read()


def nothing(virtual: Any) -> None:
    pass


def fail(function: str, vendor_code: int) -> Callable[[Any], None]:
    return lambda virtual: virtual.fail_call(function, 1, vendor_code)


# (id, arrange the virtual cameras, act on the open cam0, code, message)
DEVICE_CASES = [
    ("json-while-imu-open", nothing, with_imu_open(lambda cam: cam.read_json()),
     E.InvalidArgument, "IMU must be closed before flash JSON access"),
    ("imu-session-closed", nothing, read_after_close, E.InvalidArgument, "IMU session is closed"),
    ("xu-read", fail("SonixCam_XuRead", 5), read_imu,
     E.BackendError, "SonixCam_XuRead failed: vendor_code=ecGetKsControlFail(5)"),
    ("init", fail("SonixCam_Init", 4), lambda cam: cam.read_json(),
     E.DeviceUnavailable, "SonixCam_Init failed: vendor_code=ecNotFindDevice(4)"),
    ("unplugged", lambda virtual: virtual.detach("cam0"), lambda cam: cam.read_json(),
     E.DeviceUnavailable, "preferred device_path not found in current scan"),
    ("flash-read", fail("SonixCam_CstmReadFromSF", 5), lambda cam: cam.read_json(), E.ReadFailed,
     "SonixCam_CstmReadFromSF failed: vendor_code=ecGetKsControlFail(5) (address=0x00051000, length=16)"),
    ("flash-write", fail("SonixCam_WriteToSF", 12), lambda cam: cam.write_json({}), E.WriteFailed,
     "SonixCam_WriteToSF failed: vendor_code=ecWriteFlashFail(12) (address=0x00051000, length=18)"),
    ("flash-erase", fail("SonixCam_SectorEraseSF", 10), lambda cam: cam.write_json({}), E.EraseFailed,
     "SonixCam_SectorEraseSF failed: vendor_code=ecSectorEraseFail(10) (address=0x00051000, length=4096)"),
    ("magic", poke_header(0, "<I", 0x12345678), lambda cam: cam.read_json(),
     E.BadMagic, "flash magic mismatch"),
    ("header-size", poke_header(6, "<H", 8), lambda cam: cam.read_json(),
     E.InvalidHeader, "header_size out of range"),
    ("payload-length", poke_header(8, "<I", 0x20000), lambda cam: cam.read_json(),
     E.InvalidLength, "flash header total length is invalid"),
    ("crc", poke_header(12, "<I", 0), lambda cam: cam.read_json(),
     E.CrcMismatch, "crc32 mismatch"),
    ("json-syntax", nothing, lambda cam: cam.write_json('{"a": }'),
     E.InvalidJson, "invalid JSON value at offset 6"),
    ("json-empty", nothing, lambda cam: cam.write_json(""), E.InvalidJson, "json text is empty"),
    # The whole str goes to the SDK, NUL and all: nothing is cut at the NUL.
    ("json-nul", nothing, lambda cam: cam.write_json('{"a":1}\0{}'),
     E.InvalidJson, "unexpected trailing characters at offset 7"),
    ("imu-scale", nothing, lambda cam: uvc.convert_imu(
        uvc.ImuSample(0, 0, 0, (0, 0, 0), (0, 0, 0)), uvc.ImuConversion(temperature_lsb_per_c=0.0)),
     E.InvalidArgument, "temperature_lsb_per_c must not be zero"),
]


@pytest.mark.parametrize("arrange, act, code, message",
                         [case[1:] for case in DEVICE_CASES], ids=[case[0] for case in DEVICE_CASES])
def test_device_failures(camera, virtual_cameras, arrange, act, code, message):
    arrange(virtual_cameras)
    with pytest.raises(uvc.VelmoraError) as caught:
        act(camera)
    assert (caught.value.code, caught.value.message) == (code, message)
    assert type(caught.value) is ERROR_CLASSES[code]  # except uvc.CrcMismatchError: works
    virtual_cameras.clear_faults()
    virtual_cameras.load_default()
    camera.read_json()  # the device works again once the camera is sound


OPEN_CASES = [
    ("unknown-capability-bits", lambda info: uvc.open_device(info, required_capabilities=8),
     E.InvalidArgument, "open_device required_capabilities contains unknown bits"),
    ("vid-zero", open_with(vid=0), E.InvalidArgument, "device vid/pid is invalid"),
    ("backend", open_with(opencv_indices={123: 0}), E.InvalidArgument, "unsupported opencv backend"),
    ("negative-index", open_with(opencv_indices={uvc.OpenCvBackend.CAP_DSHOW: -1}),
     E.InvalidArgument, "opencv backend index is negative"),
    ("nine-indices", open_with(opencv_indices={backend: 0 for backend in range(9)}),
     E.InvalidArgument, "opencv backend index count is too large"),
    ("not-whitelisted", open_with(pid=0x1234), E.NotSupported,
     "selected device vid/pid is not in the scan whitelist"),
    ("not-attached", open_with(serial_number="nobody", device_path="\\\\?\\usb#nothing"),
     E.DeviceUnavailable, "preferred device_path not found in current scan"),
]


@pytest.mark.parametrize("act, code, message", [case[1:] for case in OPEN_CASES],
                         ids=[case[0] for case in OPEN_CASES])
def test_open_failures(cameras, act, code, message):
    with pytest.raises(uvc.VelmoraError) as caught:
        act(cameras[0])
    assert (caught.value.code, caught.value.message) == (code, message)
    assert type(caught.value) is ERROR_CLASSES[code]


@pytest.mark.virtual_scenario(scenario(device("a", flash={"size": "0x100000", "blocks": [
    {"address": "0x51000", "json_text": "{\"broken\": "}]})))
def test_required_flash_json_is_checked_at_open(cameras):
    uvc.open_device(cameras[0]).close()  # the flash answers
    with pytest.raises(uvc.VelmoraError) as caught:
        uvc.open_device(cameras[0], required_capabilities=uvc.REQUIRE_FLASH_JSON)
    assert caught.value.code == E.InvalidJson
