"""A base for objects that own a C handle: a with block closes them, and they
cannot be copied or pickled (a copy would close the original's handle)."""
from __future__ import annotations

from types import TracebackType
from typing import Any, NoReturn, Optional, Type, TypeVar

_Self = TypeVar("_Self", bound="Closing")


class Closing:
    """Closes itself on leaving a with block, whether the block ends normally or raises."""

    def close(self) -> None:
        raise NotImplementedError

    def __enter__(self: _Self) -> _Self:
        return self

    def __exit__(
        self,
        exc_type: Optional[Type[BaseException]],
        exc: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> None:
        self.close()

    def _refuse(self, what: str) -> NoReturn:
        raise TypeError(f"a {type(self).__name__} owns a camera handle and cannot be {what}")

    def __copy__(self) -> NoReturn:
        self._refuse("copied")

    def __deepcopy__(self, memo: Any) -> NoReturn:
        self._refuse("copied")

    def __reduce_ex__(self, protocol: Any) -> NoReturn:
        self._refuse("pickled")
