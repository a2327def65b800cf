"""A small model of the cameras' bridge chip as uvcvideo presents it.

It answers the extension-unit queries a UVCIOC_CTRL_QUERY carries (GET_CUR,
GET_LEN, GET_INFO) for the capability control and the IMU control of the
vendor extension unit, at whatever unit id the camera's descriptors give that
unit, refuses other controls as uvcvideo does (ENOENT), answers ENODEV once
unplugged, can be told to fail the next queries with an errno, and counts
every query by kind, unit and selector.
"""
from __future__ import annotations

import errno
import struct
from collections import Counter
from dataclasses import dataclass, field
from typing import Dict, List, Optional, Tuple

UVC_SET_CUR = 0x01
UVC_GET_CUR = 0x81
UVC_GET_LEN = 0x85
UVC_GET_INFO = 0x86
QUERY_NAMES = {UVC_SET_CUR: "SET_CUR", UVC_GET_CUR: "GET_CUR", UVC_GET_LEN: "GET_LEN", UVC_GET_INFO: "GET_INFO"}

CAPABILITY_SELECTOR = 11
CAPABILITY_SIZE = 64
INFO_GET_AND_SET = 0x03

# The IMU payload of the first read: the conversion's worked example.
FIRST_IMU_SAMPLE = bytes.fromhex("0010FFF000017FFF80000000FFFF1234A5")


def crc32c(data: bytes) -> int:
    crc = 0xFFFFFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0x82F63B78 if crc & 1 else crc >> 1
    return crc ^ 0xFFFFFFFF


@dataclass(frozen=True)
class ImuDeclaration:
    """What the capability report says about the IMU (node id as the SDK uses it)."""

    node: int
    selector: int
    length: int
    model: str = "IMU-A"
    exponent: int = 1
    temperature_offset: int = 250
    temperature_scale: int = 1280
    accel_scale: int = 2048
    gyro_scale: int = 164


@dataclass(frozen=True)
class ChipSetup:
    imu: Optional[ImuDeclaration]
    flash: Optional[Tuple[int, int]] = (0x51000, 0x10000)


def capability_report(setup: ChipSetup) -> bytes:
    """The 64-byte report: magic, version, size, capability bits, flash and
    IMU sections little-endian, CRC-32C of bytes 0..59 at 60."""
    report = bytearray(CAPABILITY_SIZE)
    report[0:4] = b"ZOVK"
    report[4], report[5], report[6] = 1, 0, CAPABILITY_SIZE
    bits = 0
    if setup.flash is not None:
        bits |= 2
        struct.pack_into("<II", report, 15, *setup.flash)
    if setup.imu is not None:
        bits |= 4
        imu = setup.imu
        report[23:31] = imu.model.encode("ascii")[:8].ljust(8, b"\0")
        report[31:35] = bytes([imu.node, imu.selector, imu.length, imu.exponent])
        struct.pack_into("<hHHH", report, 35, imu.temperature_offset, imu.temperature_scale, imu.accel_scale,
                         imu.gyro_scale)
    struct.pack_into("<Q", report, 7, bits)
    struct.pack_into("<I", report, 60, crc32c(bytes(report[:60])))
    return bytes(report)


def imu_sample(n: int, length: int) -> bytes:
    """Sample n of the IMU control: the worked example first, then a ramp with
    a 20-bit device counter stepping by 1000."""
    if n == 0:
        payload = FIRST_IMU_SAMPLE
    else:
        counter = (n * 1000) & 0xFFFFF
        payload = struct.pack(">hhhhhhh", 832, 10 * n, -10 * n, 2048, n, -n, 0)
        payload += bytes([(counter >> 8) & 0xFF, counter & 0xFF, (counter >> 16) & 0x0F])
    return payload.ljust(length, b"\0")


# The chips behind the fixtures' cameras, by USB serial number. The IMU node ids
# are the SDK's; which UVC unit they reach is the descriptors' business.
CHIPS: Dict[str, ChipSetup] = {
    "VLM643A00017": ChipSetup(ImuDeclaration(node=4, selector=10, length=17)),
    "VLM645B00342": ChipSetup(ImuDeclaration(node=4, selector=10, length=20), flash=None),
    "VLM643A00099": ChipSetup(ImuDeclaration(node=5, selector=12, length=17)),
}


@dataclass
class Chip:
    """One camera's chip. vendor_unit is the bUnitID of its vendor extension
    unit (None: the camera has none)."""

    serial: str
    vendor_unit: Optional[int]
    setup: Optional[ChipSetup]
    unplugged: bool = False
    counts: Counter = field(default_factory=Counter)
    failures: List[int] = field(default_factory=list)
    imu_reads: int = 0
    last_imu: bytes = b""

    @classmethod
    def for_serial(cls, serial: str, vendor_unit: Optional[int]) -> "Chip":
        return cls(serial, vendor_unit, CHIPS.get(serial))

    def controls(self) -> Dict[Tuple[int, int], int]:
        """(unit, selector) -> length of every control this chip answers."""
        if self.vendor_unit is None or self.setup is None:
            return {}
        found = {(self.vendor_unit, CAPABILITY_SELECTOR): CAPABILITY_SIZE}
        if self.setup.imu is not None:
            found[(self.vendor_unit, self.setup.imu.selector)] = self.setup.imu.length
        return found

    def report(self) -> bytes:
        return capability_report(self.setup) if self.setup is not None else b""

    def answer(self, unit: int, selector: int, query: int, size: int) -> Tuple[int, bytes]:
        """(errno, payload) for one query; payload is written only on success."""
        self.counts[f"{QUERY_NAMES.get(query, hex(query))}:{unit}:{selector}"] += 1
        if self.unplugged:
            return errno.ENODEV, b""
        if self.failures:
            return self.failures.pop(0), b""
        length = self.controls().get((unit, selector))
        if length is None:
            return errno.ENOENT, b""
        if query == UVC_GET_LEN:
            return (0, struct.pack("<H", length)) if size == 2 else (errno.ENOBUFS, b"")
        if query == UVC_GET_INFO:
            return (0, bytes([INFO_GET_AND_SET])) if size == 1 else (errno.ENOBUFS, b"")
        if query != UVC_GET_CUR:
            return errno.EIO, b""
        if size != length:
            return errno.ENOBUFS, b""
        if selector == CAPABILITY_SELECTOR:
            return 0, self.report()
        self.last_imu = imu_sample(self.imu_reads, length)
        self.imu_reads += 1
        return 0, self.last_imu
