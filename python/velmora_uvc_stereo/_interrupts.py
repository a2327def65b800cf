"""Holding back Ctrl-C around C calls whose effects must not be cut in half.

A C call cannot be interrupted, but the KeyboardInterrupt that Ctrl-C raises
arrives as soon as the call returns: between opening an IMU session and
handing its object to the caller, for example, where the session would be left
open with nobody to close it. Inside a Deferred block SIGINT (and SIGTERM)
are only noted; they are delivered again, to the handlers the program had,
when the block ends, once the package's state is whole again.
"""
from __future__ import annotations

import signal
import threading
from types import FrameType
from typing import Any, Dict, List, Optional

_SIGNALS = tuple(getattr(signal, name) for name in ("SIGINT", "SIGTERM") if hasattr(signal, name))


def _deferrable(handler: Any) -> bool:
    # A Python handler, or the default action (which the signal gets again on
    # delivery). An ignored signal stays ignored; None means a handler set
    # outside Python, which this module must not replace.
    return callable(handler) or handler == signal.SIG_DFL


class Deferred:
    """with Deferred() as held: ... -- signals arriving inside the block are
    delivered when it ends; held.interrupted says whether one arrived.

    Only the main thread runs Python signal handlers (and so only it sees
    KeyboardInterrupt); in other threads the block changes nothing."""

    __slots__ = ("_previous", "_pending")

    def __init__(self) -> None:
        self._previous: Dict[int, Any] = {}
        self._pending: List[int] = []

    @property
    def interrupted(self) -> bool:
        return bool(self._pending)

    def _hold(self, signum: int, frame: Optional[FrameType]) -> None:
        self._pending.append(signum)

    def __enter__(self) -> "Deferred":
        if threading.current_thread() is threading.main_thread():
            for signum in _SIGNALS:
                handler = signal.getsignal(signum)
                if _deferrable(handler):
                    self._previous[signum] = signal.signal(signum, self._hold)
        return self

    def __exit__(self, *exc_info: object) -> None:
        previous, self._previous = self._previous, {}
        for signum, handler in previous.items():
            signal.signal(signum, handler)
        pending, self._pending = self._pending, []
        for signum in dict.fromkeys(pending):
            # The program's own handler runs now: default_int_handler raises
            # KeyboardInterrupt from here, SIG_DFL ends the process.
            signal.raise_signal(signum)
