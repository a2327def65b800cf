"""What the camera library in use cannot do, said plainly where it fails."""
from __future__ import annotations

import logging
import sys

from ._library import vendor_library
from .errors import VelmoraError

LINUX_FLASH_NOTE = ("this camera's flash cannot be read or written on Linux; "
                    "use the Windows tool to back up or write the calibration")

_log = logging.getLogger(__name__)


def note_flash_unreachable(error: VelmoraError) -> None:
    """Adds the Linux flash line to a failed flash operation's exception (shown
    with its traceback), unless the virtual camera, which has a flash, is in use."""
    if not sys.platform.startswith("linux"):
        return
    try:
        if hasattr(vendor_library(), "vcam_load_scenario_json"):
            return
    except OSError:
        pass
    if hasattr(error, "add_note"):
        error.add_note(LINUX_FLASH_NOTE)
    else:  # before Python 3.11
        _log.warning(LINUX_FLASH_NOTE)
