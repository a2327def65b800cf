"""Scenario builders for the virtual cameras, derived from the built-in scenario."""
from __future__ import annotations

import copy
from typing import Any, Dict, List, Optional

# The built-in cameras, as the scenario gives them.
CAM0_SERIAL = "VLM643A00017"
CAM1_SERIAL = "VLM645B00342"
CALIBRATION_ADDRESS = 0x51000


def device_path(device_id: str, pid: str = "0x0643") -> str:
    """The Windows interface path a test camera gets (and its back-end entries)."""
    return (f"\\\\?\\usb#vid_0c45&pid_{int(pid, 16):04x}&mi_00#7&{device_id}&0&0000"
            "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global")


def device(device_id: str = "camx", pid: str = "0x0643", **fields: Any) -> Dict[str, Any]:
    """A whitelisted camera with a capability report, flash and an IMU; fields
    replace or add keys (None removes one)."""
    entry: Dict[str, Any] = {
        "id": device_id,
        "vid": "0x0C45",
        "pid": pid,
        "device_path": device_path(device_id, pid),
        "product_name": f"Test {device_id}",
        "descriptor_text": f"descriptor of {device_id}",
        "serial_number": f"SN-{device_id}",
        "firmware_version": "SN292-250311-V1.4",
        "capability": {
            "flash": {"address": "0x51000", "size": "0x10000"},
            "imu": {"model": "IMU-A", "temperature_offset": 250, "temperature_scale": 1280,
                    "accel_scale": 2048, "gyro_scale": 164},
        },
        "imu": {"generator": {"kind": "ramp", "period_samples": 50, "accel_amplitude": 100,
                              "gyro_amplitude": 50, "gravity": 2048, "temperature": 640,
                              "counter_step": 10}},
        "flash": {"size": "0x100000", "write_protected": True, "blocks": [
            {"address": "0x51000", "record_version": 3, "json_document": {"id": device_id}}]},
    }
    for key, value in fields.items():
        if value is None:
            entry.pop(key, None)
        else:
            entry[key] = copy.deepcopy(value)
    return entry


def scenario(*devices: Dict[str, Any], backends: Optional[Dict[str, Any]] = None) -> Dict[str, Any]:
    result: Dict[str, Any] = {"devices": list(devices)}
    if backends is not None:
        result["backends"] = backends
    return result


def imu_samples(*payloads: str, repeat: bool = True) -> Dict[str, Any]:
    """An IMU control answering the given hex payloads in order."""
    return {"samples": list(payloads), "repeat": repeat}


def flash_record(address: int, version: int, document: Any) -> List[Dict[str, Any]]:
    return [{"address": hex(address), "record_version": version, "json_document": document}]
