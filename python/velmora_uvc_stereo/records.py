"""The records the package hands out: frozen dataclasses, named tuples for IMU
samples (made by the thousand), and the enums and flags they use."""
from __future__ import annotations

import enum
import json
import types
from dataclasses import dataclass, field, fields
from typing import Any, Mapping, NamedTuple, Optional, Tuple, Union


class OpenCvBackend(enum.IntEnum):
    """OpenCV's capture-API numbers of the back-ends a camera may be listed under."""

    CAP_V4L2 = 200
    CAP_DSHOW = 700
    CAP_MSMF = 1400
    CAP_GSTREAMER = 1800


@dataclass(frozen=True)
class DeviceInfo:
    """One camera as a scan reports it; pass it to open_device."""

    vid: int = 0
    pid: int = 0
    name: str = ""
    serial_number: str = ""
    descriptor_text: str = ""
    device_path: str = ""
    aux_flag_0: int = 0
    aux_flag_1: int = 0
    aux_text: str = ""
    # Back-end -> capture index, read-only; keys are OpenCvBackend members (plain
    # ints are accepted). Any mapping given is copied.
    opencv_indices: Mapping[Union[OpenCvBackend, int], int] = field(
        default_factory=lambda: types.MappingProxyType({}), hash=False)

    def __post_init__(self) -> None:
        # A read-only view of a private copy: neither the caller's dict nor the
        # view can change what this record says.
        object.__setattr__(self, "opencv_indices", types.MappingProxyType(dict(self.opencv_indices)))

    def __reduce__(self) -> Tuple[Any, ...]:
        # A mapping proxy cannot be pickled: the record travels with a plain dict.
        values = [getattr(self, f.name) for f in fields(self)]
        values[-1] = dict(self.opencv_indices)
        return (DeviceInfo, tuple(values))


@dataclass(frozen=True)
class ImuConversion:
    """Scale values for raw IMU counts; the defaults are the SDK's."""

    temperature_offset_c: float = 25.0
    temperature_lsb_per_c: float = 128.0
    accel_lsb_per_g: float = 2048.0
    gyro_lsb_per_dps: float = 16.4


@dataclass(frozen=True)
class FlashSection:
    """The flash user space a capability report declares."""

    user_space_address: int
    user_space_size: int


@dataclass(frozen=True)
class ImuSection:
    """How a capability report says the IMU is addressed and scaled."""

    model: str
    xu_unit: int
    xu_selector: int
    xu_length: int
    decimal_exponent: int
    conversion: ImuConversion


@dataclass(frozen=True)
class CapabilityReport:
    """A valid capability report; a section is None when the camera does not declare it."""

    major_version: int
    minor_version: int
    capability_bits: Capability
    flash: Optional[FlashSection]
    imu: Optional[ImuSection]


class Capability(enum.IntFlag):
    """Bits of a capability report's capability_bits. FLASH and IMU say that the
    report carries that section; the other three are accepted and mean nothing."""

    RESERVED_0 = 1
    FLASH = 2
    IMU = 4
    RESERVED_3 = 8
    RESERVED_4 = 16


class Requirement(enum.IntFlag):
    """What open_device must verify (its required_capabilities)."""

    NONE = 0
    FLASH = 1        # the flash answers a one-byte read
    IMU = 2          # asked for; checked when the IMU session is opened
    FLASH_JSON = 4   # the flash holds a valid JSON document (replaces FLASH's probe)


# The earlier module-level names.
REQUIRE_FLASH = Requirement.FLASH
REQUIRE_IMU = Requirement.IMU
REQUIRE_FLASH_JSON = Requirement.FLASH_JSON


class CapabilityState(enum.IntEnum):
    """What an open device knows about the camera's capability report."""

    UNKNOWN = 0
    REPORTED = 1
    LEGACY = 2


@dataclass(frozen=True)
class CapabilityInfo:
    """State 1 with a report, or state 2 (a legacy camera) with a message."""

    state: int
    message: str
    report: Optional[CapabilityReport]


class ImuSample(NamedTuple):
    """One raw IMU sample: host time in ns, the camera's 20-bit counter, raw counts.
    A named tuple, cheap to make at a few thousand samples a second."""

    timestamp_ns: int
    device_timestamp: int
    temperature_raw: int
    accel_raw: Tuple[int, int, int]
    gyro_raw: Tuple[int, int, int]


class ImuValues(NamedTuple):
    """One IMU sample in degrees Celsius, g and degrees per second."""

    temperature_c: float
    accel_g: Tuple[float, float, float]
    gyro_dps: Tuple[float, float, float]


@dataclass(frozen=True)
class JsonBytes:
    """The stored JSON document as its bytes, whatever their encoding."""

    version: int
    data: bytes


@dataclass(frozen=True)
class JsonDocument:
    """The JSON document stored in a camera's flash, as minified text."""

    version: int
    text: str

    def value(self) -> Any:
        """The document parsed with json.loads."""
        return json.loads(self.text)
