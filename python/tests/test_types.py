"""Python habits: error classes, flags, integers of any kind, USB ids as text,
argument checks of uvc.virtual, read-only records, repr, the plugin's reach."""
from __future__ import annotations

import copy
import pickle
from dataclasses import replace

import pytest

import velmora_uvc_stereo as uvc
from scenarios import CAM0_SERIAL, CAM1_SERIAL

E = uvc.ErrorCode


class Index:
    """An integer type of someone else's, as numpy's are: only __index__ makes it one."""

    def __init__(self, value: int) -> None:
        self.value = value

    def __index__(self) -> int:
        return self.value

ERROR_CLASSES = [
    (E.INVALID_ARGUMENT, uvc.InvalidArgumentError), (E.BACKEND_ERROR, uvc.BackendError),
    (E.DEVICE_UNAVAILABLE, uvc.DeviceUnavailableError), (E.READ_FAILED, uvc.ReadFailedError),
    (E.WRITE_FAILED, uvc.WriteFailedError), (E.ERASE_FAILED, uvc.EraseFailedError),
    (E.BAD_MAGIC, uvc.BadMagicError), (E.UNSUPPORTED_VERSION, uvc.UnsupportedVersionError),
    (E.INVALID_HEADER, uvc.InvalidHeaderError), (E.INVALID_LENGTH, uvc.InvalidLengthError),
    (E.CRC_MISMATCH, uvc.CrcMismatchError), (E.INVALID_JSON, uvc.InvalidJsonError),
    (E.INTERNAL_ERROR, uvc.InternalError), (E.NOT_SUPPORTED, uvc.NotSupportedError),
]


@pytest.mark.parametrize("code, cls", ERROR_CLASSES, ids=[cls.__name__ for _, cls in ERROR_CLASSES])
def test_one_class_per_code(code, cls):
    from velmora_uvc_stereo.errors import error_for

    error = error_for(int(code), "some text")
    assert type(error) is cls and isinstance(error, uvc.VelmoraError)
    assert (error.code, error.message, str(error)) == (code, "some text", "some text")
    again = pickle.loads(pickle.dumps(error))
    assert (type(again), again.code, again.message) == (cls, code, "some text")


def test_every_failing_code_has_its_class():
    assert sorted(code for code, _ in ERROR_CLASSES) == [code for code in E if code != E.OK]


def test_requirement_flags_and_old_names():
    R = uvc.Requirement
    assert (uvc.REQUIRE_FLASH, uvc.REQUIRE_IMU, uvc.REQUIRE_FLASH_JSON) == (R.FLASH, R.IMU, R.FLASH_JSON)
    assert [int(flag) for flag in (R.NONE, R.FLASH, R.IMU, R.FLASH_JSON)] == [0, 1, 2, 4]
    assert issubclass(R, int)


@pytest.mark.parametrize("required, error", [
    ("1", TypeError), (1.0, TypeError), (None, TypeError), (-1, ValueError), (2**32, ValueError),
])
def test_required_capabilities_checked_in_python(cameras, required, error):
    with pytest.raises(error):
        uvc.open_device(cameras[0], required_capabilities=required)


@pytest.mark.parametrize("required", [
    Index(4), uvc.Requirement.FLASH_JSON | uvc.Requirement.IMU, Index(0), True,
])
def test_required_capabilities_of_any_integer_type(cameras, required):
    with uvc.open_device(cameras[0], required_capabilities=required) as cam:
        assert cam.read_json().value()["serial"] == CAM0_SERIAL


def test_capability_bits_are_flags(camera):
    bits = camera.capability_info.report.capability_bits
    assert isinstance(bits, uvc.Capability)
    assert uvc.Capability.FLASH in bits and uvc.Capability.IMU in bits
    assert bits == uvc.Capability.FLASH | uvc.Capability.IMU == 6


@pytest.mark.parametrize("vid", [0x0C45, "0x0C45", "0c45", "0X0c45", " 0c45 ", Index(0x0C45)])
def test_scan_vid_as_int_or_hex_text(virtual_cameras, vid):
    assert [info.serial_number for info in uvc.scan(vid=vid, pid="0645")] == [CAM1_SERIAL]


@pytest.mark.parametrize("vid, error", [
    ("zz", ValueError), ("0x", ValueError), ("", ValueError), ("0x10000", ValueError),
    (0x10000, ValueError), (-1, ValueError),
    (3.0, TypeError), (b"0c45", TypeError), ([0x0C45], TypeError),
])
def test_scan_vid_nonsense(virtual_cameras, vid, error):
    with pytest.raises(error):
        uvc.scan(vid=vid)


def test_numpy_integers_everywhere(cameras, virtual_cameras):
    numpy = pytest.importorskip("numpy")
    chosen = replace(cameras[0], vid=numpy.uint16(0x0C45), pid=numpy.int32(0x0643))
    with uvc.open_device(chosen) as cam, cam.imu() as imu:
        assert len(list(imu.samples(count=numpy.int8(3)))) == 3
        assert imu.read_array(numpy.int64(2)).shape == (2,)
        counts = (numpy.int16(2048), 0, 0)
        converted = cam.convert_imu(uvc.ImuSample(numpy.uint64(7), 0, numpy.int16(0), counts, counts))
        assert converted.accel_g == (1.0, 0.0, 0.0)
    virtual_cameras.fail_call("SonixCam_XuRead", nth=numpy.int64(1), vendor_code=numpy.int32(5))
    assert virtual_cameras.flash_peek("cam0", numpy.uint32(0x51000), numpy.int16(4)) == b"KVOZ"


VIRTUAL_NONSENSE = {
    "nth-negative": (lambda v: v.fail_call("SonixCam_Init", nth=-1), ValueError),
    "nth-zero": (lambda v: v.fail_call("SonixCam_Init", nth=0), ValueError),
    "nth-too-big": (lambda v: v.fail_call("SonixCam_Init", nth=2**32), ValueError),
    "nth-float": (lambda v: v.fail_call("SonixCam_Init", nth=1.5), TypeError),
    "vendor-code": (lambda v: v.fail_call("SonixCam_Init", vendor_code=2**31), ValueError),
    "unknown-function": (lambda v: v.fail_call("SonixCam_Nothing"), ValueError),
    "detach-nth": (lambda v: v.detach_at_call("cam0", "SonixCam_Init", nth=0), ValueError),
    "peek-address": (lambda v: v.flash_peek("cam0", -1, 4), ValueError),
    "peek-length": (lambda v: v.flash_peek("cam0", 0, -4), ValueError),
    "poke-data": (lambda v: v.flash_poke("cam0", 0, "text"), TypeError),
    "nul-in-id": (lambda v: v.detach("cam0\0"), ValueError),
    "id-type": (lambda v: v.detach(0), TypeError),
    "attach-type": (lambda v: v.attach(42), TypeError),
    "latency-negative": (lambda v: v.set_latency("*", -0.1), ValueError),
    "latency-text": (lambda v: v.set_latency("*", "1"), TypeError),
}


@pytest.mark.parametrize("call, error", VIRTUAL_NONSENSE.values(), ids=VIRTUAL_NONSENSE.keys())
def test_virtual_refuses_nonsense(virtual_cameras, call, error):
    virtual_cameras.clear_call_log()
    with pytest.raises(error):
        call(virtual_cameras)
    # Nothing was armed: the cameras work as before.
    assert len(uvc.scan()) == 2 and virtual_cameras.count_calls("SonixCam_Init") == 1


def test_opencv_indices_are_read_only(virtual_cameras):
    indices = {uvc.OpenCvBackend.CAP_MSMF: 3}
    info = uvc.DeviceInfo(vid=1, pid=2, opencv_indices=indices)
    indices[uvc.OpenCvBackend.CAP_DSHOW] = 4  # the caller's dict is copied
    with pytest.raises(TypeError):
        info.opencv_indices[uvc.OpenCvBackend.CAP_MSMF] = 5
    assert info.opencv_indices == {uvc.OpenCvBackend.CAP_MSMF: 3}
    with pytest.raises(TypeError):
        del uvc.scan()[0].opencv_indices[uvc.OpenCvBackend.CAP_MSMF]
    for duplicate in (copy.copy(info), copy.deepcopy(info), pickle.loads(pickle.dumps(info))):
        assert duplicate == info


def test_repr_of_a_device(cameras):
    cam = uvc.open_device(cameras[1])
    assert repr(cam) == f"<velmora_uvc_stereo.Device 'Velmora Stereo L2' serial '{CAM1_SERIAL}' 0c45:0645 open>"
    cam.close()
    assert repr(cam).endswith(" closed>")


RELATIVE_MARKER_TESTS = '''
import pytest
import velmora_uvc_stereo as uvc

@pytest.mark.virtual_scenario("data/solo.json")
def test_relative_to_this_file(virtual_cameras):
    assert [info.serial_number for info in uvc.scan()] == ["S-1"]
'''

SOLO = ('{"devices": [{"id": "solo", "vid": "0x0C45", "pid": "0x0643", "serial_number": "S-1",'
        ' "flash": {"size": "0x100000"}}]}')


def test_marker_path_is_relative_to_the_test_file(pytester):
    folder = pytester.mkpydir("suite")
    (folder / "data").mkdir()
    (folder / "data" / "solo.json").write_text(SOLO)
    (folder / "test_relative.py").write_text(RELATIVE_MARKER_TESTS)
    # Run from elsewhere: the working directory has no data/ folder.
    result = pytester.runpytest("-p", "no:cacheprovider", str(folder))
    result.assert_outcomes(passed=1)


UNTOUCHED_TESTS = '''
import sys
from velmora_uvc_stereo import _library

def test_plugin_loaded_nothing(request):
    assert "velmora_uvc_stereo.pytest_plugin" in sys.modules
    assert "velmora_uvc_stereo.virtual" not in sys.modules
    assert _library._loaded.api is None and _library._loaded.vendor is None
'''


def test_plugin_touches_nothing_unless_used(pytester):
    pytester.makepyfile(test_untouched=UNTOUCHED_TESTS)
    result = pytester.runpytest_subprocess("-p", "no:cacheprovider")
    result.assert_outcomes(passed=1)
