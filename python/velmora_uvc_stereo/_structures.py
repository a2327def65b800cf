"""ctypes mirrors of the structures of velmora_uvc_stereo_c.h, checked at import."""
from __future__ import annotations

import ctypes
from typing import List, Tuple, Type

MAX_OPENCV_INDICES = 8
CAPABILITY_INFO_SIZE = 176


class CtxConfig(ctypes.Structure):
    """velmora_uvc_stereo_ctx_config: the flash layout of a context."""

    _fields_ = [
        ("flash_user_space_address", ctypes.c_uint32),
        ("flash_sector_size", ctypes.c_uint32),
        ("flash_magic", ctypes.c_uint32),
        ("flash_user_space_size", ctypes.c_uint32),
        ("min_header_size", ctypes.c_uint16),
        ("max_header_size", ctypes.c_uint16),
        ("verify_crc", ctypes.c_int32),
        ("verify_after_write", ctypes.c_int32),
    ]


class OpenCvIndex(ctypes.Structure):
    """velmora_uvc_stereo_opencv_index: one capture index under one back-end."""

    _fields_ = [("backend", ctypes.c_int32), ("index", ctypes.c_int32)]


class CDeviceInfo(ctypes.Structure):
    """struct velmora_uvc_stereo_device_info: one camera; texts are NUL-terminated UTF-8."""

    _fields_ = [
        ("vid", ctypes.c_uint16),
        ("pid", ctypes.c_uint16),
        ("aux_flag_0", ctypes.c_uint8),
        ("aux_flag_1", ctypes.c_uint8),
        ("serial_number", ctypes.c_char * 256),
        ("descriptor_text", ctypes.c_char * 256),
        ("name", ctypes.c_char * 256),
        ("aux_text", ctypes.c_char * 512),
        ("device_path", ctypes.c_char * 512),
        ("opencv_index_count", ctypes.c_uint64),
        ("opencv_indices", OpenCvIndex * MAX_OPENCV_INDICES),
    ]


class OpenDeviceOptions(ctypes.Structure):
    """velmora_uvc_stereo_open_device_options: what opening must verify."""

    _fields_ = [("required_capabilities", ctypes.c_uint32)]


class CImuConversion(ctypes.Structure):
    """velmora_uvc_stereo_imu_conversion_options: scale values for raw IMU counts."""

    _fields_ = [
        ("temperature_offset_c", ctypes.c_double),
        ("temperature_lsb_per_c", ctypes.c_double),
        ("accel_lsb_per_g", ctypes.c_double),
        ("gyro_lsb_per_dps", ctypes.c_double),
    ]


class CCapabilityInfo(ctypes.Structure):
    """velmora_uvc_stereo_capability_info: the capability report an open device knows."""

    _fields_ = [
        ("struct_size", ctypes.c_uint32),
        ("state", ctypes.c_uint32),
        ("message", ctypes.c_char * 64),
        ("has_report", ctypes.c_uint8),
        ("major_version", ctypes.c_uint8),
        ("minor_version", ctypes.c_uint8),
        ("has_flash", ctypes.c_uint8),
        ("capability_bits", ctypes.c_uint64),
        ("flash_user_space_address", ctypes.c_uint32),
        ("flash_user_space_size", ctypes.c_uint32),
        ("has_imu", ctypes.c_uint8),
        ("imu_model", ctypes.c_char * 9),
        ("imu_xu_unit", ctypes.c_uint8),
        ("imu_xu_selector", ctypes.c_uint8),
        ("imu_xu_length", ctypes.c_uint8),
        ("imu_decimal_exponent", ctypes.c_uint8),
        ("imu_conversion", CImuConversion),
        ("reserved", ctypes.c_uint8 * 32),
    ]


class CReadImuResult(ctypes.Structure):
    """velmora_uvc_stereo_read_imu_result: one raw IMU sample."""

    _fields_ = [
        ("timestamp_ns", ctypes.c_uint64),
        ("device_timestamp", ctypes.c_uint32),
        ("temperature_raw", ctypes.c_int16),
        ("accel_raw", ctypes.c_int16 * 3),
        ("gyro_raw", ctypes.c_int16 * 3),
    ]


class CConvertedImuResult(ctypes.Structure):
    """velmora_uvc_stereo_converted_imu_result: one IMU sample in physical units."""

    _fields_ = [
        ("timestamp_ns", ctypes.c_uint64),
        ("temperature_c", ctypes.c_double),
        ("accel_g", ctypes.c_double * 3),
        ("gyro_dps", ctypes.c_double * 3),
    ]


# The sizes the C interface fixes; a mirror that disagrees would corrupt memory.
ABI_SIZES: List[Tuple[Type[ctypes.Structure], int]] = [
    (CDeviceInfo, 1872),
    (CCapabilityInfo, CAPABILITY_INFO_SIZE),
    (CImuConversion, 32),
    (CConvertedImuResult, 64),
    (CtxConfig, 28),
    (OpenCvIndex, 8),
    (CReadImuResult, 32),
    (OpenDeviceOptions, 4),
]


def check_sizes() -> None:
    """Raises ImportError when a mirrored structure does not have its fixed size."""
    wrong = [
        f"{structure.__name__} is {ctypes.sizeof(structure)} bytes, expected {size}"
        for structure, size in ABI_SIZES
        if ctypes.sizeof(structure) != size
    ]
    if wrong:
        raise ImportError("velmora_uvc_stereo structure layout mismatch: " + "; ".join(wrong))


check_sizes()
