"""Which libraries a platform wheel carries, and where inside the package.

This is the one place that knows it: the loader (_library) looks here, and the
wheel builder (python/packaging/wheels.py) puts the files here.

    velmora_uvc_stereo/_lib/            the SDK's C library, and the camera
                                        library it runs against by default
    velmora_uvc_stereo/_lib/virtual/    the virtual camera, loaded only by
                                        velmora_uvc_stereo.virtual (and so by
                                        the virtual_cameras fixture)

Linux: the camera library in _lib/ is the project's library over uvcvideo,
which reaches real cameras (libSonixCamera.so.1, the soname the C library
links); python/packaging/make-wheels.sh passes it as --camera. The virtual
camera carries the same soname and lies in _lib/virtual/.

Windows: the camera library is the vendor's SonixCamera.dll, which is not
ours to ship: the user puts it beside the C library in _lib/, or in a folder
given to os.add_dll_directory. The virtual camera's SonixCamera.dll is there
for tests in _lib/virtual/, never loaded unless velmora_uvc_stereo.virtual is.
"""
from __future__ import annotations

import os
import sys
from dataclasses import dataclass

PACKAGE_DIR = os.path.dirname(os.path.abspath(__file__))
LIB_DIR = os.path.join(PACKAGE_DIR, "_lib")
VIRTUAL_DIR = os.path.join(LIB_DIR, "virtual")


@dataclass(frozen=True)
class Layout:
    """The file names of one platform's libraries inside _lib/."""

    sdk: str                     # the C library
    camera: str                  # the camera library, named as the C library links it
    bundles_default_camera: bool  # whether a wheel puts a camera library in _lib/ itself


LAYOUTS = {
    "linux": Layout(sdk="libvelmora_uvc_stereo_sdk_c.so.0", camera="libSonixCamera.so.1",
                    bundles_default_camera=True),
    "win32": Layout(sdk="velmora_uvc_stereo_sdk_c.dll", camera="SonixCamera.dll",
                    bundles_default_camera=False),
}


def layout(platform: str = sys.platform) -> Layout:
    return LAYOUTS["win32" if platform == "win32" else "linux"]
