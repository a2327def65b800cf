"""Makes the platform wheels from the plain wheel, and checks any of the three.

    wheels.py build --pure W.whl --platform linux --sdk SO --camera SO --virtual-camera SO --out DIR
    wheels.py build --pure W.whl --platform windows --sdk DLL --virtual-camera DLL [--strip TOOL] --out DIR
    wheels.py check W.whl --platform linux|windows|pure

The plain wheel (py3-none-any, made by pip from python/) carries no library. A
platform wheel is the same wheel plus the libraries in the folders that
velmora_uvc_stereo/_bundle.py names, with the platform's tag:
manylinux_<glibc>_x86_64 for the glibc of the machine that built the libraries
(their symbol versions are checked against it), win_amd64 for Windows.
Uses the standard library and binutils (readelf, nm, objdump) only.
"""
from __future__ import annotations

import argparse
import base64
import csv
import hashlib
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from typing import Dict, Iterable, List, Optional, Tuple

PACKAGE = "velmora_uvc_stereo"
HERE = os.path.dirname(os.path.abspath(__file__))


# The package's _bundle module straight from the source tree: importing the
# package itself would load the camera libraries this script is packing.
sys.path.insert(0, os.path.join(HERE, "..", PACKAGE))
import _bundle as bundle  # noqa: E402
LIB = f"{PACKAGE}/_lib"
VIRTUAL_FOLDER_NAME = "virtual"
VIRTUAL = f"{PACKAGE}/_lib/{VIRTUAL_FOLDER_NAME}"

# What the shipped libraries may link besides the camera library: the C and
# C++ run times, which every Linux with this glibc has (as manylinux allows).
ALLOWED_ELF_NEEDED = {"libc.so.6", "libm.so.6", "libstdc++.so.6", "libgcc_s.so.1", "libpthread.so.0",
                      "libdl.so.2", "ld-linux-x86-64.so.2"}
ALLOWED_DLL_IMPORTS = {"kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "advapi32.dll",
                       "user32.dll", "api-ms-win-crt-runtime-l1-1-0.dll"}

NOTES = {
    "linux": """The C library velmora_uvc_stereo_sdk_c and the camera library it runs against.
libSonixCamera.so.1 here reaches real cameras through the kernel's uvcvideo
driver (the user needs access to /dev/videoN: the video group, or the udev
rule of the SDK's Debian package). virtual/ holds the virtual camera, with the
same file name; only velmora_uvc_stereo.virtual (and the virtual_cameras
pytest fixture) loads it, before the C library, so that tests can drive its
cameras.
""",
    "windows": """The C library velmora_uvc_stereo_sdk_c.dll. It needs the camera vendor's
SonixCamera.dll, which this wheel does not carry: put it here, beside
velmora_uvc_stereo_sdk_c.dll, or in a folder your program gives to
os.add_dll_directory before it uses the package.

virtual/SonixCamera.dll is the virtual camera, for tests only: it is never
loaded unless velmora_uvc_stereo.virtual (or the virtual_cameras pytest
fixture) is used, and must never be copied beside the C library.
""",
}


# ---- building ---------------------------------------------------------------------
def _record_hash(data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=")
    return "sha256=" + digest.decode("ascii")


def _glibc_version() -> Tuple[int, int]:
    text = os.confstr("CS_GNU_LIBC_VERSION") or ""
    match = re.fullmatch(r"glibc (\d+)\.(\d+)", text)
    if match is None:
        raise SystemExit(f"not a glibc system: {text!r}")
    return int(match.group(1)), int(match.group(2))


def platform_tag(platform: str) -> str:
    if platform == "windows":
        return "win_amd64"
    major, minor = _glibc_version()
    return f"manylinux_{major}_{minor}_x86_64"


def _stripped(path: str, strip: Optional[str], scratch: str) -> bytes:
    if strip is None:
        with open(path, "rb") as source:
            return source.read()
    copy = os.path.join(scratch, os.path.basename(path))
    shutil.copyfile(path, copy)
    subprocess.run([strip, "--strip-unneeded", copy], check=True)
    with open(copy, "rb") as source:
        return source.read()


def build(pure: str, platform: str, files: Dict[str, str], strip: Optional[str], out: str) -> str:
    """Writes the platform wheel; files maps a path inside the wheel to a file."""
    tag = platform_tag(platform)
    with zipfile.ZipFile(pure) as source:
        entries = {info.filename: source.read(info) for info in source.infolist()}
    dist_info = next(name.split("/")[0] for name in entries if name.endswith(".dist-info/WHEEL"))
    entries.pop(f"{dist_info}/RECORD")
    wheel = entries[f"{dist_info}/WHEEL"].decode("utf-8")
    wheel = wheel.replace("Root-Is-Purelib: true", "Root-Is-Purelib: false")
    wheel = re.sub(r"(?m)^Tag: .*$", f"Tag: py3-none-{tag}", wheel)
    entries[f"{dist_info}/WHEEL"] = wheel.encode("utf-8")
    executable = set()
    with tempfile.TemporaryDirectory() as scratch:
        for target, path in files.items():
            entries[target] = _stripped(path, strip, scratch)
            executable.add(target)
    entries[f"{LIB}/README.txt"] = NOTES[platform].encode("utf-8")

    name = os.path.basename(pure).replace("-py3-none-any.whl", f"-py3-none-{tag}.whl")
    target_path = os.path.join(out, name)
    record = io.StringIO()
    writer = csv.writer(record, lineterminator="\n")
    for entry, data in entries.items():
        writer.writerow([entry, _record_hash(data), len(data)])
    writer.writerow([f"{dist_info}/RECORD", "", ""])
    entries[f"{dist_info}/RECORD"] = record.getvalue().encode("utf-8")
    os.makedirs(out, exist_ok=True)
    with zipfile.ZipFile(target_path, "w", zipfile.ZIP_DEFLATED) as wheel_file:
        # dist-info last, as wheel installers expect.
        for entry in sorted(entries, key=lambda e: (e.startswith(dist_info), e)):
            info = zipfile.ZipInfo(entry, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = (0o755 if entry in executable else 0o644) << 16
            wheel_file.writestr(info, entries[entry])
    return target_path


def platform_files(platform: str, sdk: str, camera: Optional[str], virtual: str) -> Dict[str, str]:
    layout = bundle.layout("win32" if platform == "windows" else "linux")
    files = {f"{LIB}/{layout.sdk}": sdk, f"{VIRTUAL}/{layout.camera}": virtual}
    if layout.bundles_default_camera:
        if camera is None:
            raise SystemExit(f"{platform}: the wheel carries a default camera library: give --camera")
        files[f"{LIB}/{layout.camera}"] = camera
    elif camera is not None:
        raise SystemExit(f"{platform}: the camera library is the user's; the wheel carries none")
    return files


# ---- checking ------------------------------------------------------------------------
def _tool(name: str, arguments: List[str]) -> str:
    return subprocess.run([name, *arguments], check=True, capture_output=True, text=True).stdout


def _elf_problems(path: str, label: str, soname: Optional[str], links_camera: Optional[str],
                  glibc: Tuple[int, int]) -> List[str]:
    dynamic = _tool("readelf", ["-d", "-W", path])
    needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", dynamic))
    found_soname = re.findall(r"\(SONAME\)\s+Library soname: \[(.+?)\]", dynamic)
    runpath = re.findall(r"\((?:RUNPATH|RPATH)\)\s+Library r(?:un)?path: \[(.+?)\]", dynamic)
    problems = []
    if soname is not None and found_soname != [soname]:
        problems.append(f"{label}: soname {found_soname}, expected {soname}")
    allowed = ALLOWED_ELF_NEEDED | ({links_camera} if links_camera else set())
    if needed - allowed:
        problems.append(f"{label}: links {sorted(needed - allowed)}, which the wheel does not carry")
    if links_camera and links_camera not in needed:
        problems.append(f"{label}: does not link the camera library {links_camera}")
    if any(part not in ("$ORIGIN", "") for entry in runpath for part in entry.split(":")):
        problems.append(f"{label}: run path {runpath} points outside the wheel")
    if links_camera is None:
        # The default camera library reaches real cameras; only virtual/ may
        # hold the virtual camera (the one with the vcam_* controls).
        virtual = "vcam_load_scenario_json" in _tool("nm", ["-D", "--defined-only", path])
        if virtual != (f"/{VIRTUAL_FOLDER_NAME}/" in label):
            problems.append(f"{label}: {'is' if virtual else 'is not'} the virtual camera")
    with open(path, "rb") as source:
        versions = {tuple(map(int, v)) for v in re.findall(rb"GLIBC_(\d+)\.(\d+)", source.read())}
    if versions and max(versions) > glibc:
        problems.append(f"{label}: needs glibc {max(versions)}, above the tag's {glibc}")
    return problems


def _pe_problems(path: str, label: str, camera: Optional[str]) -> List[str]:
    dump = _tool("x86_64-w64-mingw32-objdump", ["-p", path])
    problems = []
    if "file format pei-x86-64" not in dump:
        problems.append(f"{label}: not a 64-bit Windows DLL")
    imports: Dict[str, List[str]] = {}
    for block in re.split(r"\n\s*DLL Name: ", dump)[1:]:
        dll, _, rest = block.partition("\n")
        names = re.findall(r"^\s+[0-9a-f]+\s+\d+\s+(\w+)", rest.split("\n\n")[0], re.M)
        imports.setdefault(dll.strip().lower(), []).extend(names)
    allowed = ALLOWED_DLL_IMPORTS | ({camera.lower()} if camera else set())
    if set(imports) - allowed:
        problems.append(f"{label}: imports from {sorted(set(imports) - allowed)}")
    if camera:
        foreign = [n for n in imports.get(camera.lower(), []) if not n.startswith("SonixCam_")]
        if foreign or not imports.get(camera.lower()):
            problems.append(f"{label}: imports {foreign or 'nothing'} from {camera}; the vendor's "
                            "DLL has only the SonixCam_* functions")
    return problems


def check(path: str, platform: str) -> List[str]:
    """Everything wrong with a wheel: its name and tag, its RECORD, its files."""
    problems: List[str] = []
    name = os.path.basename(path)
    tag = "any" if platform == "pure" else platform_tag(platform)
    if not re.fullmatch(rf"{PACKAGE}-[\d.]+-py3-none-{re.escape(tag)}\.whl", name):
        problems.append(f"file name {name} does not end in py3-none-{tag}.whl")
    with zipfile.ZipFile(path) as wheel, tempfile.TemporaryDirectory() as scratch:
        names = wheel.namelist()
        dist_info = next(n.split("/")[0] for n in names if n.endswith(".dist-info/WHEEL"))
        wheel_text = wheel.read(f"{dist_info}/WHEEL").decode("utf-8")
        if f"Tag: py3-none-{tag}" not in wheel_text.splitlines():
            problems.append(f"WHEEL does not carry the tag py3-none-{tag}")
        purelib = f"Root-Is-Purelib: {'true' if platform == 'pure' else 'false'}"
        if purelib not in wheel_text.splitlines():
            problems.append(f"WHEEL does not say {purelib}")
        rows = list(csv.reader(io.StringIO(wheel.read(f"{dist_info}/RECORD").decode("utf-8"))))
        recorded = {row[0]: row[1:] for row in rows}
        if set(recorded) != set(names):
            problems.append(f"RECORD lists {sorted(set(recorded) ^ set(names))} wrongly")
        for entry in names:
            if entry in recorded and not entry.endswith("/RECORD"):
                data = wheel.read(entry)
                if recorded[entry] != [_record_hash(data), str(len(data))]:
                    problems.append(f"RECORD entry of {entry} does not match the file")
        libraries = sorted(n for n in names if n.startswith(f"{LIB}/") and not n.endswith(".txt"))
        expected = [] if platform == "pure" else sorted(platform_files(
            platform, "", "" if platform == "linux" else None, ""))
        if libraries != expected:
            problems.append(f"libraries {libraries}, expected {expected}")
        metadata = wheel.read(f"{dist_info}/METADATA").decode("utf-8")
        for field in ("License:", "Project-URL:", "Keywords:", "Classifier:", "Description-Content-Type:"):
            if field not in metadata:
                problems.append(f"METADATA has no {field}")
        for entry in libraries:
            wheel.extract(entry, scratch)
            problems += _library_problems(os.path.join(scratch, entry), entry, platform)
    return problems


def _library_problems(path: str, entry: str, platform: str) -> List[str]:
    layout = bundle.layout("win32" if platform == "windows" else "linux")
    is_sdk = os.path.basename(entry) == layout.sdk
    if platform == "windows":
        return _pe_problems(path, entry, layout.camera if is_sdk else None)
    return _elf_problems(path, entry, layout.sdk if is_sdk else layout.camera,
                         layout.camera if is_sdk else None, _glibc_version())


def main(argv: Iterable[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    make = commands.add_parser("build")
    make.add_argument("--pure", required=True)
    make.add_argument("--platform", required=True, choices=["linux", "windows"])
    make.add_argument("--sdk", required=True)
    make.add_argument("--camera")
    make.add_argument("--virtual-camera", required=True)
    make.add_argument("--strip")
    make.add_argument("--out", required=True)
    test = commands.add_parser("check")
    test.add_argument("wheel")
    test.add_argument("--platform", required=True, choices=["linux", "windows", "pure"])
    args = parser.parse_args(list(argv))
    if args.command == "build":
        files = platform_files(args.platform, args.sdk, args.camera, args.virtual_camera)
        print(build(args.pure, args.platform, files, args.strip, args.out))
        return 0
    problems = check(args.wheel, args.platform)
    for problem in problems:
        print(f"{args.wheel}: {problem}", file=sys.stderr)
    print(f"{os.path.basename(args.wheel)}: {'ok' if not problems else f'{len(problems)} problems'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
