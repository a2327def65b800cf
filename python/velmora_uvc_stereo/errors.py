"""Error codes of the SDK and the exception that carries them."""
from __future__ import annotations

import enum


class ErrorCode(enum.IntEnum):
    """The SDK's fifteen error codes; the numbers are the C interface's return codes."""

    Ok = 0
    InvalidArgument = 1
    BackendError = 2
    DeviceUnavailable = 3
    ReadFailed = 4
    WriteFailed = 5
    EraseFailed = 6
    BadMagic = 7
    UnsupportedVersion = 8
    InvalidHeader = 9
    InvalidLength = 10
    CrcMismatch = 11
    InvalidJson = 12
    InternalError = 13
    NotSupported = 14


class VelmoraError(Exception):
    """A failure reported by the SDK: its code and its own message text."""

    def __init__(self, code: ErrorCode, message: str) -> None:
        super().__init__(message)
        self.code = code
        self.message = message

    def __str__(self) -> str:
        return self.message

    def __repr__(self) -> str:
        return f"VelmoraError({self.code.name}, {self.message!r})"


def error_code(value: int) -> ErrorCode:
    """The ErrorCode of a C return code; a number outside the table counts as internal."""
    try:
        return ErrorCode(value)
    except ValueError:
        return ErrorCode.InternalError


# The SDK's own text for any call on a closed device.
CLOSED_DEVICE_MESSAGE = "device is closed or moved-from"


def closed_device_error() -> VelmoraError:
    return VelmoraError(ErrorCode.InvalidArgument, CLOSED_DEVICE_MESSAGE)
