"""IMU sessions, sample batches and unit conversion.

The per-sample paths (read, samples, read_array, Device.convert_imu) keep their
C argument structures and function pointers ready and copy results out with
one struct unpack into named tuples: a sample costs little more than the bare
C call.
"""
from __future__ import annotations

import ctypes
import struct
import sys
import threading
import time
import weakref
from typing import TYPE_CHECKING, Any, Callable, Iterator, Optional, Tuple

from . import _structures as s
from ._closing import Closing
from ._convert import check_range, conversion_to_c, sample_to_c
from ._library import Api, api, check, thread_message
from .errors import CLOSED_SESSION_MESSAGE, InvalidArgumentError, error_for
from .records import ImuConversion, ImuSample, ImuValues

if TYPE_CHECKING:
    from .device import Device

# The C structures' layouts in host byte order: read_imu_result (32 bytes, 6 of
# them padding) and converted_imu_result (64 bytes).
_SAMPLE = struct.Struct("=QIh3h3h6x")
_VALUES = struct.Struct("=Qd3d3d")
assert _SAMPLE.size == ctypes.sizeof(s.CReadImuResult)
assert _VALUES.size == ctypes.sizeof(s.CConvertedImuResult)

# Module-level names for the per-sample paths: one global lookup each.
_new_tuple = tuple.__new__
_unpack_sample = _SAMPLE.unpack_from
_unpack_values = _VALUES.unpack_from
_pack_sample_into = _SAMPLE.pack_into


def _values(values: Any) -> ImuValues:
    return _new_tuple(ImuValues, (values[1], values[2:5], values[5:8]))


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


def _pack_sample(sample: ImuSample, target: s.CReadImuResult) -> None:
    """Writes a sample into a C structure; values it cannot hold raise
    TypeError or ValueError naming the field."""
    if isinstance(sample, ImuSample):
        try:
            # Three counts per axis, or the argument count is wrong: struct.error.
            _pack_sample_into(target, 0, sample[0], sample[1], sample[2], *sample[3], *sample[4])
            return
        except (struct.error, TypeError):
            pass
    # The slow path says which field is wrong.
    ctypes.memmove(ctypes.addressof(target), ctypes.addressof(sample_to_c(sample)), _SAMPLE.size)


class ImuConverter:
    """A device's prepared conversion call: its argument structures and function."""

    __slots__ = ("_function", "_raw", "_raw_address", "_out", "_out_address")

    def __init__(self, library: Api) -> None:
        self._function = library.device_convert_imu_by_address
        self._raw = s.CReadImuResult()
        self._out = s.CConvertedImuResult()
        # Plain addresses: ctypes converts an int faster than a byref() object.
        self._raw_address = ctypes.addressof(self._raw)
        self._out_address = ctypes.addressof(self._out)

    def device_convert(self, handle: int, sample: ImuSample) -> ImuValues:
        """Converts with the device's scales; the caller holds the device's lock."""
        raw = self._raw
        try:
            if type(sample) is not ImuSample:
                raise TypeError
            _pack_sample_into(raw, 0, sample[0], sample[1], sample[2], *sample[3], *sample[4])
        except (struct.error, TypeError):
            _pack_sample(sample, raw)  # says what is wrong, or packs a subclass's sample
        code = self._function(handle, self._raw_address, self._out_address)
        if code:
            raise error_for(code, thread_message())
        values = _unpack_values(self._out)
        return _new_tuple(ImuValues, (values[1], values[2:5], values[5:8]))


class SessionSlot:
    """Whether one IMU session is still the device's open one. Shared by the
    ImuSession and its Device, so that an old session object can never act on
    a newer session."""

    __slots__ = ("open",)

    def __init__(self) -> None:
        self.open = True


def _sample_reader(lock: threading.RLock, slot: SessionSlot, read_imu: Any, handle: int,
                   buffer: s.CReadImuResult) -> Callable[[], ImuSample]:
    """ImuSession.read for one session: everything it needs is bound once, in
    closure cells, which the per-sample path reads faster than attributes."""
    acquire, release = lock.acquire, lock.release
    address = ctypes.addressof(buffer)  # ctypes converts an int faster than a byref() object

    def read() -> ImuSample:
        """One raw sample with its host timestamp."""
        acquire()
        try:
            if not slot.open:
                raise InvalidArgumentError(CLOSED_SESSION_MESSAGE)
            code = read_imu(handle, address)
            if code:
                raise error_for(code, thread_message())
            v = _unpack_sample(buffer)
        finally:
            release()
        return _new_tuple(ImuSample, (v[0], v[1], v[2], v[3:6], v[6:9]))

    return read


class ImuSession(Closing):
    """An open IMU session of a Device, made by Device.imu(). Leaving the with
    block (normally or by an exception) or close() ends it, and so does the
    garbage collector when the object is dropped. Once ended, the object is
    inert: close() does nothing and read() raises InvalidArgumentError.

    read() -> ImuSample: one raw sample with its host timestamp.
    """

    read: Callable[[], ImuSample]

    def __init__(self, device: "Device", handle: int, slot: SessionSlot) -> None:
        self._device = device
        self._slot = slot
        self._lock: threading.RLock = device._lock
        self._handle = handle
        self._read_imu = device._api.device_read_imu
        self._buffer = s.CReadImuResult()
        self._address = ctypes.addressof(self._buffer)
        self.read = _sample_reader(self._lock, slot, self._read_imu, handle, self._buffer)
        self._convert = device._api.device_convert_imu_by_address
        self._converted = s.CConvertedImuResult()
        self._converted_address = ctypes.addressof(self._converted)
        self._finalizer = weakref.finalize(self, device._end_session, slot)

    def close(self) -> None:
        """Ends the session; does nothing when it has ended already."""
        self._finalizer()

    @property
    def closed(self) -> bool:
        return not self._slot.open

    def __repr__(self) -> str:
        return f"<velmora_uvc_stereo.ImuSession {'closed' if self.closed else 'open'}>"

    def read_converted(self) -> Tuple[ImuSample, ImuValues]:
        """One raw sample and the same sample in physical units with the camera's
        own scale values: read() and Device.convert_imu() in one step, without
        copying the sample back into C."""
        with self._lock:
            if not self._slot.open:
                raise InvalidArgumentError(CLOSED_SESSION_MESSAGE)
            code = self._read_imu(self._handle, self._address)
            if not code:
                code = self._convert(self._handle, self._address, self._converted_address)
            if code:
                raise error_for(code, thread_message())
            v = _unpack_sample(self._buffer)
            c = _unpack_values(self._converted)
        return (_new_tuple(ImuSample, (v[0], v[1], v[2], v[3:6], v[6:9])),
                _new_tuple(ImuValues, (c[1], c[2:5], c[5:8])))

    def samples(self, count: Optional[int] = None, seconds: Optional[float] = None) -> Iterator[ImuSample]:
        """Reads samples back to back: count of them, or for seconds of wall time."""
        if (count is None) == (seconds is None):
            raise ValueError("give exactly one of count and seconds")
        if count is not None:
            return self._samples_counted(check_range("count", count, 0, sys.maxsize))
        assert seconds is not None
        return self._samples_until(time.monotonic() + float(seconds))

    def _samples_counted(self, count: int) -> Iterator[ImuSample]:
        read = self.read
        for _ in range(count):
            yield read()

    def _samples_until(self, end: float) -> Iterator[ImuSample]:
        read = self.read
        while time.monotonic() < end:
            yield read()

    def read_array(self, count: int) -> Any:
        """count samples read back to back into a numpy structured array (fields
        timestamp_ns, device_timestamp, temperature_raw, accel_raw, gyro_raw).
        Needs numpy."""
        try:
            import numpy
        except ImportError as error:
            raise ImportError("ImuSession.read_array needs numpy") from error
        count = check_range("count", count, 0, sys.maxsize)
        array = numpy.zeros(count, dtype=sample_dtype())
        base = array.ctypes.data
        stride = array.dtype.itemsize
        read_imu, handle = self._read_imu, self._handle
        # The library writes each sample straight into its row.
        with self._lock:
            if not self._slot.open:
                raise InvalidArgumentError(CLOSED_SESSION_MESSAGE)
            for address in range(base, base + count * stride, stride):
                code = read_imu(handle, address)
                if code:
                    raise error_for(code, thread_message())
        return array


_DEFAULT_CONVERSION = ImuConversion()


def convert_imu(sample: ImuSample, conversion: Optional[ImuConversion] = None) -> ImuValues:
    """A raw sample in physical units with the given scale values (the SDK's
    defaults when None); needs no camera."""
    c_sample = s.CReadImuResult()
    _pack_sample(sample, c_sample)
    c_conversion = conversion_to_c(conversion if conversion is not None else _DEFAULT_CONVERSION)
    c_values = s.CConvertedImuResult()
    check(api().convert_imu(ctypes.byref(c_sample), ctypes.byref(c_conversion), ctypes.byref(c_values)))
    return _values(_unpack_values(c_values))
