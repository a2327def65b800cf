"""Finding and loading the C library, and sharing the camera library with uvc.virtual."""
from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys
import textwrap

import pytest

import velmora_uvc_stereo as uvc
from velmora_uvc_stereo import _library

Candidate = _library.Candidate
LINUX = ("libvelmora_uvc_stereo_sdk_c.so", "libvelmora_uvc_stereo_sdk_c.so.0")


@pytest.mark.parametrize("platform, environ, present, expected", [
    ("linux", {"VELMORA_UVC_STEREO_LIBRARY": "/opt/x.so"}, {"/pkg/" + LINUX[0]},
     [Candidate("/opt/x.so", True)]),
    ("linux", {"VELMORA_UVC_STEREO_LIBRARY": ""}, {"/pkg/" + LINUX[1]},
     [Candidate("/pkg/" + LINUX[1], True), Candidate(LINUX[0], False), Candidate(LINUX[1], False)]),
    ("linux", {}, set(), [Candidate(LINUX[0], False), Candidate(LINUX[1], False)]),
    ("win32", {}, {os.path.join("/pkg", "velmora_uvc_stereo_sdk_c.dll")},
     [Candidate(os.path.join("/pkg", "velmora_uvc_stereo_sdk_c.dll"), True),
      Candidate("velmora_uvc_stereo_sdk_c.dll", False)]),
])
def test_lookup_order(platform, environ, present, expected):
    found = _library.candidates(_library.sdk_names(platform), _library.LIBRARY_VARIABLE,
                                ["/pkg"], environ, exists=present.__contains__)
    assert found == expected


def run_python(code: str, **environ: str) -> subprocess.CompletedProcess:
    env = {**os.environ, **environ}
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], env=env,
                          capture_output=True, text=True, timeout=120)


def sdk_library() -> pathlib.Path:
    return pathlib.Path(os.environ[_library.LIBRARY_VARIABLE]).resolve()


def test_missing_library_file_fails_loudly(tmp_path):
    missing = tmp_path / "nothing.so"
    result = run_python("import velmora_uvc_stereo as uvc; uvc.scan()",
                        VELMORA_UVC_STEREO_LIBRARY=str(missing))
    assert result.returncode != 0
    assert "OSError" in result.stderr and str(missing) in result.stderr


# Run in a fresh process: unplugging both cameras through uvc.virtual must be
# seen by the SDK's scan, and the SDK's calls must appear in uvc.virtual's log.
# Prints the files of the two libraries the process mapped.
SHARED_INSTANCE_CHECK = """
    import velmora_uvc_stereo as uvc
    assert len(uvc.scan()) == 2
    uvc.virtual.detach("cam0"); uvc.virtual.detach("cam1")
    assert uvc.scan() == [], "the SDK uses another camera library instance"
    assert uvc.virtual.count_calls("SonixCam_EnumCameras") == 2
    mapped = {line.split()[-1] for line in open("/proc/self/maps")
              if "libvelmora_uvc_stereo_sdk_c" in line or "libSonixCamera" in line}
    print("shared", *sorted(mapped))
"""


@pytest.mark.skipif(sys.platform == "win32", reason="reads /proc/self/maps")
def test_named_camera_library_is_the_one_the_sdk_uses(tmp_path):
    # A copy is a different file, so only loading it before the SDK makes them one.
    copy = tmp_path / "libSonixCamera.so"
    shutil.copy(sdk_library().parent / "libSonixCamera.so", copy)
    result = run_python(SHARED_INSTANCE_CHECK, VELMORA_UVC_STEREO_VENDOR_LIBRARY=str(copy))
    # The check prints the paths sorted; where the build tree lies decides their order.
    assert result.stdout.split() == ["shared", *sorted([str(copy), str(sdk_library())])], result.stderr


@pytest.mark.skipif(sys.platform == "win32", reason="reads /proc/self/maps")
def test_library_bundled_beside_the_package_is_found(tmp_path):
    # A package folder holding its own copies of both libraries, as a wheel may.
    package = tmp_path / "velmora_uvc_stereo"
    shutil.copytree(pathlib.Path(uvc.__file__).parent, package,
                    ignore=shutil.ignore_patterns("__pycache__"))
    for name in ("libvelmora_uvc_stereo_sdk_c.so", "libSonixCamera.so"):
        shutil.copy(sdk_library().parent / name, package / name)
    environ = {key: value for key, value in os.environ.items()
               if key not in (_library.LIBRARY_VARIABLE, _library.VENDOR_LIBRARY_VARIABLE)}
    result = subprocess.run([sys.executable, "-c", textwrap.dedent(SHARED_INSTANCE_CHECK)], env=environ,
                            cwd=tmp_path, capture_output=True, text=True, timeout=120)
    assert result.stdout.split() == [
        "shared", str(package / "libSonixCamera.so"), str(package / "libvelmora_uvc_stereo_sdk_c.so")
    ], result.stderr
