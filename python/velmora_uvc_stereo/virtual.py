"""The virtual camera's control interface: scenarios, plugging, faults, call log, flash.

Its first use makes the SDK load the project's virtual camera (from its own
folder beside the C library, or the file named by
VELMORA_UVC_STEREO_VENDOR_LIBRARY) in place of the camera library it finds by
default; the SDK and this module then share that one library instance. So a
process that scanned real cameras first cannot switch to the virtual ones."""
from __future__ import annotations

import ctypes
import json
import os
import threading
from typing import Any, Dict, List, Mapping, Union

from ._library import prefer_virtual_camera, vendor_library
from .errors import ErrorCode, VelmoraError

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


def _function(name: str) -> Any:
    with _lock:
        if not _functions:
            prefer_virtual_camera()
            library = vendor_library()
            if not hasattr(library, "vcam_load_scenario_json"):
                raise OSError(
                    "the camera library in use is not the virtual camera: use this module (or the "
                    "virtual_cameras fixture) before the first scan, or name the virtual camera in "
                    "VELMORA_UVC_STEREO_VENDOR_LIBRARY")
            for symbol, (result, arguments) in _PROTOTYPES.items():
                function = getattr(library, symbol)
                function.restype = result
                function.argtypes = arguments
                _functions[symbol] = function
    return _functions[name]


def _bytes(text: str) -> bytes:
    return text.encode("utf-8")


def _check(result: int) -> None:
    """Raises VelmoraError with the control interface's reason for a -1."""
    if result != 0:
        reason = _function("vcam_last_error")() or b"virtual camera control call failed"
        raise VelmoraError(ErrorCode.InvalidArgument, reason.decode("utf-8", "replace"))


def _json_text(value: Union[Mapping[str, Any], str]) -> bytes:
    return _bytes(value if isinstance(value, str) else json.dumps(value))


# ---- scenarios -------------------------------------------------------------------
def load_scenario(scenario: Scenario) -> None:
    """Replaces every device, fault and the call log: a dict, JSON text (a str
    starting with "{"), or the path of a scenario file."""
    if isinstance(scenario, Mapping):
        _check(_function("vcam_load_scenario_json")(_json_text(scenario)))
    elif isinstance(scenario, str) and scenario.lstrip().startswith("{"):
        _check(_function("vcam_load_scenario_json")(_bytes(scenario)))
    elif isinstance(scenario, (str, os.PathLike)):
        _check(_function("vcam_load_scenario_file")(os.fsencode(scenario)))
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
    _check(_function("vcam_attach_device_json")(_json_text(device)))


def detach(device_id: str) -> None:
    """Unplugs a device; calls addressed to it fail until it is reattached."""
    _check(_function("vcam_detach_device")(_bytes(device_id)))


def reattach(device_id: str) -> None:
    """Plugs a detached device in again (same flash, same IMU position)."""
    _check(_function("vcam_reattach_device")(_bytes(device_id)))


# ---- faults ----------------------------------------------------------------------------
def fail_call(function: str, nth: int = 1, vendor_code: int = 5) -> None:
    """The nth next call of a vendor function ("*" for any) fails with vendor_code."""
    _check(_function("vcam_fail_call")(_bytes(function), nth, vendor_code))


def detach_at_call(device_id: str, function: str, nth: int = 1) -> None:
    """The device unplugs just before the nth next call of function."""
    _check(_function("vcam_detach_at_call")(_bytes(device_id), _bytes(function), nth))


def clear_faults() -> None:
    _function("vcam_clear_faults")()


# ---- state and call log ------------------------------------------------------------
def init_depth() -> int:
    """Initialisations of the camera library not yet balanced by an uninitialisation."""
    depth: int = _function("vcam_init_depth")()
    return depth


def count_calls(function: str) -> int:
    """Calls of one vendor function since the log was last cleared."""
    count: int = _function("vcam_count_calls")(_bytes(function))
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
    buffer = ctypes.create_string_buffer(length)
    _check(_function("vcam_flash_peek")(_bytes(device_id), address, buffer, length))
    return buffer.raw


def flash_poke(device_id: str, address: int, data: bytes) -> None:
    """Stores bytes in the flash directly, bypassing erase and protection."""
    data = bytes(data)
    _check(_function("vcam_flash_poke")(_bytes(device_id), address, data, len(data)))


__all__ = [
    "attach", "call_log", "clear_call_log", "clear_faults", "count_calls", "default_scenario",
    "detach", "detach_at_call", "fail_call", "flash_peek", "flash_poke", "init_depth",
    "load_default", "load_scenario", "reattach",
]
