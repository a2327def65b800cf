"""open_device and Device: descriptions, capability mapping, lifetime and threads."""
from __future__ import annotations

import gc
import threading
from dataclasses import replace

import pytest

import velmora_uvc_stereo as uvc
from scenarios import device, scenario

# Every capability value distinct, so a field read from the wrong place shows.
DISTINCT_CAPABILITY = {
    "minor_version": 7,
    "extra_bits": 8,
    "flash": {"address": "0x52000", "size": "0x8000"},
    "imu": {"model": "ABCDEFGH", "unit": 5, "selector": 12, "length": 20, "exponent": 2,
            "temperature_offset": -150, "temperature_scale": 12850, "accel_scale": 4096,
            "gyro_scale": 1312},
}


@pytest.mark.virtual_scenario(scenario(device("a", capability=DISTINCT_CAPABILITY)))
def test_capability_report_field_by_field(camera):
    assert camera.capability_info == uvc.CapabilityInfo(
        state=uvc.CapabilityState.REPORTED, message="", report=uvc.CapabilityReport(
            major_version=1, minor_version=7, capability_bits=2 | 4 | 8,
            flash=uvc.FlashSection(user_space_address=0x52000, user_space_size=0x8000),
            imu=uvc.ImuSection(model="ABCDEFGH", xu_unit=5, xu_selector=12, xu_length=20,
                               decimal_exponent=2, conversion=uvc.ImuConversion(
                                   temperature_offset_c=-1.5, temperature_lsb_per_c=128.5,
                                   accel_lsb_per_g=4096.0, gyro_lsb_per_dps=13.12))))


@pytest.mark.virtual_scenario(scenario(device("a", capability={
    "flash": {"address": "0x51000", "size": "0x10000"}})))
def test_report_without_imu_section(camera):
    report = camera.capability_info.report
    assert (report.capability_bits, report.imu) == (2, None)
    with pytest.raises(uvc.VelmoraError, match="^IMU is not supported on this device$"):
        camera.imu()


def test_legacy_camera(cameras):
    with uvc.open_device(cameras[1]) as legacy:
        assert legacy.capability_info == uvc.CapabilityInfo(
            state=2, message="Capability reporting is not supported on this device", report=None)


def test_info_is_what_the_device_was_opened_with(cameras):
    # Indices a caller made up travel unchanged; the SDK does not scan again.
    chosen = replace(cameras[0], aux_flag_0=7, aux_text="bench 3",
                     opencv_indices={uvc.OpenCvBackend.CAP_V4L2: 5})
    with uvc.open_device(chosen, required_capabilities=0) as cam:
        assert cam.info == chosen


@pytest.mark.parametrize("field, value, error, message", [
    ("vid", 0x10000, ValueError, "vid is out of range: 65536"),
    ("pid", -1, ValueError, "pid is out of range: -1"),
    ("aux_flag_1", 256, ValueError, "aux_flag_1 is out of range: 256"),
    ("serial_number", "x" * 256, ValueError, "serial_number is longer than 255 bytes"),
    ("device_path", "\\\\?\\usb\0tail", ValueError, "device_path contains a NUL character"),
    ("name", b"bytes", TypeError, "name must be a str, not bytes"),
    ("opencv_indices", {uvc.OpenCvBackend.CAP_MSMF: 2**31}, ValueError,
     "opencv index is out of range: 2147483648"),
])
def test_values_the_c_structure_cannot_hold(cameras, field, value, error, message):
    info = replace(cameras[0], **{field: value})
    with pytest.raises(error) as caught:
        uvc.open_device(info)
    assert str(caught.value) == message


OPERATIONS = {
    "info": lambda cam: cam.info,
    "capability_info": lambda cam: cam.capability_info,
    "read_json": lambda cam: cam.read_json(),
    "write_json": lambda cam: cam.write_json({"a": 1}),
    "imu": lambda cam: cam.imu(),
    "convert_imu": lambda cam: cam.convert_imu(uvc.ImuSample(0, 0, 0, (0, 0, 0), (0, 0, 0))),
}


@pytest.mark.parametrize("operation", OPERATIONS.values(), ids=OPERATIONS.keys())
def test_every_call_after_close_raises(cameras, operation):
    cam = uvc.open_device(cameras[0])
    cam.close()
    cam.close()  # a second close is harmless
    with pytest.raises(uvc.VelmoraError) as caught:
        operation(cam)
    assert caught.value.code == uvc.ErrorCode.InvalidArgument
    assert caught.value.message == "device is closed or moved-from"


def test_with_block_closes_and_ends_the_imu_session(cameras, virtual_cameras):
    with uvc.open_device(cameras[0]) as cam:
        imu = cam.imu()
        assert virtual_cameras.init_depth() == 1
    assert cam.closed and virtual_cameras.init_depth() == 0
    imu.close()  # the device already ended it


def test_garbage_collector_closes_a_forgotten_device(cameras, virtual_cameras):
    cam = uvc.open_device(cameras[0])
    session = cam.imu()  # an open session keeps the camera library initialised
    assert virtual_cameras.init_depth() == 1
    del cam  # the session keeps its device alive
    gc.collect()
    assert virtual_cameras.init_depth() == 1
    del session
    gc.collect()
    assert virtual_cameras.init_depth() == 0


def test_two_devices_on_two_threads(cameras, virtual_cameras):
    results: dict = {}
    errors: list = []
    start = threading.Barrier(2)

    def work(info: uvc.DeviceInfo) -> None:
        try:
            with uvc.open_device(info) as cam:
                start.wait()
                documents = [cam.read_json().value()["serial"] for _ in range(3)]
                with cam.imu() as imu:
                    counters = [sample.device_timestamp for sample in imu.samples(count=50)]
                results[info.serial_number] = (documents, counters)
        except Exception as error:  # reported to the main thread below
            errors.append(error)

    threads = [threading.Thread(target=work, args=(info,)) for info in cameras]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert errors == []
    for info, step in zip(cameras, (1000, 2500)):
        documents, counters = results[info.serial_number]
        assert documents == [info.serial_number] * 3
        # Each camera's own sample sequence, none lost or taken by the other thread.
        assert counters == [n * step for n in range(50)]
    assert virtual_cameras.init_depth() == 0


def test_one_device_shared_by_threads(camera):
    errors: list = []

    def read() -> None:
        try:
            for _ in range(20):
                assert camera.info.serial_number
        except Exception as error:
            errors.append(error)

    threads = [threading.Thread(target=read) for _ in range(4)]
    for thread in threads:
        thread.start()
    camera.close()
    for thread in threads:
        thread.join()
    assert all(getattr(error, "code", None) == uvc.ErrorCode.InvalidArgument for error in errors)
