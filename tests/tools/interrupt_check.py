#!/usr/bin/env python3
"""Ctrl-C during `velmora-stereo imu`: the run ends with status 130, every CSV
line is complete, the summary is printed and the report names the interruption.

  interrupt_check.py TOOL WORKDIR
"""
import os
import signal
import subprocess
import sys
import threading

LINES_BEFORE_INTERRUPT = 5
CSV_FIELDS = 17


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    tool, workdir = sys.argv[1:]
    os.makedirs(workdir, exist_ok=True)
    report = os.path.join(workdir, "interrupted.html")
    # Paced, so the run would last a minute without the interrupt.
    process = subprocess.Popen([tool, "imu", "--seconds", "60", "--rate", "50", "--csv", "--report", report],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    # Reading goes on through the same buffered pipe object after the interrupt:
    # its buffer may already hold the start of the next lines.
    watchdog = threading.Timer(30, process.kill)
    watchdog.start()
    try:
        received = b""
        for _ in range(1 + LINES_BEFORE_INTERRUPT):  # the heading, then samples
            line = process.stdout.readline()
            if not line:
                fail("the tool ended before the interrupt: " + process.stderr.read().decode())
            received += line
        process.send_signal(signal.SIGINT)
        rest = process.stdout.read()
        errors = process.stderr.read()
        process.wait()
    finally:
        watchdog.cancel()
    output = (received + rest).decode()
    errors = errors.decode()
    if process.returncode != 130:
        fail("exit status %d, not 130; standard error: %s" % (process.returncode, errors))
    if not output.endswith("\n"):
        fail("the last CSV line is cut off: %r" % output[-80:])
    lines = output.splitlines()
    for line in lines:
        if len(line.split(",")) != CSV_FIELDS:
            fail("incomplete CSV line: %r" % line)
    samples = len(lines) - 1
    if "Read %d samples" % samples not in errors or "samples/s" not in errors:
        fail("no summary of the %d samples: %s" % (samples, errors))
    if "Interrupted by Ctrl-C; the IMU session was closed." not in errors:
        fail("the interruption is not reported: " + errors)
    with open(report, encoding="utf-8") as page:
        text = page.read()
    if "<td>Reading ended</td><td>stopped by Ctrl-C</td>" not in text or "<td>Samples</td><td>%d</td>" % samples not in text:
        fail("the report does not describe the interrupted run")
    print("ok: stopped after %d samples with status 130" % samples)
    return 0


if __name__ == "__main__":
    sys.exit(main())
