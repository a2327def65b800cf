"""read_json and write_json: the stored document, str and object round trips."""
from __future__ import annotations

import json
import struct
import zlib

import pytest

import velmora_uvc_stereo as uvc
from scenarios import CAM0_SERIAL, CALIBRATION_ADDRESS


def test_read_calibration_of_the_default_camera(camera):
    document = camera.read_json()
    assert document.version == 1
    assert document.value()["serial"] == CAM0_SERIAL
    assert document.value()["extrinsics"]["translation_mm"] == [-60.02, 0.11, -0.05]
    assert json.loads(document.text) == document.value() and " " not in document.text


@pytest.mark.parametrize("given, stored", [
    ('{"baseline_mm": 60.0}', '{"baseline_mm":60.0}'),
    (' [ 1 , 2 ,\n 3 ] ', '[1,2,3]'),
    ('"s p a c e s"', '"s p a c e s"'),
    ({"baseline_mm": 60.0}, '{"baseline_mm":60.0}'),
    ({"name": "Kalibrierung \u00fc\u00df", "k": [1, None, True]},
     '{"name":"Kalibrierung \u00fc\u00df","k":[1,null,true]}'),
    ([], '[]'),
    (0, '0'),
])
def test_write_then_read(camera, virtual_cameras, given, stored):
    camera.write_json(given)
    assert camera.read_json() == uvc.JsonDocument(version=0, text=stored)
    # The flash holds one record: 16-byte header, then the minified UTF-8 payload.
    payload = stored.encode("utf-8")
    header = virtual_cameras.flash_peek("cam0", CALIBRATION_ADDRESS, 16)
    assert struct.unpack("<IHHII", header) == (
        0x5A4F564B, 0, 16, len(payload), zlib.crc32(payload))
    assert virtual_cameras.flash_peek("cam0", CALIBRATION_ADDRESS + 16, len(payload)) == payload


def test_objects_json_cannot_encode_raise_before_any_write(camera, virtual_cameras):
    virtual_cameras.clear_call_log()
    with pytest.raises(TypeError):
        camera.write_json({"raw": b"\x00"})
    assert virtual_cameras.count_calls("SonixCam_WriteToSF") == 0


def test_legacy_camera_stores_in_its_default_user_space(cameras, virtual_cameras):
    with uvc.open_device(cameras[1]) as legacy:
        legacy.write_json({"baseline_mm": 50.0})
        assert legacy.read_json().value() == {"baseline_mm": 50.0}
    assert virtual_cameras.flash_peek("cam1", CALIBRATION_ADDRESS, 4) == b"KVOZ"
