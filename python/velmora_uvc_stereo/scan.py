"""Listing the attached cameras."""
from __future__ import annotations

import ctypes
from typing import List, Optional

from . import _structures as s
from ._convert import device_info_from_c
from ._library import api, thread_message
from .errors import ErrorCode, VelmoraError, error_code
from .records import DeviceInfo

# The C interface reports an empty scan as a failure with exactly this text.
NO_DEVICES_MESSAGE = "no devices found"


def _scan_all() -> List[DeviceInfo]:
    library = api()
    devices = ctypes.POINTER(s.CDeviceInfo)()
    count = ctypes.c_size_t()
    code = library.scan_devices(ctypes.byref(devices), ctypes.byref(count))
    if code != 0:
        message = thread_message()
        if code == ErrorCode.BackendError and message == NO_DEVICES_MESSAGE:
            return []
        raise VelmoraError(error_code(code), message)
    try:
        return [device_info_from_c(devices[i]) for i in range(count.value)]
    finally:
        library.free(devices)


def scan(
    vid: Optional[int] = None,
    pid: Optional[int] = None,
    require_serial_number: bool = False,
) -> List[DeviceInfo]:
    """The attached supported cameras in the camera library's order, narrowed to
    a vendor id, a product id and cameras with a serial number when asked.
    No camera gives an empty list; a failing scan raises VelmoraError."""
    return [
        info
        for info in _scan_all()
        if (vid is None or info.vid == vid)
        and (pid is None or info.pid == pid)
        and (not require_serial_number or info.serial_number)
    ]
