"""Ctrl-C at any moment, stale and second IMU sessions, copies, and documents
that are not UTF-8: whatever happens, no IMU session is left open and the
camera works afterwards."""
from __future__ import annotations

import copy
import pickle
import signal
import struct
import threading
import zlib

import pytest

import velmora_uvc_stereo as uvc
from scenarios import CALIBRATION_ADDRESS
from velmora_uvc_stereo import _library


@pytest.fixture(autouse=True)
def python_ctrl_c_handler():
    """Python's own SIGINT handler for each test: a shell that starts the
    suite in the background leaves SIGINT ignored, and then Ctrl-C would never
    become KeyboardInterrupt."""
    previous = signal.signal(signal.SIGINT, signal.default_int_handler)
    yield
    signal.signal(signal.SIGINT, previous)


def assert_balanced_and_usable(camera, virtual):
    """No vendor session outstanding, and both services work again."""
    assert virtual.init_depth() == 0
    assert virtual.count_calls("SonixCam_Init") == virtual.count_calls("SonixCam_UnInit")
    camera.read_json()
    with camera.imu() as imu:
        imu.read()
    assert virtual.init_depth() == 0


def interrupting(function, before):
    """function, with Ctrl-C arriving while its C call runs (its handler runs
    as soon as the call returns), or just before the call."""
    def call(*arguments):
        if before:
            signal.raise_signal(signal.SIGINT)
        result = function(*arguments)
        if not before:
            signal.raise_signal(signal.SIGINT)
        return result
    return call


def open_session(camera):
    with camera.imu() as imu:
        imu.read()


OPERATIONS = {
    # (C function that gets interrupted, what the test does)
    "open-imu": ("device_open_imu", open_session),
    "close-imu": ("device_close_imu", open_session),
    "write-json": ("device_write_json", lambda camera: camera.write_json({"written": 1})),
    "read-json": ("device_read_json", lambda camera: camera.read_json()),
}


@pytest.mark.parametrize("before", [False, True], ids=["during", "before"])
@pytest.mark.parametrize("function, act", OPERATIONS.values(), ids=OPERATIONS.keys())
def test_ctrl_c_leaves_no_session_open(camera, virtual_cameras, monkeypatch, function, act, before):
    library = _library.api()
    virtual_cameras.clear_call_log()
    monkeypatch.setattr(library, function, interrupting(getattr(library, function), before))
    with pytest.raises(KeyboardInterrupt):
        act(camera)
    monkeypatch.undo()
    assert_balanced_and_usable(camera, virtual_cameras)


def test_interrupted_write_is_completed(camera, monkeypatch):
    library = _library.api()
    monkeypatch.setattr(library, "device_write_json", interrupting(library.device_write_json, True))
    with pytest.raises(KeyboardInterrupt):
        camera.write_json({"baseline_mm": 61.5})
    assert camera.read_json().value() == {"baseline_mm": 61.5}


@pytest.mark.parametrize("function", ["open_device", "close_device"])
def test_ctrl_c_around_open_and_close_device(cameras, virtual_cameras, monkeypatch, function):
    library = _library.api()
    monkeypatch.setattr(library, function, interrupting(getattr(library, function), False))
    with pytest.raises(KeyboardInterrupt):
        with uvc.open_device(cameras[0]) as cam:
            cam.imu()
    monkeypatch.undo()
    assert virtual_cameras.init_depth() == 0
    with uvc.open_device(cameras[0]) as again:
        assert_balanced_and_usable(again, virtual_cameras)


@pytest.mark.skipif(not hasattr(signal, "pthread_kill"), reason="needs pthread_kill")
def test_real_sigint_from_another_thread(camera, virtual_cameras):
    # Every vendor call is slow, so the signal lands inside one of the C calls
    # of the session's open, read or close (which one is up to the scheduler).
    virtual_cameras.set_latency("*", 0.05)
    main = threading.main_thread().ident
    sender = threading.Timer(0.12, signal.pthread_kill, (main, signal.SIGINT))
    sender.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            for _ in range(100):
                with camera.imu() as imu:
                    imu.read()
    finally:
        sender.join()
    virtual_cameras.set_latency("*", 0)
    assert_balanced_and_usable(camera, virtual_cameras)


def test_signal_handler_runs_after_the_block():
    from velmora_uvc_stereo._interrupts import Deferred

    seen = []
    previous = signal.signal(signal.SIGINT, lambda signum, frame: seen.append(signum))
    try:
        with Deferred() as held:
            signal.raise_signal(signal.SIGINT)
            assert seen == [] and held.interrupted
        assert seen == [signal.SIGINT]
        assert signal.getsignal(signal.SIGINT) is not held._hold
    finally:
        signal.signal(signal.SIGINT, previous)


def test_stale_session_object_is_inert(camera, virtual_cameras):
    first = camera.imu()
    first.close()
    second = camera.imu()
    first.close()  # must not end the second session
    assert first.closed and not second.closed and virtual_cameras.init_depth() == 1
    with pytest.raises(uvc.InvalidArgumentError, match="^IMU session is closed$"):
        first.read()
    assert second.read().device_timestamp == 0
    second.close()
    assert virtual_cameras.init_depth() == 0


def test_second_session_is_refused(camera, virtual_cameras):
    with camera.imu() as imu:
        with pytest.raises(uvc.InvalidArgumentError, match="already open"):
            camera.imu()
        imu.read()  # the first one goes on
    assert virtual_cameras.init_depth() == 0


def test_session_ends_with_its_device(camera, virtual_cameras):
    imu = camera.imu()
    camera.close()
    assert imu.closed and virtual_cameras.init_depth() == 0
    with pytest.raises(uvc.InvalidArgumentError, match="^IMU session is closed$"):
        imu.read()


def test_dropped_session_is_ended(camera, virtual_cameras):
    camera.imu()  # never bound to a name
    assert virtual_cameras.init_depth() == 0
    camera.imu().close()


COPIES = {
    "copy": copy.copy,
    "deepcopy": copy.deepcopy,
    "pickle": pickle.dumps,
}


@pytest.mark.parametrize("make", [lambda cam: cam, lambda cam: cam.imu()], ids=["device", "session"])
@pytest.mark.parametrize("duplicate", COPIES.values(), ids=COPIES.keys())
def test_handles_are_not_copied(camera, make, duplicate):
    owner = make(camera)
    with pytest.raises(TypeError, match="owns a camera handle"):
        duplicate(owner)
    assert not owner.closed


def store_record(virtual, payload: bytes, version: int = 2) -> None:
    header = struct.pack("<IHHII", 0x5A4F564B, version, 16, len(payload), zlib.crc32(payload))
    virtual.flash_poke("cam0", CALIBRATION_ADDRESS, header + payload)


def test_document_that_is_not_utf8(camera, virtual_cameras):
    stored = b'{"name":"Kamera \xfc"}'  # Latin-1, written by another program
    store_record(virtual_cameras, stored)
    with pytest.raises(uvc.InvalidJsonError, match="not UTF-8 text") as caught:
        camera.read_json()
    assert caught.value.raw == stored and caught.value.code == uvc.ErrorCode.INVALID_JSON
    assert camera.read_json_bytes() == uvc.JsonBytes(version=2, data=stored)
    restored = pickle.loads(pickle.dumps(caught.value))
    assert (type(restored), restored.raw, restored.message) == (
        uvc.InvalidJsonError, stored, caught.value.message)


@pytest.mark.parametrize("given, error", [
    (None, TypeError),
    (b'{"a":"\xfc"}', UnicodeDecodeError),
])
def test_documents_refused_before_any_write(camera, virtual_cameras, given, error):
    virtual_cameras.clear_call_log()
    with pytest.raises(error):
        camera.write_json(given)
    assert virtual_cameras.count_calls("SonixCam_WriteToSF") == 0


@pytest.mark.parametrize("given", [b'{"a": [1, 2]}', bytearray(b'{"a": [1, 2]}'),
                                   memoryview(b'{"a": [1, 2]}'), '{"a": [1, 2]}', "null"])
def test_utf8_text_in_any_form_is_stored(camera, given):
    camera.write_json(given)
    expected = "null" if given == "null" else '{"a":[1,2]}'
    assert camera.read_json() == uvc.JsonDocument(version=0, text=expected)


def test_session_reads_are_back_to_back_after_a_refused_second_open(camera):
    # The refused open must not have read or reset anything.
    with camera.imu() as imu:
        first = imu.read()
        with pytest.raises(uvc.InvalidArgumentError):
            camera.imu()
        assert imu.read().device_timestamp == first.device_timestamp + 1000
