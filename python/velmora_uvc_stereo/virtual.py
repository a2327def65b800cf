"""The virtual camera's control interface: scenarios, plugging, faults, call log, flash.

The first call of this module loads the virtual camera (the wheel's copy in
_lib/virtual/, a build tree's beside the C library that
VELMORA_UVC_STEREO_LIBRARY names, or the file VELMORA_UVC_STEREO_VENDOR_LIBRARY
names) before the SDK, so that the SDK runs against it and both share that one
library instance. Used after the SDK was loaded against another camera
library, it raises OSError. Importing the module loads nothing.

Arguments this module can judge itself raise TypeError or ValueError; calls
the virtual camera refuses raise VirtualCameraError, which is both an
InvalidArgumentError and a ValueError, with the virtual camera's reason."""
from __future__ import annotations

import ctypes
import json
import os
import threading
from typing import Any, Dict, List, Mapping, Union

from ._convert import check_range
from ._library import virtual_camera
from .errors import InvalidArgumentError

Scenario = Union[Mapping[str, Any], str, "os.PathLike[str]"]


class _Call(ctypes.Structure):
    """vcam_call: one entry of the call log."""

    _fields_ = [
        ("function", ctypes.c_char * 40),
        ("device_id", ctypes.c_char * 64),
        ("args", ctypes.c_uint64 * 8),
        ("arg_count", ctypes.c_uint32),
        ("ok", ctypes.c_int32),
        ("vendor_code", ctypes.c_int32),
    ]


if ctypes.sizeof(_Call) != 184:
    raise ImportError(f"vcam_call is {ctypes.sizeof(_Call)} bytes, expected 184")

_c_str = ctypes.c_char_p
_PROTOTYPES = {
    "vcam_load_scenario_json": (ctypes.c_int, [_c_str]),
    "vcam_load_scenario_file": (ctypes.c_int, [_c_str]),
    "vcam_load_default_scenario": (None, []),
    "vcam_default_scenario_json": (_c_str, []),
    "vcam_last_error": (_c_str, []),
    "vcam_attach_device_json": (ctypes.c_int, [_c_str]),
    "vcam_detach_device": (ctypes.c_int, [_c_str]),
    "vcam_reattach_device": (ctypes.c_int, [_c_str]),
    "vcam_fail_call": (ctypes.c_int, [_c_str, ctypes.c_uint, ctypes.c_int]),
    "vcam_detach_at_call": (ctypes.c_int, [_c_str, _c_str, ctypes.c_uint]),
    "vcam_clear_faults": (None, []),
    "vcam_set_latency_us": (None, [_c_str, ctypes.c_uint]),
    "vcam_init_depth": (ctypes.c_int, []),
    "vcam_flash_peek": (
        ctypes.c_int, [_c_str, ctypes.c_uint32, ctypes.c_void_p, ctypes.c_uint32]),
    "vcam_flash_poke": (
        ctypes.c_int, [_c_str, ctypes.c_uint32, ctypes.c_char_p, ctypes.c_uint32]),
    "vcam_call_count": (ctypes.c_size_t, []),
    "vcam_call_at": (ctypes.c_int, [ctypes.c_size_t, ctypes.POINTER(_Call)]),
    "vcam_count_calls": (ctypes.c_size_t, [_c_str]),
    "vcam_clear_call_log": (None, []),
}

_lock = threading.Lock()
_functions: Dict[str, Any] = {}

_UINT32_MAX = 2**32 - 1


class VirtualCameraError(InvalidArgumentError, ValueError):
    """A control call the virtual camera refused (an unknown device id, a
    scenario it cannot read, ...), with its reason."""


def _function(name: str) -> Any:
    with _lock:
        if not _functions:
            library = virtual_camera()
            for symbol, (result, arguments) in _PROTOTYPES.items():
                function = getattr(library, symbol)
                function.restype = result
                function.argtypes = arguments
                _functions[symbol] = function
    return _functions[name]


def _bytes(text: str, name: str = "device_id") -> bytes:
    """A text argument for the C interface: a str without NUL characters."""
    if not isinstance(text, str):
        raise TypeError(f"{name} must be a str, not {type(text).__name__}")
    if "\0" in text:
        raise ValueError(f"{name} contains a NUL character")
    return text.encode("utf-8")


def _check(result: int) -> None:
    """Raises VirtualCameraError with the control interface's reason for a -1."""
    if result != 0:
        reason = _function("vcam_last_error")() or b"virtual camera control call failed"
        raise VirtualCameraError(reason.decode("utf-8", "replace"))


def _json_text(value: Union[Mapping[str, Any], str], name: str) -> bytes:
    if isinstance(value, Mapping):
        return _bytes(json.dumps(value), name)
    return _bytes(value, name)


def _nth(nth: Any) -> int:
    return check_range("nth", nth, 1, _UINT32_MAX)


# ---- scenarios -------------------------------------------------------------------
def load_scenario(scenario: Scenario) -> None:
    """Replaces every device, fault and the call log: a dict, JSON text (a str
    starting with "{"), or the path of a scenario file."""
    if isinstance(scenario, Mapping):
        _check(_function("vcam_load_scenario_json")(_json_text(scenario, "scenario")))
    elif isinstance(scenario, str) and scenario.lstrip().startswith("{"):
        _check(_function("vcam_load_scenario_json")(_bytes(scenario, "scenario")))
    elif isinstance(scenario, (str, os.PathLike)):
        path = os.fsencode(scenario)
        if b"\0" in path:
            raise ValueError("scenario path contains a NUL character")
        _check(_function("vcam_load_scenario_file")(path))
    else:
        raise TypeError(f"a scenario is a dict, JSON text or a path, not {type(scenario).__name__}")


def load_default() -> None:
    """The built-in scenario: two cameras, cam0 with a capability report, cam1 legacy."""
    _function("vcam_load_default_scenario")()


def default_scenario() -> Dict[str, Any]:
    """The built-in scenario as a dict, to derive other scenarios from."""
    result: Dict[str, Any] = json.loads(_function("vcam_default_scenario_json")())
    return result


# ---- devices ------------------------------------------------------------------------
def attach(device: Union[Mapping[str, Any], str]) -> None:
    """Plugs in a new device, described as an entry of a scenario's "devices"."""
    if not isinstance(device, (Mapping, str)):
        raise TypeError(f"a device is a dict or JSON text, not {type(device).__name__}")
    _check(_function("vcam_attach_device_json")(_json_text(device, "device")))


def detach(device_id: str) -> None:
    """Unplugs a device; calls addressed to it fail until it is reattached."""
    _check(_function("vcam_detach_device")(_bytes(device_id)))


def reattach(device_id: str) -> None:
    """Plugs a detached device in again (same flash, same IMU position)."""
    _check(_function("vcam_reattach_device")(_bytes(device_id)))


# ---- faults ----------------------------------------------------------------------------
def fail_call(function: str, nth: int = 1, vendor_code: int = 5) -> None:
    """The nth next call (1: the next one) of a vendor function ("*" for any)
    fails with vendor_code."""
    name = _bytes(function, "function")
    count = _nth(nth)
    code = check_range("vendor_code", vendor_code, -(2**31), 2**31 - 1)
    _check(_function("vcam_fail_call")(name, count, code))


def detach_at_call(device_id: str, function: str, nth: int = 1) -> None:
    """The device unplugs just before the nth next call (1: the next one) of function."""
    _check(_function("vcam_detach_at_call")(_bytes(device_id), _bytes(function, "function"), _nth(nth)))


def clear_faults() -> None:
    _function("vcam_clear_faults")()


def set_latency(function: str, seconds: float) -> None:
    """Every later call of a vendor function ("*" for all) takes this long
    (whole microseconds; 0 takes the latency away). The built-in scenario and
    load_scenario reset it to none."""
    name = _bytes(function, "function")
    if isinstance(seconds, (str, bytes)):
        raise TypeError(f"seconds must be a number, not {type(seconds).__name__}")
    microseconds = float(seconds) * 1e6
    if not 0 <= microseconds <= _UINT32_MAX:  # NaN fails too
        raise ValueError(f"latency is out of range: {seconds} s")
    _function("vcam_set_latency_us")(name, round(microseconds))


# ---- state and call log ------------------------------------------------------------
def init_depth() -> int:
    """Initialisations of the camera library not yet balanced by an uninitialisation."""
    depth: int = _function("vcam_init_depth")()
    return depth


def count_calls(function: str) -> int:
    """Calls of one vendor function since the log was last cleared."""
    count: int = _function("vcam_count_calls")(_bytes(function, "function"))
    return count


def call_log() -> List[Dict[str, Any]]:
    """The logged vendor calls, oldest first: function, device_id, args, ok, vendor_code."""
    entries = []
    entry = _Call()
    for index in range(_function("vcam_call_count")()):
        if _function("vcam_call_at")(index, ctypes.byref(entry)) != 0:
            break  # the log was cleared meanwhile
        entries.append({
            "function": entry.function.decode("utf-8", "replace"),
            "device_id": entry.device_id.decode("utf-8", "replace"),
            "args": list(entry.args[: min(entry.arg_count, len(entry.args))]),
            "ok": bool(entry.ok),
            "vendor_code": entry.vendor_code,
        })
    return entries


def clear_call_log() -> None:
    _function("vcam_clear_call_log")()


def flash_peek(device_id: str, address: int, length: int) -> bytes:
    """Flash bytes as stored, bypassing the flash rules and the call log."""
    name = _bytes(device_id)
    start = check_range("address", address, 0, _UINT32_MAX)
    size = check_range("length", length, 0, _UINT32_MAX)
    buffer = ctypes.create_string_buffer(size)
    _check(_function("vcam_flash_peek")(name, start, buffer, size))
    return buffer.raw


def flash_poke(device_id: str, address: int, data: bytes) -> None:
    """Stores bytes in the flash directly, bypassing erase and protection."""
    name = _bytes(device_id)
    start = check_range("address", address, 0, _UINT32_MAX)
    if not isinstance(data, (bytes, bytearray, memoryview)):
        raise TypeError(f"data must be bytes, not {type(data).__name__}")
    data = bytes(data)
    _check(_function("vcam_flash_poke")(name, start, data, len(data)))


__all__ = [
    "attach", "call_log", "clear_call_log", "clear_faults", "count_calls", "default_scenario",
    "detach", "detach_at_call", "fail_call", "flash_peek", "flash_poke", "init_depth",
    "load_default", "load_scenario", "reattach", "set_latency", "VirtualCameraError",
]
