"""Listing the attached cameras."""
from __future__ import annotations

import ctypes
import re
from typing import List, Optional, Union

from . import _structures as s
from ._convert import check_range, device_info_from_c
from ._library import api, thread_message
from .errors import ErrorCode, error_for
from .records import DeviceInfo

UsbId = Union[int, str]
_HEX_ID = re.compile(r"(?:0[xX])?([0-9a-fA-F]{1,4})")

# The C interface reports an empty scan as a failure with exactly this text.
NO_DEVICES_MESSAGE = "no devices found"


def _scan_all() -> List[DeviceInfo]:
    library = api()
    devices = ctypes.POINTER(s.CDeviceInfo)()
    count = ctypes.c_size_t()
    code = library.scan_devices(ctypes.byref(devices), ctypes.byref(count))
    if code != 0:
        message = thread_message()
        if code == ErrorCode.BACKEND_ERROR and message == NO_DEVICES_MESSAGE:
            return []
        raise error_for(code, message)
    try:
        return [device_info_from_c(devices[i]) for i in range(count.value)]
    finally:
        library.free(devices)


def usb_id(name: str, value: UsbId) -> int:
    """A vendor or product id given as an integer (anything operator.index takes)
    or as hex text, "0x0C45" or "0c45"."""
    if isinstance(value, str):
        match = _HEX_ID.fullmatch(value.strip())
        if match is None:
            raise ValueError(f"{name} is not a hex USB id: {value!r}")
        return int(match.group(1), 16)
    if isinstance(value, (bytes, bytearray)):
        raise TypeError(f"{name} must be an int or a hex str, not {type(value).__name__}")
    return check_range(name, value, 0, 0xFFFF)


def scan(
    vid: Optional[UsbId] = None,
    pid: Optional[UsbId] = None,
    require_serial_number: bool = False,
) -> List[DeviceInfo]:
    """The attached supported cameras in the camera library's order, narrowed to
    a vendor id, a product id (each an int or hex text such as "0x0C45") and
    cameras with a serial number when asked. No camera gives an empty list; a
    failing scan raises the VelmoraError of its code."""
    if vid is not None:
        vid = usb_id("vid", vid)
    if pid is not None:
        pid = usb_id("pid", pid)
    return [
        info
        for info in _scan_all()
        if (vid is None or info.vid == vid)
        and (pid is None or info.pid == pid)
        and (not require_serial_number or info.serial_number)
    ]
