"""Copies between the C structures and the package's records, field by field."""
from __future__ import annotations

import operator
from typing import Any, Dict, Union

from . import _structures as s
from .records import (
    Capability,
    CapabilityInfo,
    CapabilityReport,
    CapabilityState,
    DeviceInfo,
    FlashSection,
    ImuConversion,
    ImuSample,
    ImuSection,
    OpenCvBackend,
)

# Texts cross the interface as bytes; surrogateescape keeps bytes that are not
# UTF-8 (a device path from a driver, say) intact on their way back in.
_ENCODING = "utf-8"
_ERRORS = "surrogateescape"


def _text(raw: bytes) -> str:
    return raw.decode(_ENCODING, _ERRORS)


def _backend(value: int) -> Union[OpenCvBackend, int]:
    try:
        return OpenCvBackend(value)
    except ValueError:
        return value


def device_info_from_c(c_info: s.CDeviceInfo) -> DeviceInfo:
    count = min(c_info.opencv_index_count, s.MAX_OPENCV_INDICES)
    indices: Dict[Union[OpenCvBackend, int], int] = {
        _backend(entry.backend): entry.index for entry in c_info.opencv_indices[:count]
    }
    return DeviceInfo(
        vid=c_info.vid,
        pid=c_info.pid,
        name=_text(c_info.name),
        serial_number=_text(c_info.serial_number),
        descriptor_text=_text(c_info.descriptor_text),
        device_path=_text(c_info.device_path),
        aux_flag_0=c_info.aux_flag_0,
        aux_flag_1=c_info.aux_flag_1,
        aux_text=_text(c_info.aux_text),
        opencv_indices=indices,
    )


def as_int(name: str, value: Any) -> int:
    """value as a Python int: anything operator.index takes (numpy integers
    included); other types raise TypeError."""
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError(f"{name} must be an integer, not {type(value).__name__}") from None


def check_range(name: str, value: Any, low: int, high: int) -> int:
    """as_int, and ValueError outside low..high."""
    number = as_int(name, value)
    if not low <= number <= high:
        raise ValueError(f"{name} is out of range: {number}")
    return number



def _put_text(name: str, text: str, capacity: int) -> bytes:
    if not isinstance(text, str):
        raise TypeError(f"{name} must be a str, not {type(text).__name__}")
    raw = text.encode(_ENCODING, _ERRORS)
    if b"\0" in raw:
        raise ValueError(f"{name} contains a NUL character")
    if len(raw) >= capacity:
        raise ValueError(f"{name} is longer than {capacity - 1} bytes")
    return raw


def device_info_to_c(info: DeviceInfo) -> s.CDeviceInfo:
    """The C description of a DeviceInfo. Values the structure cannot hold raise
    ValueError; the SDK judges everything else (a zero vid, an unknown back-end)."""
    if not isinstance(info, DeviceInfo):
        raise TypeError(f"expected a DeviceInfo, not {type(info).__name__}")
    c_info = s.CDeviceInfo()
    c_info.vid = check_range("vid", info.vid, 0, 0xFFFF)
    c_info.pid = check_range("pid", info.pid, 0, 0xFFFF)
    c_info.aux_flag_0 = check_range("aux_flag_0", info.aux_flag_0, 0, 0xFF)
    c_info.aux_flag_1 = check_range("aux_flag_1", info.aux_flag_1, 0, 0xFF)
    for name in ("serial_number", "descriptor_text", "name", "aux_text", "device_path"):
        capacity = getattr(s.CDeviceInfo, name).size
        setattr(c_info, name, _put_text(name, getattr(info, name), capacity))
    entries = list(info.opencv_indices.items())
    # More entries than the array holds: the count alone lets the SDK refuse them.
    c_info.opencv_index_count = len(entries)
    for slot, (backend, index) in zip(c_info.opencv_indices, entries):
        slot.backend = check_range("opencv backend", backend, -(2**31), 2**31 - 1)
        slot.index = check_range("opencv index", index, -(2**31), 2**31 - 1)
    return c_info




def conversion_from_c(c_conversion: s.CImuConversion) -> ImuConversion:
    return ImuConversion(
        temperature_offset_c=c_conversion.temperature_offset_c,
        temperature_lsb_per_c=c_conversion.temperature_lsb_per_c,
        accel_lsb_per_g=c_conversion.accel_lsb_per_g,
        gyro_lsb_per_dps=c_conversion.gyro_lsb_per_dps,
    )


def conversion_to_c(conversion: ImuConversion) -> s.CImuConversion:
    return s.CImuConversion(
        float(conversion.temperature_offset_c),
        float(conversion.temperature_lsb_per_c),
        float(conversion.accel_lsb_per_g),
        float(conversion.gyro_lsb_per_dps),
    )


def capability_info_from_c(c_info: s.CCapabilityInfo) -> CapabilityInfo:
    report = None
    if c_info.has_report:
        flash = None
        if c_info.has_flash:
            flash = FlashSection(c_info.flash_user_space_address, c_info.flash_user_space_size)
        imu = None
        if c_info.has_imu:
            imu = ImuSection(
                model=_text(c_info.imu_model),
                xu_unit=c_info.imu_xu_unit,
                xu_selector=c_info.imu_xu_selector,
                xu_length=c_info.imu_xu_length,
                decimal_exponent=c_info.imu_decimal_exponent,
                conversion=conversion_from_c(c_info.imu_conversion),
            )
        report = CapabilityReport(
            major_version=c_info.major_version,
            minor_version=c_info.minor_version,
            capability_bits=Capability(c_info.capability_bits),
            flash=flash,
            imu=imu,
        )
    state: int = c_info.state
    if state in CapabilityState._value2member_map_:
        state = CapabilityState(state)
    return CapabilityInfo(state=state, message=_text(c_info.message), report=report)


def sample_to_c(sample: ImuSample) -> s.CReadImuResult:
    """The C form of a sample; counts outside their C types raise ValueError."""
    if not isinstance(sample, ImuSample):
        raise TypeError(f"expected an ImuSample, not {type(sample).__name__}")
    c_sample = s.CReadImuResult()
    c_sample.timestamp_ns = check_range("timestamp_ns", sample.timestamp_ns, 0, 2**64 - 1)
    c_sample.device_timestamp = check_range(
        "device_timestamp", sample.device_timestamp, 0, 2**32 - 1)
    c_sample.temperature_raw = check_range("temperature_raw", sample.temperature_raw, -32768, 32767)
    for name in ("accel_raw", "gyro_raw"):
        counts = tuple(getattr(sample, name))
        if len(counts) != 3:
            raise ValueError(f"{name} must hold 3 counts, not {len(counts)}")
        target = getattr(c_sample, name)
        for axis, count in enumerate(counts):
            target[axis] = check_range(name, count, -32768, 32767)
    return c_sample
