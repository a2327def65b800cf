"""Velmora UVC stereo cameras from Python: scan, open, flash JSON, IMU.

    import velmora_uvc_stereo as uvc
    for info in uvc.scan():
        with uvc.open_device(info) as cam:
            print(cam.read_json().value())

A thin ctypes layer over the velmora_uvc_stereo_sdk_c library, found through
VELMORA_UVC_STEREO_LIBRARY (a file path), beside this package, or by the
system loader; it is loaded at the first call.
"""
from . import virtual
from ._version import __version__
from .device import REQUIRE_FLASH, REQUIRE_FLASH_JSON, REQUIRE_IMU, Device, open_device
from .errors import ErrorCode, VelmoraError
from .imu import ImuSession, convert_imu
from .records import (
    CapabilityInfo,
    CapabilityReport,
    CapabilityState,
    DeviceInfo,
    FlashSection,
    ImuConversion,
    ImuSample,
    ImuSection,
    ImuValues,
    JsonDocument,
    OpenCvBackend,
)
from .scan import scan

__all__ = [
    "CapabilityInfo",
    "CapabilityReport",
    "CapabilityState",
    "Device",
    "DeviceInfo",
    "ErrorCode",
    "FlashSection",
    "ImuConversion",
    "ImuSample",
    "ImuSection",
    "ImuSession",
    "ImuValues",
    "JsonDocument",
    "OpenCvBackend",
    "REQUIRE_FLASH",
    "REQUIRE_FLASH_JSON",
    "REQUIRE_IMU",
    "VelmoraError",
    "__version__",
    "convert_imu",
    "open_device",
    "scan",
    "virtual",
]
