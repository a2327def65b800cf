#!/usr/bin/env python3
"""Writes the sysfs fixtures of the mocked cameras (fixtures/*.umockdev).

Each fixture is what umockdev-record prints for a small machine: the USB
camera's video4linux nodes, its USB interface, its USB device (ids, strings
and the raw `descriptors` attribute) and the host controller above. The
fixtures can be loaded together: their ports and node numbers differ.

The descriptors are those of a plain UVC 1.1 camera: one configuration with a
video-control interface (camera terminal, processing unit, the extension units,
output terminal, interrupt endpoint) and a video-streaming interface with one
MJPEG format. Run this script again after changing it; the files are checked in.
"""
from __future__ import annotations

import os
import struct
from dataclasses import dataclass, field
from typing import List, Optional

# The bridge chip's extension unit, bytes in the order of Windows' GUID
# structure (which is also UVC's order).
VENDOR_XU_GUID = bytes.fromhex("9473DFDD3E972747BED904ED6426DC67")
# Another extension unit on the same cameras, at unit 4: a library that took the
# SDK's node id for the UVC unit would talk to this one.
OTHER_XU_GUID = bytes.fromhex("2B78E5A8E836174A84ABA38E1B0D2D0F")

TERMINAL_ID = 1
PROCESSING_UNIT_ID = 9
OUTPUT_TERMINAL_ID = 10
OTHER_XU_ID = 4


def extension_unit(unit_id: int, guid: bytes, source: int) -> bytes:
    controls = b"\xff\x0f"
    body = struct.pack("<BBB", 0x24, 0x06, unit_id) + guid + bytes([len(controls) * 8, 1, source, len(controls)])
    body += controls + b"\x00"
    return bytes([len(body) + 1]) + body


def video_control(interface: int, vendor_xu: Optional[int], streaming: int) -> bytes:
    camera_terminal = bytes([18, 0x24, 0x02, TERMINAL_ID, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0])
    processing = bytes([11, 0x24, 0x05, PROCESSING_UNIT_ID, TERMINAL_ID, 0, 0, 2, 0x7F, 0x15, 0])
    units = camera_terminal + processing
    source = PROCESSING_UNIT_ID
    if vendor_xu is not None:
        units += extension_unit(vendor_xu, VENDOR_XU_GUID, source)
        source = vendor_xu
    units += extension_unit(OTHER_XU_ID, OTHER_XU_GUID, source)
    units += bytes([9, 0x24, 0x03, OUTPUT_TERMINAL_ID, 0x01, 0x01, 0, OTHER_XU_ID, 0])
    header_length = 13
    header = struct.pack("<BBBHHIBB", header_length, 0x24, 0x01, 0x0110, header_length + len(units), 48000000, 1,
                         streaming)
    interface_descriptor = bytes([9, 0x04, interface, 0, 1, 0x0E, 0x01, 0x00, 5])
    endpoint = bytes([7, 0x05, 0x83, 0x03, 0x10, 0x00, 0x06]) + bytes([5, 0x25, 0x03, 0x10, 0x00])
    return interface_descriptor + header + units + endpoint


def video_streaming(interface: int) -> bytes:
    # One MJPEG format (class-specific subtype 0x06, as an extension unit's
    # is on the control interface) with one 640x480 frame.
    mjpeg = bytes([11, 0x24, 0x06, 1, 1, 0x01, 1, 0, 0, 0, 0])
    frame = struct.pack("<BBBBBHHIIII", 30, 0x24, 0x07, 1, 0, 640, 480, 18432000, 147456000, 614400, 333333)
    frame += bytes([1]) + struct.pack("<I", 333333)
    color = bytes([6, 0x24, 0x0D, 1, 1, 4])
    formats = mjpeg + frame + color
    header = struct.pack("<BBBBHBBBBBBBB", 14, 0x24, 0x01, 1, 14 + len(formats), 0x82, 0, OUTPUT_TERMINAL_ID, 0, 0,
                         0, 1, 0)
    idle = bytes([9, 0x04, interface, 0, 0, 0x0E, 0x02, 0, 0])
    active = bytes([9, 0x04, interface, 1, 1, 0x0E, 0x02, 0, 0]) + bytes([7, 0x05, 0x82, 0x05, 0x00, 0x14, 1])
    return idle + header + formats + active


def descriptors(vid: int, pid: int, vendor_xu: Optional[int]) -> bytes:
    device = struct.pack("<BBHBBBBHHHBBBB", 18, 0x01, 0x0200, 0xEF, 0x02, 0x01, 64, vid, pid, 0x0100, 1, 2, 3, 1)
    association = bytes([8, 0x0B, 0, 2, 0x0E, 0x03, 0, 2])
    body = association + video_control(0, vendor_xu, 1) + video_streaming(1)
    configuration = struct.pack("<BBHBBBBB", 9, 0x02, 9 + len(body), 2, 1, 0, 0x80, 250)
    return device + configuration + body


@dataclass
class Node:
    number: int
    capture: bool
    index: Optional[int]  # the sysfs attribute; None leaves it out


@dataclass
class Camera:
    bus: int
    port: str  # "1" or "1.4"
    vid: int
    pid: int
    product: str
    serial: Optional[str]
    vendor_xu: Optional[int]
    nodes: List[Node]
    interface_text: Optional[str] = None
    manufacturer: str = "Velmora"
    controller: str = "0000:00:14.0"
    extra: List[str] = field(default_factory=list)


def camera_text(camera: Camera) -> str:
    usb = f"/devices/pci0000:00/{camera.controller}/usb{camera.bus}/{camera.bus}-{camera.port}"
    interface = f"{usb}/{camera.bus}-{camera.port}:1.0"
    blocks = []
    for node in camera.nodes:
        lines = [f"P: {interface}/video4linux/video{node.number}", f"N: video{node.number}",
                 f"E: DEVNAME=/dev/video{node.number}", "E: SUBSYSTEM=video4linux",
                 f"E: ID_V4L_CAPABILITIES={':capture:' if node.capture else ':'}",
                 f"A: dev=81:{node.number}"]
        if node.index is not None:
            lines.append(f"A: index={node.index}")
        lines.append(f"A: name={camera.product}")
        blocks.append(lines)
    interface_lines = [f"P: {interface}", "E: DEVTYPE=usb_interface", "E: DRIVER=uvcvideo", "E: SUBSYSTEM=usb",
                       "A: bInterfaceClass=0e", "A: bInterfaceNumber=00", "A: bInterfaceSubClass=01"]
    if camera.interface_text:
        interface_lines.append(f"A: interface={camera.interface_text}")
    blocks.append(interface_lines)
    device_lines = [f"P: {usb}", "E: DEVTYPE=usb_device", "E: DRIVER=usb",
                    "E: SUBSYSTEM=usb", "A: bConfigurationValue=1", "A: bcdDevice=0100", f"A: busnum={camera.bus}",
                    f"A: devpath={camera.port}", f"A: idProduct={camera.pid:04x}", f"A: idVendor={camera.vid:04x}",
                    f"A: manufacturer={camera.manufacturer}", f"A: product={camera.product}"]
    if camera.serial:
        device_lines.append(f"A: serial={camera.serial}")
    device_lines.append("H: descriptors=" + descriptors(camera.vid, camera.pid, camera.vendor_xu).hex().upper())
    blocks.append(device_lines)
    blocks.append([f"P: /devices/pci0000:00/{camera.controller}/usb{camera.bus}", "E: DEVTYPE=usb_device",
                   "E: SUBSYSTEM=usb", "A: idProduct=0002", "A: idVendor=1d6b", f"A: busnum={camera.bus}"])
    blocks.append([f"P: /devices/pci0000:00/{camera.controller}", "E: DRIVER=xhci_hcd", "E: SUBSYSTEM=pci"])
    return "\n\n".join("\n".join(lines) for lines in blocks) + "\n"


FIXTURES = {
    # One reporting camera: its extension unit is unit 3.
    "one-camera": [
        Camera(1, "1", 0x0C45, 0x0643, "Velmora Stereo S1", "VLM643A00017", 3, [Node(0, True, 0)],
               interface_text="Velmora Stereo Camera"),
    ],
    # Two reporting cameras, each with a metadata node beside its capture
    # node: one says so by its sysfs index, the other (a node whose index is
    # not exposed) only when asked (VIDIOC_QUERYCAP). The second lies behind a hub.
    "two-cameras": [
        Camera(1, "2", 0x0C45, 0x0645, "Velmora Stereo S2", "VLM645B00342", 6,
               [Node(2, True, 0), Node(3, False, 1)]),
        Camera(2, "1.4", 0x0C45, 0x0643, "Velmora Stereo S1", "VLM643A00099", 2,
               [Node(4, True, 0), Node(5, False, None)]),
    ],
    # A whitelisted camera whose bridge chip has no vendor extension unit.
    "legacy-camera": [
        Camera(3, "1", 0x0C45, 0x2502, "Velmora Mono M1", "VLM2502C00005", None, [Node(6, True, 0), Node(7, False, 1)],
               controller="0000:00:15.0"),
    ],
    # Another maker's webcam: listed by the camera library, never by the SDK's scan.
    "other-webcam": [
        Camera(1, "3", 0x046D, 0x0825, "Webcam C270", None, None, [Node(8, True, 0)], manufacturer="Other"),
    ],
}


def main() -> None:
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")
    os.makedirs(folder, exist_ok=True)
    for name, cameras in FIXTURES.items():
        text = "\n".join(camera_text(camera) for camera in cameras)
        with open(os.path.join(folder, name + ".umockdev"), "w", encoding="utf-8") as out:
            out.write(text)


if __name__ == "__main__":
    main()
