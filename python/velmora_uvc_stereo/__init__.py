"""Velmora UVC stereo cameras from Python: scan, open, flash JSON, IMU.

    import velmora_uvc_stereo as uvc
    for info in uvc.scan():
        with uvc.open_device(info) as cam:
            print(cam.read_json().value())

A thin ctypes layer over the velmora_uvc_stereo_sdk_c library: the copy a
wheel carries in _lib/, else the file VELMORA_UVC_STEREO_LIBRARY names, else
the system loader's. It is loaded at the first call. velmora_uvc_stereo.virtual
(the virtual camera's controls) is imported only when used.
"""
import importlib
from typing import Any

from ._library import LoadedLibraries, loaded_libraries
from ._version import __version__
from .device import Device, open_device
from .errors import (
    BackendError,
    BadMagicError,
    CrcMismatchError,
    DeviceUnavailableError,
    EraseFailedError,
    ErrorCode,
    InternalError,
    InvalidArgumentError,
    InvalidHeaderError,
    InvalidJsonError,
    InvalidLengthError,
    NotSupportedError,
    ReadFailedError,
    UnsupportedVersionError,
    VelmoraError,
    WriteFailedError,
)
from .imu import ImuSession, convert_imu
from .records import (
    REQUIRE_FLASH,
    REQUIRE_FLASH_JSON,
    REQUIRE_IMU,
    Capability,
    CapabilityInfo,
    CapabilityReport,
    CapabilityState,
    DeviceInfo,
    FlashSection,
    ImuConversion,
    ImuSample,
    ImuSection,
    ImuValues,
    JsonBytes,
    JsonDocument,
    OpenCvBackend,
    Requirement,
)
from .scan import scan


def __getattr__(name: str) -> Any:
    # uvc.virtual on first use: a program (or a pytest session) that never
    # touches the virtual camera never imports its module.
    if name == "virtual":
        return importlib.import_module(f"{__name__}.virtual")
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")


__all__ = [
    "BackendError",
    "BadMagicError",
    "Capability",
    "CapabilityInfo",
    "CapabilityReport",
    "CapabilityState",
    "CrcMismatchError",
    "Device",
    "DeviceInfo",
    "DeviceUnavailableError",
    "EraseFailedError",
    "ErrorCode",
    "FlashSection",
    "ImuConversion",
    "ImuSample",
    "ImuSection",
    "ImuSession",
    "ImuValues",
    "InternalError",
    "InvalidArgumentError",
    "InvalidHeaderError",
    "InvalidJsonError",
    "InvalidLengthError",
    "JsonBytes",
    "JsonDocument",
    "LoadedLibraries",
    "NotSupportedError",
    "OpenCvBackend",
    "REQUIRE_FLASH",
    "REQUIRE_FLASH_JSON",
    "REQUIRE_IMU",
    "ReadFailedError",
    "Requirement",
    "UnsupportedVersionError",
    "VelmoraError",
    "WriteFailedError",
    "__version__",
    "convert_imu",
    "loaded_libraries",
    "open_device",
    "scan",
    "virtual",
]
