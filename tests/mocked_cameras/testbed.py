"""Mocked cameras in a umockdev testbed: the fixtures' sysfs trees and /dev
nodes, a chip model answering each camera's capture nodes, and a control
socket through which the program under test unplugs, replugs, injects
failures and reads the chip's query counts.

Needs Debian's umockdev, gir1.2-umockdev-1.0 and python3-gi, and must itself
run under umockdev-wrapper (the preload).
"""
from __future__ import annotations

import errno
import os
import re
import socket
import struct
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from typing import Dict, List, Optional, Sequence

import gi

gi.require_version("UMockdev", "1.0")
from gi.repository import GLib, UMockdev  # noqa: E402

from chip_model import Chip  # noqa: E402

FIXTURE_FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")
CONTROL_VARIABLE = "VELMORA_MOCK_CONTROL"

UVCIOC_CTRL_QUERY = 0xC0107521
VIDIOC_QUERYCAP = 0x80685600
QUERY_STRUCT_SIZE = 16
CAPABILITY_STRUCT_SIZE = 104
V4L2_CAP_VIDEO_CAPTURE = 0x00000001
V4L2_CAP_META_CAPTURE = 0x00800000
V4L2_CAP_STREAMING = 0x04000000
V4L2_CAP_DEVICE_CAPS = 0x80000000
VENDOR_XU_GUID = bytes.fromhex("9473DFDD3E972747BED904ED6426DC67")


def vendor_unit(descriptors: bytes) -> Optional[int]:
    """The bUnitID of the vendor extension unit in the descriptors, if any."""
    offset = 0
    while offset + 2 <= len(descriptors):
        length = descriptors[offset]
        if length < 2:
            break
        block = descriptors[offset:offset + length]
        if length >= 20 and block[1] == 0x24 and block[2] == 0x06 and block[4:20] == VENDOR_XU_GUID:
            return block[3]
        offset += length
    return None


@dataclass
class Block:
    """One device of a umockdev-record text."""

    path: str
    text: str

    def attribute(self, name: str) -> Optional[str]:
        match = re.search(rf"^[AH]: {re.escape(name)}=(.*)$", self.text, re.M)
        return match.group(1) if match else None

    def property(self, name: str) -> Optional[str]:
        match = re.search(rf"^E: {re.escape(name)}=(.*)$", self.text, re.M)
        return match.group(1) if match else None


def parse_blocks(text: str) -> List[Block]:
    blocks = []
    for chunk in re.split(r"\n\s*\n", text.strip()):
        match = re.search(r"^P: (\S+)$", chunk, re.M)
        if match:
            blocks.append(Block(match.group(1), chunk.strip() + "\n"))
    return blocks


@dataclass
class MockedCamera:
    """One USB camera of a fixture: its blocks (nodes, interface, device) and chip."""

    serial: str
    usb_path: str
    blocks: List[Block]
    chip: Chip
    node_offset: int = 0  # added to every node number of the fixture (replugging renumbers)
    handlers: List[object] = field(default_factory=list)

    def renumbered(self) -> str:
        def shift(match: "re.Match[str]") -> str:
            return f"{match.group(1)}{int(match.group(2)) + self.node_offset}"

        text = "\n".join(block.text for block in self.blocks)
        text = re.sub(r"(video)(\d+)\b", shift, text)
        return re.sub(r"(dev=81:)(\d+)\b", shift, text)

    def node_blocks(self) -> List[Block]:
        return [block for block in parse_blocks(self.renumbered()) if "/video4linux/" in block.path]


class NodeHandler(UMockdev.IoctlBase):
    """Answers the ioctls of one capture or metadata node from its camera's chip."""

    def __init__(self, chip: Chip, capture: bool) -> None:
        super().__init__()
        self.chip = chip
        self.capture = capture

    def do_handle_ioctl(self, client: UMockdev.IoctlClient) -> bool:
        request = client.get_request()
        if request == UVCIOC_CTRL_QUERY:
            self.control_query(client)
        elif request == VIDIOC_QUERYCAP:
            self.query_capabilities(client)
        else:
            client.complete(-1, errno.ENOTTY)
        return True

    def control_query(self, client: UMockdev.IoctlClient) -> None:
        query = client.get_arg().resolve(0, QUERY_STRUCT_SIZE)
        unit, selector, kind, _, size = struct.unpack_from("<BBBBH", bytes(query.retrieve()))
        error, payload = self.chip.answer(unit, selector, kind, size)
        if error == 0 and payload:
            query.resolve(8, size).update(0, payload)
        client.complete(0 if error == 0 else -1, error)

    def query_capabilities(self, client: UMockdev.IoctlClient) -> None:
        if self.chip.unplugged:
            client.complete(-1, errno.ENODEV)
            return
        caps = (V4L2_CAP_VIDEO_CAPTURE if self.capture else V4L2_CAP_META_CAPTURE) | V4L2_CAP_STREAMING
        answer = struct.pack("<16s32s32sIII12x", b"uvcvideo", self.chip.serial.encode(), b"usb-mock",
                             0x060100, caps | V4L2_CAP_DEVICE_CAPS, caps)
        client.get_arg().resolve(0, CAPABILITY_STRUCT_SIZE).update(0, answer)
        client.complete(0, 0)


class Testbed:
    def __init__(self, fixtures: Sequence[str]) -> None:
        self.bed = UMockdev.Testbed.new()
        self.cameras: Dict[str, MockedCamera] = {}
        self.used_nodes: set = set()
        for name in fixtures:
            path = name if os.sep in name else os.path.join(FIXTURE_FOLDER, name + ".umockdev")
            with open(path, encoding="utf-8") as fixture:
                self.load(fixture.read())

    def root(self) -> str:
        return self.bed.get_root_dir()

    def exists(self, sys_path: str) -> bool:
        return os.path.exists(self.bed.get_sys_dir() + sys_path)

    def load(self, text: str) -> None:
        blocks = parse_blocks(text)
        for device in (block for block in blocks if block.attribute("descriptors")):
            serial = device.attribute("serial") or device.path
            own = [block for block in blocks if block.path == device.path or block.path.startswith(device.path + "/")]
            unit = vendor_unit(bytes.fromhex(device.attribute("descriptors") or ""))
            self.cameras[serial] = MockedCamera(serial, device.path, own, Chip.for_serial(serial, unit))
        # Shared parents (host controllers, root hubs) are added once.
        fresh = [block for block in blocks if not self.exists(block.path)]
        if fresh and not self.bed.add_from_string("\n".join(block.text for block in fresh)):
            raise RuntimeError("umockdev could not add the fixture's devices")
        for camera in self.cameras.values():
            if not camera.handlers:
                self.attach(camera)

    def attach(self, camera: MockedCamera) -> None:
        camera.handlers = []
        for block in camera.node_blocks():
            handler = NodeHandler(camera.chip, block.property("ID_V4L_CAPABILITIES") == ":capture:")
            node = "/dev/" + block.path.rsplit("/", 1)[1]
            self.used_nodes.add(int(node[len("/dev/video"):]))
            if not self.bed.attach_ioctl(node, handler):
                raise RuntimeError(f"cannot attach the chip model to {node}")
            camera.handlers.append(handler)

    def camera(self, serial: str) -> MockedCamera:
        if serial not in self.cameras:
            raise KeyError(f"no mocked camera with serial {serial}")
        return self.cameras[serial]

    def unplug(self, serial: str) -> None:
        camera = self.camera(serial)
        camera.chip.unplugged = True
        # Children first, as the kernel removes them.
        for block in sorted(parse_blocks(camera.renumbered()), key=lambda b: -len(b.path)):
            if self.exists(block.path):
                self.bed.remove_device("/sys" + block.path)

    def replug(self, serial: str, first_node: Optional[int]) -> str:
        """Plugs the camera in again with its nodes renumbered from first_node
        (by default the lowest number never used): umockdev cannot make a
        node it has made before. Returns the new node names."""
        camera = self.camera(serial)
        numbers = [int(re.search(r"video(\d+)$", block.path).group(1)) - camera.node_offset
                   for block in camera.node_blocks()]
        if first_node is None:
            first_node = max(self.used_nodes) + 1
        wanted = {number - min(numbers) + first_node for number in numbers}
        if wanted & self.used_nodes:
            raise ValueError(f"nodes {sorted(wanted & self.used_nodes)} were made before; umockdev cannot make them again")
        camera.node_offset = first_node - min(numbers)
        if not self.bed.add_from_string(camera.renumbered()):
            raise RuntimeError(f"umockdev could not add {serial} again")
        camera.chip.unplugged = False
        camera.chip.failures.clear()
        self.attach(camera)
        return " ".join(block.path.rsplit("/", 1)[1] for block in camera.node_blocks())


class ControlServer:
    """Line commands from the program under test; each gets one answer line,
    "ok ..." or "error ...":
      unplug SERIAL | replug SERIAL [FIRST_NODE] (answers the new nodes) | fail SERIAL ERRNO [COUNT]
      counts SERIAL | reset-counts SERIAL | report SERIAL | last-imu SERIAL | nodes SERIAL
    """

    def __init__(self, testbed: Testbed) -> None:
        self.testbed = testbed
        self.folder = tempfile.mkdtemp(prefix="velmora-mock-")
        self.path = os.path.join(self.folder, "control")
        self.listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.listener.bind(self.path)
        self.listener.listen(8)
        self.buffers: Dict[int, bytes] = {}
        self.connections: Dict[int, socket.socket] = {}
        GLib.io_add_watch(self.listener.fileno(), GLib.PRIORITY_DEFAULT, GLib.IO_IN, self.accept)

    def accept(self, *_: object) -> bool:
        connection, _ = self.listener.accept()
        self.connections[connection.fileno()] = connection
        self.buffers[connection.fileno()] = b""
        GLib.io_add_watch(connection.fileno(), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, self.receive)
        return True

    def receive(self, fd: int, *_: object) -> bool:
        connection = self.connections[fd]
        data = connection.recv(4096)
        if not data:
            connection.close()
            del self.connections[fd]
            return False
        self.buffers[fd] += data
        while b"\n" in self.buffers[fd]:
            line, self.buffers[fd] = self.buffers[fd].split(b"\n", 1)
            connection.sendall((self.run(line.decode()) + "\n").encode())
        return True

    def run(self, line: str) -> str:
        words = line.split()
        try:
            return "ok " + self.command(words[0], words[1], words[2:])
        except (IndexError, KeyError, ValueError, RuntimeError) as problem:
            return f"error {problem}"

    def command(self, verb: str, serial: str, rest: List[str]) -> str:
        camera = self.testbed.camera(serial)
        chip = camera.chip
        if verb == "unplug":
            self.testbed.unplug(serial)
        elif verb == "replug":
            return self.testbed.replug(serial, int(rest[0]) if rest else None)
        elif verb == "fail":
            chip.failures.extend([getattr(errno, rest[0])] * (int(rest[1]) if len(rest) > 1 else 1))
        elif verb == "counts":
            return " ".join(f"{key}={value}" for key, value in sorted(chip.counts.items()))
        elif verb == "reset-counts":
            chip.counts.clear()
        elif verb == "report":
            return chip.report().hex()
        elif verb == "last-imu":
            return chip.last_imu.hex()
        elif verb == "nodes":
            return " ".join(block.path.rsplit("/", 1)[1] for block in camera.node_blocks())
        else:
            raise ValueError(f"unknown command {verb}")
        return ""

    def close(self) -> None:
        self.listener.close()
        os.unlink(self.path)
        os.rmdir(self.folder)


def run(fixtures: Sequence[str], command: Sequence[str], environment: Dict[str, str]) -> int:
    """Runs the command against the mocked cameras and returns its exit code."""
    testbed = Testbed(fixtures)
    server = ControlServer(testbed)
    env = dict(os.environ, **environment)
    env["UMOCKDEV_DIR"] = testbed.root()
    env[CONTROL_VARIABLE] = server.path
    child = subprocess.Popen(list(command), env=env)
    context = GLib.MainContext.default()
    # The chip answers only while the context runs; the timer makes sure the
    # loop looks at the child now and then.
    GLib.timeout_add(20, lambda: True)
    while child.poll() is None:
        context.iteration(True)
    server.close()
    return child.returncode


def main(argv: Sequence[str]) -> int:
    import argparse

    parser = argparse.ArgumentParser(description="Run a command against mocked cameras (under umockdev-wrapper).")
    parser.add_argument("--fixture", action="append", required=True,
                        help="a fixture name from fixtures/ or a path; repeat for several")
    parser.add_argument("--camera-library", help="the camera library to preload before everything else")
    parser.add_argument("--env", action="append", default=[], help="NAME=VALUE for the command")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args(argv)
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    environment = dict(item.split("=", 1) for item in args.env)
    if args.camera_library:
        # After umockdev's preload, which must stay first.
        environment["LD_PRELOAD"] = " ".join(filter(None, [os.environ.get("LD_PRELOAD", ""),
                                                           os.path.abspath(args.camera_library)]))
    return run(args.fixture, command, environment)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
