"""IMU sessions, sample batches and unit conversion."""
from __future__ import annotations

import ctypes
import time
from typing import TYPE_CHECKING, Any, Iterator, Optional

from . import _structures as s
from ._closing import Closing
from ._convert import conversion_to_c, sample_from_c, sample_to_c, values_from_c
from ._library import api, check
from .records import ImuConversion, ImuSample, ImuValues

if TYPE_CHECKING:
    from .device import Device


def sample_dtype() -> Any:
    """The numpy dtype of one sample, laid out as the C structure (32 bytes)."""
    import numpy

    return numpy.dtype({
        "names": ["timestamp_ns", "device_timestamp", "temperature_raw", "accel_raw", "gyro_raw"],
        "formats": [numpy.uint64, numpy.uint32, numpy.int16, (numpy.int16, (3,)), (numpy.int16, (3,))],
        "offsets": [
            s.CReadImuResult.timestamp_ns.offset,
            s.CReadImuResult.device_timestamp.offset,
            s.CReadImuResult.temperature_raw.offset,
            s.CReadImuResult.accel_raw.offset,
            s.CReadImuResult.gyro_raw.offset,
        ],
        "itemsize": ctypes.sizeof(s.CReadImuResult),
    })


class ImuSession(Closing):
    """An open IMU session of a Device, made by Device.imu(). Leaving the with
    block (normally or by an exception) or close() ends it."""

    def __init__(self, device: "Device") -> None:
        self._device = device

    def close(self) -> None:
        """Ends the session; harmless when it or the device is closed already."""
        with self._device._lock:
            if not self._device.closed:
                self._device._call(self._device._api.device_close_imu)

    def _read_into(self, address: int) -> None:
        self._device._call(self._device._api.device_read_imu, address)

    def read(self) -> ImuSample:
        """One raw sample with its host timestamp."""
        c_sample = s.CReadImuResult()
        self._read_into(ctypes.addressof(c_sample))
        return sample_from_c(c_sample)

    def samples(self, count: Optional[int] = None, seconds: Optional[float] = None) -> Iterator[ImuSample]:
        """Reads samples back to back: count of them, or for seconds of wall time."""
        if (count is None) == (seconds is None):
            raise ValueError("give exactly one of count and seconds")
        if count is not None:
            if count < 0:
                raise ValueError(f"count must not be negative: {count}")
            return (self.read() for _ in range(count))
        assert seconds is not None
        return self._samples_until(time.monotonic() + seconds)

    def _samples_until(self, end: float) -> Iterator[ImuSample]:
        while time.monotonic() < end:
            yield self.read()

    def read_array(self, count: int) -> Any:
        """count samples read back to back into a numpy structured array (fields
        timestamp_ns, device_timestamp, temperature_raw, accel_raw, gyro_raw).
        Needs numpy."""
        try:
            import numpy
        except ImportError as error:
            raise ImportError("ImuSession.read_array needs numpy") from error
        if count < 0:
            raise ValueError(f"count must not be negative: {count}")
        array = numpy.zeros(count, dtype=sample_dtype())
        base = array.ctypes.data
        stride = array.dtype.itemsize
        # The library writes each sample straight into its row.
        with self._device._lock:
            for row in range(count):
                self._read_into(base + row * stride)
        return array


def convert_imu(sample: ImuSample, conversion: Optional[ImuConversion] = None) -> ImuValues:
    """A raw sample in physical units with the given scale values (the SDK's
    defaults when None); needs no camera."""
    c_sample = sample_to_c(sample)
    c_conversion = conversion_to_c(conversion if conversion is not None else ImuConversion())
    c_values = s.CConvertedImuResult()
    check(api().convert_imu(ctypes.byref(c_sample), ctypes.byref(c_conversion), ctypes.byref(c_values)))
    return values_from_c(c_values)
