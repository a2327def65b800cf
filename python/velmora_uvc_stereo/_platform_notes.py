"""What the camera library in use cannot do, said plainly where it fails."""
from __future__ import annotations

import contextlib
import logging
import sys
from typing import Iterator

from ._library import vendor_library
from .errors import VelmoraError

LINUX_FLASH_NOTE = ("this camera's flash cannot be read or written on Linux; "
                    "use the Windows tool to back up or write the calibration")

_log = logging.getLogger(__name__)


def _flash_out_of_reach() -> bool:
    """On Linux, unless the virtual camera (which has a flash) is the one in use."""
    if not sys.platform.startswith("linux"):
        return False
    try:
        return not hasattr(vendor_library(), "vcam_load_scenario_json")
    except OSError:
        return True


@contextlib.contextmanager
def note_flash_unreachable(applies: bool = True) -> Iterator[None]:
    """Adds the Linux flash line to a failed flash operation's exception (shown
    with its traceback; logged before Python 3.11, which has no notes)."""
    try:
        yield
    except VelmoraError as error:
        if applies and _flash_out_of_reach():
            if hasattr(error, "add_note"):
                error.add_note(LINUX_FLASH_NOTE)
            else:
                _log.warning(LINUX_FLASH_NOTE)
        raise
