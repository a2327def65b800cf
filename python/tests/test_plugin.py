"""The pytest plugin as a user's test suite meets it: fixture, marker, restoring the default."""
from __future__ import annotations

import velmora_uvc_stereo as uvc

USER_TESTS = '''
import pytest
import velmora_uvc_stereo as uvc

SOLO = {"devices": [{"id": "solo", "vid": "0x0C45", "pid": "0x0643", "serial_number": "S-1",
                     "flash": {"size": "0x100000"}}]}

@pytest.mark.virtual_scenario(SOLO)
def test_marker_scenario(virtual_cameras):
    assert [info.serial_number for info in uvc.scan()] == ["S-1"]
    virtual_cameras.detach("solo")

def test_default_after_a_marker(virtual_cameras):
    assert len(uvc.scan()) == 2

def test_changes_are_undone_afterwards(virtual_cameras):
    virtual_cameras.detach("cam0")
    virtual_cameras.fail_call("SonixCam_Init")

def test_clean_again(virtual_cameras):
    assert len(uvc.scan()) == 2

@pytest.mark.virtual_scenario("{not json")
def test_bad_marker_scenario_errors(virtual_cameras):
    pass
'''


def test_fixture_and_marker_in_a_user_suite(pytester):
    pytester.makepyfile(test_user=USER_TESTS)
    result = pytester.runpytest("-p", "no:cacheprovider", "--strict-markers")
    result.assert_outcomes(passed=4, errors=1)
    result.stdout.fnmatch_lines(["*VirtualCameraError: scenario is not valid JSON*"])
    assert len(uvc.scan()) == 2  # the user's suite left the built-in cameras behind


def test_marker_is_documented(pytester):
    result = pytester.runpytest("--markers")
    result.stdout.fnmatch_lines(["@pytest.mark.virtual_scenario(scenario)*"])

