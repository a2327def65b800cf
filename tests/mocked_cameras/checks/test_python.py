"""The Python package against the mocked cameras, through the uvcvideo library."""
from __future__ import annotations

import pytest

import velmora_uvc_stereo as uvc
from control import MockControl

LINUX_FLASH_NOTE = ("this camera's flash cannot be read or written on Linux; "
                    "use the Windows tool to back up or write the calibration")


def camera(serial: str) -> uvc.DeviceInfo:
    return next(info for info in uvc.scan() if info.serial_number == serial)


def test_scan_gives_each_camera_its_capture_node(mock: MockControl) -> None:
    found = {info.serial_number: info for info in uvc.scan()}
    assert set(found) == {"VLM643A00017", "VLM645B00342", "VLM643A00099", "VLM2502C00005"}
    for serial, info in found.items():
        assert info.opencv_indices == {uvc.OpenCvBackend.CAP_V4L2: mock.capture_node(serial)}


def test_open_without_the_flash_reads_the_report_and_the_imu(mock: MockControl) -> None:
    with uvc.open_device(camera("VLM643A00017"), uvc.REQUIRE_IMU) as device:
        report = device.capability_info.report
        assert report is not None and report.imu is not None
        assert (report.imu.xu_unit, report.imu.xu_selector, report.imu.xu_length) == (4, 10, 17)
        with device.imu() as session:
            samples = [session.read() for _ in range(3)]
        last = mock.last_imu("VLM643A00017")
        assert samples[-1].accel_raw[2] == int.from_bytes(last[6:8], "big", signed=True)
        values = device.convert_imu(samples[-1])
        assert values.accel_g[2] == pytest.approx(samples[-1].accel_raw[2] / 2048.0)


def open_default(info: uvc.DeviceInfo) -> None:
    uvc.open_device(info)


def read_json_without_flash_check(info: uvc.DeviceInfo) -> None:
    with uvc.open_device(info, uvc.Requirement.IMU) as device:
        device.read_json()


def write_json_without_flash_check(info: uvc.DeviceInfo) -> None:
    with uvc.open_device(info, uvc.Requirement.NONE) as device:
        device.write_json({"baseline_mm": 60.0})


@pytest.mark.parametrize("operation", [open_default, read_json_without_flash_check,
                                       write_json_without_flash_check])
def test_a_flash_failure_carries_the_linux_line_once(operation) -> None:
    with pytest.raises(uvc.VelmoraError) as failure:
        operation(camera("VLM643A00099"))
    assert failure.value.__notes__ == [LINUX_FLASH_NOTE]


def test_a_failure_that_is_not_the_flash_carries_no_line(mock: MockControl) -> None:
    with uvc.open_device(camera("VLM643A00017"), uvc.Requirement.IMU) as device, device.imu() as session:
        mock.fail_next("VLM643A00017", "ETIMEDOUT")
        with pytest.raises(uvc.VelmoraError) as failure:
            session.read()
    assert not getattr(failure.value, "__notes__", [])


def test_unplugging_fails_the_imu_and_a_replug_recovers(mock: MockControl) -> None:
    info = camera("VLM645B00342")
    with uvc.open_device(info, uvc.REQUIRE_IMU) as device:
        with device.imu() as session:
            session.read()
            mock.unplug("VLM645B00342")
            with pytest.raises(uvc.VelmoraError) as gone:
                session.read()
    assert gone.value.code == uvc.ErrorCode.BackendError
    assert gone.value.message == "SonixCam_XuRead failed: vendor_code=ecDeviceDisconnect(7)"
    mock.replug("VLM645B00342")
    with uvc.open_device(info, uvc.REQUIRE_IMU) as device, device.imu() as session:
        assert session.read().device_timestamp >= 0
