"""The mocked cameras' control socket, from a test running against them."""
from __future__ import annotations

import os
import socket
from typing import Dict

CONTROL_VARIABLE = "VELMORA_MOCK_CONTROL"


class MockControl:
    def __init__(self) -> None:
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.socket.connect(os.environ[CONTROL_VARIABLE])
        self.reader = self.socket.makefile("r", encoding="utf-8")

    def command(self, line: str) -> str:
        self.socket.sendall((line + "\n").encode())
        answer = self.reader.readline().rstrip("\n")
        if not answer.startswith("ok"):
            raise RuntimeError(f"{line}: {answer}")
        return answer[3:]

    def unplug(self, serial: str) -> None:
        self.command(f"unplug {serial}")

    def replug(self, serial: str) -> int:
        """Plugs the camera in again on a new node; its capture node's number."""
        return int(self.command(f"replug {serial}").split()[0][len("video"):])

    def capture_node(self, serial: str) -> int:
        return int(self.command(f"nodes {serial}").split()[0][len("video"):])

    def fail_next(self, serial: str, error: str) -> None:
        self.command(f"fail {serial} {error} 1")

    def counts(self, serial: str) -> Dict[str, int]:
        words = self.command(f"counts {serial}").split()
        return {key: int(value) for key, value in (word.split("=") for word in words)}

    def last_imu(self, serial: str) -> bytes:
        return bytes.fromhex(self.command(f"last-imu {serial}"))
