#!/usr/bin/env bash
# Checks that a stand-in for the vendor's library exports exactly the
# fourteen SonixCam_* functions of the vendor contract and nothing else.
#   check-contract-exports.sh <libSonixCamera.so | SonixCamera.dll>
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 <shared library or DLL>" >&2
    exit 2
fi
library=$1
# shellcheck source=binary-symbols.sh
. "$(dirname "$0")/binary-symbols.sh"

expected=$(sort <<'NAMES'
SonixCam_CstmReadFromSF
SonixCam_EnumCameras
SonixCam_GetDevDescriptor
SonixCam_GetErrorCode
SonixCam_GetSerialFlashType
SonixCam_GetVersion
SonixCam_Init
SonixCam_SectorEraseSF
SonixCam_SetNodeID
SonixCam_SetStatusRegBitWP
SonixCam_SetWriteProtectedSF
SonixCam_UnInit
SonixCam_WriteToSF
SonixCam_XuRead
NAMES
)
expect_exactly_these_exports "$library" "$expected" "vendor functions"
