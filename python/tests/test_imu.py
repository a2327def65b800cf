"""IMU sessions: raw sample mapping, conversions, batches, numpy arrays, closing."""
from __future__ import annotations

import sys

import pytest

import velmora_uvc_stereo as uvc
from scenarios import device, imu_samples, scenario

# Big-endian payloads: temperature, accel X Y Z, gyro X Y Z, 20-bit counter
# (bits 15..8, 7..0, then 19..16 in the low nibble).
PAYLOAD_1 = "05 00  08 00 F8 00 00 00  00 A4 FF AE 00 00  12 34 A5"
PAYLOAD_2 = "80 00  7F FF 80 00 00 01  FF FF 00 00 7F FF  FF FF 0F"
RAW_1 = (0x51234, 1280, (2048, -2048, 0), (164, -82, 0))
RAW_2 = (0xFFFFF, -32768, (32767, -32768, 1), (-1, 0, 32767))

SCRIPTED = scenario(device("a", imu=imu_samples(PAYLOAD_1, PAYLOAD_2)))


def raw(sample: uvc.ImuSample) -> tuple:
    return (sample.device_timestamp, sample.temperature_raw, sample.accel_raw, sample.gyro_raw)


def sample(temperature: int, accel: tuple, gyro: tuple) -> uvc.ImuSample:
    return uvc.ImuSample(timestamp_ns=7, device_timestamp=0, temperature_raw=temperature,
                         accel_raw=accel, gyro_raw=gyro)


@pytest.mark.virtual_scenario(SCRIPTED)
def test_raw_fields_of_scripted_samples(camera):
    with camera.imu() as imu:
        first, second, third = imu.read(), imu.read(), imu.read()
    assert [raw(first), raw(second), raw(third)] == [RAW_1, RAW_2, RAW_1]
    assert 0 < first.timestamp_ns <= second.timestamp_ns <= third.timestamp_ns


@pytest.mark.parametrize("conversion, given, expected", [
    (uvc.ImuConversion(), sample(1280, (2048, -1024, 0), (164, -82, 0)),
     uvc.ImuValues(35.0, (1.0, -0.5, 0.0), (10.0, -5.0, 0.0))),
    (uvc.ImuConversion(), sample(-32768, (0, 0, 0), (0, 0, 0)),
     uvc.ImuValues(-231.0, (0.0, 0.0, 0.0), (0.0, 0.0, 0.0))),
    (uvc.ImuConversion(0.0, 1.0, 0.0, 0.0), sample(-123, (5, 6, 7), (8, 9, 10)),
     uvc.ImuValues(-123.0, (0.0, 0.0, 0.0), (0.0, 0.0, 0.0))),
    (uvc.ImuConversion(-10.0, 2.0, 4.0, 8.0), sample(4, (4, 8, -16), (8, -8, 80)),
     uvc.ImuValues(-8.0, (1.0, 2.0, -4.0), (1.0, -1.0, 10.0))),
])
def test_convert_with_given_scales(conversion, given, expected):
    assert uvc.convert_imu(given, conversion) == expected


def test_default_scales_are_the_c_librarys():
    from velmora_uvc_stereo import _library, _structures
    c_defaults = _structures.CImuConversion()
    _library.api().imu_conversion_options_init_default(c_defaults)
    assert uvc.ImuConversion() == uvc.ImuConversion(
        c_defaults.temperature_offset_c, c_defaults.temperature_lsb_per_c,
        c_defaults.accel_lsb_per_g, c_defaults.gyro_lsb_per_dps)


@pytest.mark.virtual_scenario(scenario(device("a", capability={
    "flash": {"address": "0x51000", "size": "0x10000"}, "imu": {
    "model": "X", "exponent": 2, "temperature_offset": -500, "temperature_scale": 6400,
    "accel_scale": 1024, "gyro_scale": 3280}})))
def test_device_converts_with_its_own_scales(camera):
    # -5.0 C offset, 64 LSB/C, 1024 LSB/g, 32.8 LSB/dps from the camera's report;
    # no IMU session needed.
    values = camera.convert_imu(sample(640, (1024, -512, 0), (328, -164, 0)))
    assert values == uvc.ImuValues(5.0, (1.0, -0.5, 0.0), (10.0, -5.0, 0.0))


@pytest.mark.parametrize("field, value", [
    ("temperature_raw", 32768), ("accel_raw", (0, -32769, 0)), ("gyro_raw", (1, 2)),
    ("device_timestamp", -1), ("timestamp_ns", 2**64),
])
def test_samples_the_c_structure_cannot_hold(field, value):
    given = sample(0, (0, 0, 0), (0, 0, 0))._replace(**{field: value})
    with pytest.raises(ValueError, match=field):
        uvc.convert_imu(given)


def test_batches_by_count_and_by_time(camera):
    with camera.imu() as imu:
        counted = list(imu.samples(count=25))
        timed = list(imu.samples(seconds=0.02))
    counters = [s.device_timestamp for s in counted + timed]
    assert len(counted) == 25 and len(timed) >= 1
    # Back to back, none skipped; the camera's counter wraps at 20 bits.
    assert counters == [n * 1000 % 0x100000 for n in range(len(counters))]


@pytest.mark.parametrize("arguments", [{}, {"count": 1, "seconds": 1.0}, {"count": -1}])
def test_batch_arguments_are_checked_before_reading(camera, arguments):
    with camera.imu() as imu:
        with pytest.raises(ValueError):
            imu.samples(**arguments)


def test_session_closes_when_the_block_raises(camera, virtual_cameras):
    with pytest.raises(RuntimeError):
        with camera.imu() as imu:
            imu.read()
            raise RuntimeError("boom")
    assert virtual_cameras.init_depth() == 0
    assert camera.read_json().version == 1  # flash JSON is allowed again


@pytest.mark.virtual_scenario(SCRIPTED)
def test_read_array_matches_the_samples(camera):
    numpy = pytest.importorskip("numpy")
    with camera.imu() as imu:
        array = imu.read_array(5)
    assert array.shape == (5,) and array.dtype.itemsize == 32
    rows = [(int(r["device_timestamp"]), int(r["temperature_raw"]),
             tuple(int(v) for v in r["accel_raw"]), tuple(int(v) for v in r["gyro_raw"]))
            for r in array]
    assert rows == [RAW_1, RAW_2, RAW_1, RAW_2, RAW_1]
    assert numpy.all(numpy.diff(array["timestamp_ns"].astype(numpy.int64)) >= 0)
    assert array["timestamp_ns"][0] > 0


def test_read_array_needs_numpy(camera, monkeypatch):
    monkeypatch.setitem(sys.modules, "numpy", None)  # makes "import numpy" fail
    with camera.imu() as imu:
        with pytest.raises(ImportError, match="numpy"):
            imu.read_array(3)
        assert imu.read().device_timestamp == 0  # nothing was read


@pytest.mark.virtual_scenario(SCRIPTED)
def test_read_converted_is_read_then_convert(camera):
    with camera.imu() as imu:
        pairs = [imu.read_converted() for _ in range(3)]
    assert [raw(sample) for sample, _ in pairs] == [RAW_1, RAW_2, RAW_1]
    assert [values for _, values in pairs] == [camera.convert_imu(sample) for sample, _ in pairs]
    with pytest.raises(uvc.InvalidArgumentError, match="^IMU session is closed$"):
        imu.read_converted()


@pytest.mark.parametrize("given, error", [
    ((1, 2, 3, (0, 0, 0), (0, 0, 0)), TypeError),                       # a plain tuple
    (sample(0, (0, 0, 0, 0), (0, 0, 0)), ValueError),                   # four counts
    (sample(0, (0.5, 0, 0), (0, 0, 0)), TypeError),                     # not integers
])
def test_device_conversion_checks_the_sample(camera, given, error):
    with pytest.raises(error):
        camera.convert_imu(given)
