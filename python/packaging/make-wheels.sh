#!/usr/bin/env bash
# Makes the package's three wheels in OUT from build trees that are already built:
#   velmora_uvc_stereo-<v>-py3-none-any.whl                  no library (pip, from python/)
#   velmora_uvc_stereo-<v>-py3-none-manylinux_2_36_x86_64.whl the release tree's libraries
#   velmora_uvc_stereo-<v>-py3-none-win_amd64.whl             the mingw tree's DLLs
# (the manylinux tag follows the glibc of this machine). Offline: Debian's
# interpreter with its setuptools and wheel.
#   make-wheels.sh OUT RELEASE_TREE MINGW_TREE
set -euo pipefail
out=$1 release=$2 mingw=$3
here=$(dirname "$0")
python=/usr/bin/python3

rm -rf "$out" "$here/../build" "$here"/../*.egg-info
mkdir -p "$out"
"$python" -m venv --system-site-packages "$out/build-venv"
"$out/build-venv/bin/pip" wheel --quiet --no-build-isolation --no-index --no-deps -w "$out" "$here/.."
rm -rf "$here/../build" "$here"/../*.egg-info
pure=$(ls "$out"/velmora_uvc_stereo-*-py3-none-any.whl)

# The Linux libraries as the install rules lay them out: stripped, run path
# $ORIGIN; the camera library over uvcvideo as the default, the virtual camera
# from its own folder.
cmake --install "$release" --prefix "$out/linux-prefix" --strip >/dev/null
lib=$out/linux-prefix/lib
"$python" "$here/wheels.py" build --pure "$pure" --platform linux --out "$out" \
    --sdk "$lib/libvelmora_uvc_stereo_sdk_c.so.0" --camera "$lib/libSonixCamera.so.1" \
    --virtual-camera "$lib/velmora-uvc-stereo-sdk/virtual-camera/libSonixCamera.so.1"
"$python" "$here/wheels.py" build --pure "$pure" --platform windows --out "$out" \
    --sdk "$mingw/bin/velmora_uvc_stereo_sdk_c.dll" --virtual-camera "$mingw/bin/SonixCamera.dll" \
    --strip x86_64-w64-mingw32-strip
