"""The ctypes mirrors against the C header, and the checks that catch a mismatched library."""
from __future__ import annotations

import ctypes
import re

import pytest

from conftest import REPOSITORY
from velmora_uvc_stereo import _library
from velmora_uvc_stereo import _structures as s

HEADER = (REPOSITORY / "include" / "velmora_uvc_stereo_c.h").read_text()

MIRRORS = {
    "velmora_uvc_stereo_ctx_config": s.CtxConfig,
    "velmora_uvc_stereo_opencv_index": s.OpenCvIndex,
    "velmora_uvc_stereo_device_info": s.CDeviceInfo,
    "velmora_uvc_stereo_open_device_options": s.OpenDeviceOptions,
    "velmora_uvc_stereo_imu_conversion_options": s.CImuConversion,
    "velmora_uvc_stereo_capability_info": s.CCapabilityInfo,
    "velmora_uvc_stereo_read_imu_result": s.CReadImuResult,
    "velmora_uvc_stereo_converted_imu_result": s.CConvertedImuResult,
}


def header_fields() -> dict:
    """Field names of every structure the header defines, in order."""
    fields = {}
    for name, body in re.findall(r"struct (\w+) \{(.*?)\}", HEADER, re.S):
        body = re.sub(r"/\*.*?\*/", "", body, flags=re.S)
        fields[name] = re.findall(r"(\w+)(?:\[\w+\])?;", body)
    return fields


def header_offsets() -> list:
    checks = re.findall(r"OFFSET_CHECK\((\w+), (\w+), (\d+)\)", HEADER)
    checks += re.findall(r"offsetof\(struct (\w+), (\w+)\) == (\d+)", HEADER)
    return [(structure, field, int(offset)) for structure, field, offset in checks]


def header_sizes() -> list:
    return [(name, int(size)) for name, size in re.findall(r"sizeof\((?:struct )?(\w+)\) == (\d+)", HEADER)]


def test_every_header_structure_is_mirrored_field_by_field():
    fields = header_fields()
    assert set(fields) == set(MIRRORS)
    for name, mirror in MIRRORS.items():
        assert [field[0] for field in mirror._fields_] == fields[name], name


@pytest.mark.parametrize("structure", sorted(MIRRORS))
def test_offsets_and_size_match_the_header(structure):
    mirror = MIRRORS[structure]
    expected = {field: offset for name, field, offset in header_offsets() if name == structure}
    assert {field: getattr(mirror, field).offset for field in expected} == expected
    assert [size for name, size in header_sizes() if name == structure] == [ctypes.sizeof(mirror)]


def test_wrong_size_fails_the_import_check(monkeypatch):
    monkeypatch.setattr(s, "ABI_SIZES", s.ABI_SIZES + [(s.CReadImuResult, 24)])
    with pytest.raises(ImportError, match="CReadImuResult is 32 bytes, expected 24"):
        s.check_sizes()


class FakeApi:
    """Initialisers of a library that lays its structures out differently."""

    def __init__(self, struct_size=176, overrun=0, magic_offset=8):
        self.struct_size, self.overrun, self.magic_offset = struct_size, overrun, magic_offset

    def capability_info_init(self, pointer):
        ctypes.memset(pointer, 0, ctypes.sizeof(s.CCapabilityInfo) + self.overrun)
        pointer.contents.struct_size = self.struct_size

    def ctx_config_init_default(self, pointer):
        ctypes.memmove(ctypes.addressof(pointer.contents) + self.magic_offset,
                       (0x5A4F564B).to_bytes(4, "little"), 4)

    def imu_conversion_options_init_default(self, pointer):
        pointer.contents.accel_lsb_per_g = 2048.0


@pytest.mark.parametrize("fake, problem", [
    (FakeApi(struct_size=200), "struct_size is 200"),
    (FakeApi(overrun=8), "CCapabilityInfo is written beyond its size"),
    (FakeApi(magic_offset=12), "flash magic elsewhere"),
])
def test_mismatched_library_is_refused(fake, problem):
    with pytest.raises(OSError, match=problem):
        _library._check_abi(fake)
    _library._check_abi(FakeApi())  # the matching layout passes
