"""The desk workflow: find a camera, open its video with OpenCV, read its
calibration JSON and 100 IMU samples.

    python desk_workflow.py [--serial SERIAL] [--samples N] [--virtual]

The video step needs OpenCV (cv2) and one of the Windows back-ends (Media
Foundation or DirectShow) that list the camera; elsewhere it is skipped.
Without hardware, --virtual runs it against the virtual camera's two cameras.
"""
from __future__ import annotations

import argparse
import statistics
import sys
from typing import List, Optional, Sequence, Tuple

import velmora_uvc_stereo as uvc

# The back-ends the SDK gives capture indices for, in the order to try them.
CAPTURE_BACKENDS = (uvc.OpenCvBackend.CAP_MSMF, uvc.OpenCvBackend.CAP_DSHOW)


def capture_backends_available() -> bool:
    """Media Foundation and DirectShow exist on Windows only."""
    return sys.platform == "win32"


def find_camera(serial: Optional[str]) -> Optional[uvc.DeviceInfo]:
    cameras = uvc.scan(require_serial_number=serial is not None)
    for info in cameras:
        if serial is None or info.serial_number == serial:
            return info
    return None


def grab_frame(info: uvc.DeviceInfo) -> Optional[Tuple[str, Tuple[int, ...]]]:
    """Opens the camera's video under the first back-end that has it and reads one
    frame: (back-end name, frame shape), or None when no back-end can."""
    if not capture_backends_available():
        return None
    try:
        import cv2
    except ImportError:
        return None
    for backend in CAPTURE_BACKENDS:
        index = info.opencv_indices.get(backend)
        if index is None:
            continue
        capture = cv2.VideoCapture(index, int(backend))
        try:
            if capture.isOpened():
                ok, frame = capture.read()
                if ok:
                    return backend.name, tuple(frame.shape)
        finally:
            capture.release()
    return None


def read_imu(cam: uvc.Device, count: int) -> List[uvc.ImuValues]:
    """count samples in physical units, with the camera's own scale values."""
    with cam.imu() as imu:
        return [imu.read_converted()[1] for _ in range(count)]


def print_imu_summary(values: Sequence[uvc.ImuValues]) -> None:
    print(f"IMU: {len(values)} samples")
    if not values:
        return
    print(f"  temperature {statistics.fmean(v.temperature_c for v in values):.2f} C")
    for axis, name in enumerate("xyz"):
        accel = statistics.fmean(v.accel_g[axis] for v in values)
        gyro = statistics.fmean(v.gyro_dps[axis] for v in values)
        print(f"  {name}: accel {accel:+.3f} g, gyro {gyro:+.2f} dps (means)")


def main(argv: Optional[Sequence[str]] = None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--serial", help="the camera's serial number (default: the first camera)")
    parser.add_argument("--samples", type=int, default=100, help="IMU samples to read (100)")
    parser.add_argument("--virtual", action="store_true",
                        help="use the virtual camera's two cameras instead of real ones")
    args = parser.parse_args(argv)
    if args.virtual:
        # Must come before the first scan: it loads the virtual camera in
        # place of the real camera library.
        import velmora_uvc_stereo.virtual

        velmora_uvc_stereo.virtual.load_default()

    info = find_camera(args.serial)
    if info is None:
        print("no camera found", file=sys.stderr)
        return 1
    indices = ", ".join(f"{backend.name}={index}" for backend, index in info.opencv_indices.items())
    print(f"camera: {info.name}, serial {info.serial_number}, OpenCV {indices or 'none'}")

    frame = grab_frame(info)
    if frame is None:
        print("video: skipped (no OpenCV back-end here has the camera)")
    else:
        print(f"video: one {frame[1]} frame through {frame[0]}")

    try:
        with uvc.open_device(info) as cam:
            try:
                calibration = cam.read_json()
                print(f"calibration (record version {calibration.version}): {calibration.text}")
            except uvc.BadMagicError:
                print("calibration: none stored on this camera")
            print_imu_summary(read_imu(cam, args.samples))
    except uvc.VelmoraError as error:
        print(f"error: {error} ({error.code.name}, {int(error.code)})", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
