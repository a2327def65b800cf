"""Error codes of the SDK and the exceptions that carry them: one class per code."""
from __future__ import annotations

import enum
from typing import Any, Dict, Optional, Tuple, Type


class ErrorCode(enum.IntEnum):
    """The SDK's fifteen error codes; the numbers are the C interface's return codes.
    The CamelCase names of earlier releases stay as aliases (ErrorCode.InvalidArgument)."""

    OK = 0
    INVALID_ARGUMENT = 1
    BACKEND_ERROR = 2
    DEVICE_UNAVAILABLE = 3
    READ_FAILED = 4
    WRITE_FAILED = 5
    ERASE_FAILED = 6
    BAD_MAGIC = 7
    UNSUPPORTED_VERSION = 8
    INVALID_HEADER = 9
    INVALID_LENGTH = 10
    CRC_MISMATCH = 11
    INVALID_JSON = 12
    INTERNAL_ERROR = 13
    NOT_SUPPORTED = 14

    # Earlier names, kept so that existing code goes on working.
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
    """A failure reported by the SDK: its code and its own message text. The
    package raises the subclass of the code (CrcMismatchError, ...)."""

    code: ErrorCode

    def __init__(self, code: ErrorCode, message: str) -> None:
        super().__init__(code, message)
        self.code = ErrorCode(code)
        self.message = message

    def __str__(self) -> str:
        return self.message

    def __repr__(self) -> str:
        return f"{type(self).__name__}({self.code.name}, {self.message!r})"

    def __reduce__(self) -> Tuple[Any, ...]:
        # Rebuilt through error_for, so that a pickled error comes back as its own class.
        return (error_for, (int(self.code), self.message), self._extra_state())

    def _extra_state(self) -> Optional[Dict[str, Any]]:
        return None


class _CodedError(VelmoraError):
    """A VelmoraError whose class fixes the code: raised as CrcMismatchError(message)."""

    def __init__(self, message: str) -> None:
        super().__init__(type(self).code, message)


class InvalidArgumentError(_CodedError):
    code = ErrorCode.INVALID_ARGUMENT


class BackendError(_CodedError):
    code = ErrorCode.BACKEND_ERROR


class DeviceUnavailableError(_CodedError):
    code = ErrorCode.DEVICE_UNAVAILABLE


class ReadFailedError(_CodedError):
    code = ErrorCode.READ_FAILED


class WriteFailedError(_CodedError):
    code = ErrorCode.WRITE_FAILED


class EraseFailedError(_CodedError):
    code = ErrorCode.ERASE_FAILED


class BadMagicError(_CodedError):
    code = ErrorCode.BAD_MAGIC


class UnsupportedVersionError(_CodedError):
    code = ErrorCode.UNSUPPORTED_VERSION


class InvalidHeaderError(_CodedError):
    code = ErrorCode.INVALID_HEADER


class InvalidLengthError(_CodedError):
    code = ErrorCode.INVALID_LENGTH


class CrcMismatchError(_CodedError):
    code = ErrorCode.CRC_MISMATCH


class InvalidJsonError(_CodedError):
    """Also raised by read_json for a stored document that is not UTF-8 text;
    raw then holds the stored bytes (None when the SDK refused the text)."""

    code = ErrorCode.INVALID_JSON

    def __init__(self, message: str, raw: Optional[bytes] = None) -> None:
        super().__init__(message)
        self.raw = raw

    def _extra_state(self) -> Optional[Dict[str, Any]]:
        return {"raw": self.raw}


class InternalError(_CodedError):
    code = ErrorCode.INTERNAL_ERROR


class NotSupportedError(_CodedError):
    code = ErrorCode.NOT_SUPPORTED


ERROR_CLASSES: Dict[ErrorCode, Type[_CodedError]] = {
    cls.code: cls for cls in _CodedError.__subclasses__()
}


def error_code(value: int) -> ErrorCode:
    """The ErrorCode of a C return code; a number outside the table counts as internal."""
    try:
        return ErrorCode(value)
    except ValueError:
        return ErrorCode.INTERNAL_ERROR


def error_for(code: int, message: str) -> VelmoraError:
    """The exception of a C return code, of the code's own class."""
    cls = ERROR_CLASSES.get(error_code(code))
    return cls(message) if cls is not None else VelmoraError(ErrorCode.OK, message)


# The SDK's own text for any call on a closed device.
CLOSED_DEVICE_MESSAGE = "device is closed or moved-from"
CLOSED_SESSION_MESSAGE = "IMU session is closed"
SESSION_OPEN_MESSAGE = "an IMU session is already open on this device"


def closed_device_error() -> VelmoraError:
    return InvalidArgumentError(CLOSED_DEVICE_MESSAGE)


ERROR_CLASS_NAMES = tuple(cls.__name__ for cls in ERROR_CLASSES.values())
