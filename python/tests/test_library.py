"""Finding and loading the C library, and which camera library it runs against."""
from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys
import textwrap

import pytest

import velmora_uvc_stereo as uvc
from conftest import REPOSITORY
from velmora_uvc_stereo import _bundle, _library

Candidate = _library.Candidate
LINUX = ("libvelmora_uvc_stereo_sdk_c.so.0", "libvelmora_uvc_stereo_sdk_c.so")
VARIABLES = (_library.LIBRARY_VARIABLE, _library.VENDOR_LIBRARY_VARIABLE)
# A camera library that is not the virtual camera: the same cameras behind the
# vendor's functions alone (built with the tests).
CONTRACT_ONLY = REPOSITORY / "build" / "dev" / "contract" / "libSonixCamera.so"
# The camera library's file name in a wheel (its soname), default and virtual alike.
CAMERA = _bundle.layout("linux").camera

linux_only = pytest.mark.skipif(sys.platform == "win32", reason="reads /proc/self/maps")


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


def run_python(code: str, cwd: pathlib.Path = None, clean: bool = False, **environ: str):
    """Runs code in a fresh interpreter; clean drops the package's variables."""
    env = {k: v for k, v in os.environ.items() if not (clean and k in VARIABLES)}
    env.update(environ)
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], env=env, cwd=cwd,
                          capture_output=True, text=True, timeout=120)


def test_missing_library_file_fails_loudly(tmp_path):
    missing = tmp_path / "nothing.so"
    result = run_python("import velmora_uvc_stereo as uvc; uvc.scan()",
                        VELMORA_UVC_STEREO_LIBRARY=str(missing))
    assert result.returncode != 0
    assert "OSError" in result.stderr and str(missing) in result.stderr


# Unplugging both cameras through uvc.virtual must be seen by the SDK's scan,
# and the SDK's calls must appear in uvc.virtual's log. Prints the files of the
# two libraries the process mapped.
SHARED_INSTANCE_CHECK = """
    import velmora_uvc_stereo as uvc
    uvc.virtual.init_depth()
    assert len(uvc.scan()) == 2
    uvc.virtual.detach("cam0"); uvc.virtual.detach("cam1")
    assert uvc.scan() == [], "the SDK uses another camera library instance"
    assert uvc.virtual.count_calls("SonixCam_EnumCameras") == 2
    mapped = {line.split()[-1] for line in open("/proc/self/maps")
              if "libvelmora_uvc_stereo_sdk_c" in line or "libSonixCamera" in line}
    print("shared", *sorted(mapped))
"""


@linux_only
def test_named_camera_library_is_the_one_the_sdk_uses(tmp_path):
    # A copy is a different file, so only loading it before the SDK makes them one.
    loaded = uvc.loaded_libraries()
    copy = tmp_path / "libSonixCamera.so"
    shutil.copy(loaded.camera, copy)
    result = run_python(SHARED_INSTANCE_CHECK, VELMORA_UVC_STEREO_VENDOR_LIBRARY=str(copy))
    # The check prints the paths sorted; where the build tree lies decides their order.
    assert result.stdout.split() == ["shared", *sorted([str(copy), loaded.sdk])], result.stderr


@pytest.fixture
def wheel_package(tmp_path) -> pathlib.Path:
    """A copy of the package laid out as a Linux wheel installs it: the C library
    and the default camera library in _lib/, the virtual camera in _lib/virtual/."""
    package = tmp_path.resolve() / "velmora_uvc_stereo"  # the loader reports resolved paths
    shutil.copytree(pathlib.Path(uvc.__file__).parent, package,
                    ignore=shutil.ignore_patterns("__pycache__", "_lib"))
    layout = _bundle.layout("linux")
    loaded = uvc.loaded_libraries()
    (package / "_lib" / "virtual").mkdir(parents=True)
    shutil.copy(loaded.sdk, package / "_lib" / layout.sdk)
    shutil.copy(loaded.camera, package / "_lib" / layout.camera)
    shutil.copy(loaded.camera, package / "_lib" / "virtual" / layout.camera)
    return package


@linux_only
def test_wheel_layout_runs_the_default_camera_library(wheel_package):
    result = run_python("""
        import sys, velmora_uvc_stereo as uvc
        print(len(uvc.scan()), *uvc.loaded_libraries())
        print("virtual imported" if "velmora_uvc_stereo.virtual" in sys.modules else "virtual untouched")
    """, cwd=wheel_package.parent, clean=True)
    lib = wheel_package / "_lib"
    assert result.stdout.splitlines() == [
        f"2 {lib / _bundle.layout('linux').sdk} {lib / CAMERA}", "virtual untouched"
    ], result.stderr


@linux_only
def test_wheel_layout_virtual_camera_is_loaded_first(wheel_package):
    result = run_python(SHARED_INSTANCE_CHECK, cwd=wheel_package.parent, clean=True)
    lib = wheel_package / "_lib"
    assert result.stdout.split() == [
        "shared", str(lib / "libvelmora_uvc_stereo_sdk_c.so.0"), str(lib / "virtual" / CAMERA)
    ], result.stderr


@linux_only
@pytest.mark.skipif(not CONTRACT_ONLY.is_file(), reason="needs the dev tree's contract-only camera library")
@pytest.mark.parametrize("virtual_first", [True, False])
def test_virtual_camera_beside_another_default_camera_library(wheel_package, virtual_first):
    # The default camera library is not a virtual camera (as a library for
    # real cameras will not be): uvc.virtual works only when used first.
    shutil.copy(CONTRACT_ONLY, wheel_package / "_lib" / CAMERA)
    first = "uvc.virtual.init_depth()" if virtual_first else "uvc.scan()"
    result = run_python(f"""
        import velmora_uvc_stereo as uvc
        {first}
        try:
            uvc.virtual.detach("cam1")
        except OSError as error:
            print("refused:", error)
        print(len(uvc.scan()), uvc.loaded_libraries().camera)
    """, cwd=wheel_package.parent, clean=True)
    lib = wheel_package / "_lib"
    if virtual_first:
        assert result.stdout.splitlines() == [f"1 {lib / 'virtual' / CAMERA}"], result.stderr
    else:
        refused, scanned = result.stdout.splitlines()
        assert refused.startswith(f"refused: the SDK already runs against the camera library "
                                  f"{lib / CAMERA}, which is not the virtual camera")
        assert scanned == f"2 {lib / CAMERA}"
