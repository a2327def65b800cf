"""velmora-stereo with no option against the mocked cameras."""
from __future__ import annotations

import json

from control import MockControl

LINUX_FLASH_NOTE = ("this camera's flash cannot be read or written on Linux; "
                    "use the Windows tool to back up or write the calibration")
SERIALS = ["VLM643A00017", "VLM645B00342", "VLM643A00099", "VLM2502C00005"]


def test_scan_json_lists_the_supported_cameras_with_their_capture_nodes(tool, mock: MockControl) -> None:
    result = tool("scan", "--json")
    assert result.returncode == 0, result.stderr
    cameras = json.loads(result.stdout)
    assert sorted(camera["serial_number"] for camera in cameras) == sorted(SERIALS)
    for camera in cameras:
        node = mock.capture_node(camera["serial_number"])
        assert camera["opencv"] == [{"backend": "CAP_V4L2", "api": 200, "index": node}], camera
        assert camera["device_path"].startswith("/sys/bus/usb/devices/")


def test_info_decodes_the_report_and_says_the_flash_is_out_of_reach(tool) -> None:
    result = tool("info", "--serial", "VLM643A00099")
    assert result.returncode == 0, result.stderr
    for line in ("state:           1 (valid capability report)", "model:            IMU-A",
                 "extension unit:   node 5, selector 12, 17-byte reads", LINUX_FLASH_NOTE):
        assert line in result.stdout, result.stdout


def test_imu_samples_are_converted(tool, mock: MockControl) -> None:
    result = tool("imu", "--serial", "VLM645B00342", "--count", "4", "--jsonl")
    assert result.returncode == 0, result.stderr
    samples = [json.loads(line) for line in result.stdout.splitlines()]
    assert len(samples) == 4
    last = mock.last_imu("VLM645B00342")
    temperature = int.from_bytes(last[0:2], "big", signed=True)
    assert samples[-1]["raw"]["temperature"] == temperature
    assert abs(samples[-1]["converted"]["temperature_c"] - (25.0 + temperature / 128.0)) < 1e-6


def test_read_json_says_plainly_that_the_flash_is_not_reachable(tool) -> None:
    result = tool("read-json", "--serial", "VLM643A00017")
    assert result.returncode == 1
    assert LINUX_FLASH_NOTE in result.stderr, result.stderr


def test_the_virtual_camera_is_one_option_away(tool) -> None:
    result = tool("--virtual", "scan")
    assert result.returncode == 0, result.stderr
    assert "2 cameras found." in result.stdout
    assert "CAP_V4L2=0" in result.stdout


def test_an_unplugged_camera_leaves_the_scan_and_returns_on_a_new_node(tool, mock: MockControl) -> None:
    mock.unplug("VLM2502C00005")
    assert "3 cameras found." in tool("scan").stdout
    node = mock.replug("VLM2502C00005")
    result = tool("scan")
    assert "4 cameras found." in result.stdout
    assert f"CAP_V4L2={node}" in result.stdout
