"""A base for objects that a with block closes."""
from __future__ import annotations

from types import TracebackType
from typing import Optional, Type, TypeVar

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
