"""uvc.virtual: scenarios, plugging, faults, the call log and the flash, as the SDK sees them."""
from __future__ import annotations

import json
import pathlib

import pytest

import velmora_uvc_stereo as uvc
from scenarios import CAM0_SERIAL, CAM1_SERIAL, device, scenario

ONE_CAMERA = scenario(device("solo"))


def serials() -> list:
    return [info.serial_number for info in uvc.scan()]


@pytest.mark.parametrize("form", ["dict", "json-text", "str-path", "pathlike"])
def test_load_scenario_in_every_form(virtual_cameras, tmp_path, form):
    path = tmp_path / "one.json"
    path.write_text(json.dumps(ONE_CAMERA))
    given = {"dict": ONE_CAMERA, "json-text": "\n " + json.dumps(ONE_CAMERA),
             "str-path": str(path), "pathlike": pathlib.Path(path)}[form]
    virtual_cameras.load_scenario(given)
    assert serials() == ["SN-solo"]
    virtual_cameras.load_default()
    assert serials() == [CAM0_SERIAL, CAM1_SERIAL]


@pytest.mark.parametrize("given, reason", [
    ({"devices": [{"id": "a", "vid": 1}]}, "devices[0]"),
    ({"devices": [], "unknown_key": 1}, "unknown_key"),
    ("/nonexistent/scenario.json", "/nonexistent/scenario.json"),
])
def test_bad_scenario_raises_and_keeps_the_previous(virtual_cameras, given, reason):
    with pytest.raises(uvc.VelmoraError, match=reason.replace("[", r"\[").replace("]", r"\]")) as caught:
        virtual_cameras.load_scenario(given)
    assert caught.value.code == uvc.ErrorCode.InvalidArgument
    assert serials() == [CAM0_SERIAL, CAM1_SERIAL]


def test_load_scenario_refuses_other_types(virtual_cameras):
    with pytest.raises(TypeError):
        virtual_cameras.load_scenario(42)


def test_default_scenario_is_the_built_in_one(virtual_cameras):
    assert [d["serial_number"] for d in virtual_cameras.default_scenario()["devices"]] == [
        CAM0_SERIAL, CAM1_SERIAL]


def test_attach_detach_reattach(virtual_cameras):
    virtual_cameras.attach(device("extra", pid="0x2502"))
    assert serials() == [CAM0_SERIAL, CAM1_SERIAL, "SN-extra"]
    virtual_cameras.detach("cam0")
    assert serials() == [CAM1_SERIAL, "SN-extra"]
    virtual_cameras.reattach("cam0")
    assert serials() == [CAM0_SERIAL, CAM1_SERIAL, "SN-extra"]


@pytest.mark.parametrize("call", [
    lambda v: v.attach(device("cam0")),             # the id exists
    lambda v: v.detach("nobody"),
    lambda v: v.reattach("nobody"),
    lambda v: v.detach_at_call("nobody", "SonixCam_Init"),
    lambda v: v.flash_peek("nobody", 0, 4),
    lambda v: v.flash_poke("cam0", 0x100000, b"x"),  # beyond the 1 MiB flash
], ids=["duplicate-id", "detach", "reattach", "detach-at-call", "peek", "poke"])
def test_failing_control_calls_raise_with_the_reason(virtual_cameras, call):
    with pytest.raises(uvc.VelmoraError) as caught:
        call(virtual_cameras)
    assert caught.value.code == uvc.ErrorCode.InvalidArgument and caught.value.message


def test_fail_call_fires_once_on_the_nth_call(camera, virtual_cameras):
    virtual_cameras.fail_call("SonixCam_CstmReadFromSF", nth=2, vendor_code=9)
    with pytest.raises(uvc.VelmoraError, match=r"vendor_code=\w+\(9\)"):
        camera.read_json()  # header preview, then the record read: the second fails
    assert camera.read_json().version == 1


def test_clear_faults_disarms(camera, virtual_cameras):
    virtual_cameras.fail_call("*")
    virtual_cameras.detach_at_call("cam0", "SonixCam_Init")
    virtual_cameras.clear_faults()
    assert camera.read_json().version == 1


def test_detach_at_call_unplugs_mid_operation(camera, virtual_cameras):
    virtual_cameras.detach_at_call("cam0", "SonixCam_CstmReadFromSF")
    with pytest.raises(uvc.VelmoraError):
        camera.read_json()
    assert serials() == [CAM1_SERIAL]


def test_call_log_and_counts(camera, virtual_cameras):
    virtual_cameras.clear_call_log()
    assert virtual_cameras.call_log() == [] and virtual_cameras.count_calls("SonixCam_Init") == 0
    camera.read_json()
    log = virtual_cameras.call_log()
    reads = [entry for entry in log if entry["function"] == "SonixCam_CstmReadFromSF"]
    assert reads[0] == {"function": "SonixCam_CstmReadFromSF", "device_id": "cam0",
                        "args": [0x51000, 16], "ok": True, "vendor_code": 0}
    assert virtual_cameras.count_calls("SonixCam_Init") == sum(
        entry["function"] == "SonixCam_Init" for entry in log) >= 1
    assert virtual_cameras.init_depth() == 0


def test_flash_poke_is_what_the_sdk_reads(camera, virtual_cameras):
    before = virtual_cameras.flash_peek("cam0", 0x51000, 4)
    virtual_cameras.flash_poke("cam0", 0x51000, b"\x00\x00\x00\x00")
    assert virtual_cameras.flash_peek("cam0", 0x51000, 6) == b"\x00\x00\x00\x00\x01\x00"
    with pytest.raises(uvc.VelmoraError, match="^flash magic mismatch$"):
        camera.read_json()
    virtual_cameras.flash_poke("cam0", 0x51000, before)
    assert camera.read_json().version == 1
