#!/usr/bin/env python3
"""Checks the page of `velmora-stereo imu --report` as a reader gets it.

  imu_report_check.py xml TOOL WORKDIR      parse the page as XML: six motion series
                                            with N points each, nothing fetched
  imu_report_check.py browser TOOL WORKDIR  render it in headless Chromium: every plot
                                            is drawn, the console stays empty

Both modes first make the page with the tool (against its default virtual
cameras). The browser mode also proves its own checks: a copy of the page
whose curves are emptied must be found blank, and a page that writes to the
console must be found noisy.
"""
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

SAMPLES = 300
SVG = "{http://www.w3.org/2000/svg}"
MOTION_SERIES = ["accel-x", "accel-y", "accel-z", "gyro-x", "gyro-y", "gyro-z"]
# Series colours: X, Y and Z in both motion charts; temperature, intervals, counter gaps.
AXIS_COLOURS = {"X": (0xD6, 0x27, 0x28), "Y": (0x2C, 0xA0, 0x2C), "Z": (0x1F, 0x77, 0xB4)}
SINGLE_COLOURS = {"temperature": (0xFF, 0x7F, 0x0E), "intervals": (0x94, 0x67, 0xBD),
                  "counter gaps": (0x8C, 0x56, 0x4B)}
WINDOW = (1280, 2300)
# The legends sit right of the plot areas (page margin 24 + chart width 960 - 150).
PLOT_RIGHT_EDGE = 24 + 960 - 150
MIN_PIXELS = 200        # a drawn curve covers far more; an empty plot none
BAND_GAP_ROWS = 60      # rows without a colour that separate two charts
COLOUR_TOLERANCE = 16   # grey-level distance still counted as the colour (anti-aliasing)


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def make_report(tool, workdir):
    os.makedirs(workdir, exist_ok=True)
    report = os.path.join(workdir, "imu-report.html")
    result = subprocess.run([tool, "imu", "--count", str(SAMPLES), "--csv", "--report", report],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, timeout=120)
    if result.returncode != 0:
        fail("the tool exited with %d: %s" % (result.returncode, result.stderr))
    return report


def check_xml(report):
    tree = ElementTree.parse(report)  # raises on anything that is not well-formed
    found = {}
    for polyline in tree.getroot().iter(SVG + "polyline"):
        points = polyline.get("points", "").split()
        found[polyline.get("data-series")] = len(points)
    for series in MOTION_SERIES + ["temperature"]:
        if found.get(series) != SAMPLES:
            fail("series %s has %s points, not %d" % (series, found.get(series), SAMPLES))
    if found.get("counter-gap") != SAMPLES - 1:
        fail("the counter gaps have %s points, not %d" % (found.get("counter-gap"), SAMPLES - 1))
    for element in tree.getroot().iter():
        if element.tag.endswith("script"):
            fail("the page has a script")
        for name in ("src", "href", "{http://www.w3.org/1999/xlink}href"):
            if element.get(name):
                fail("the page refers to %s" % element.get(name))
    print("ok: %d series, %d points each" % (len(MOTION_SERIES), SAMPLES))


def render(page, png):
    """Returns the console messages Chromium logged while rendering page to png."""
    if os.path.exists(png):
        os.remove(png)
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               "--disable-default-apps", "--no-first-run", "--mute-audio",
               "--enable-logging=stderr", "--v=0",
               "--window-size=%d,%d" % WINDOW, "--screenshot=" + png, "file://" + os.path.abspath(page)]
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=120)
    if result.returncode != 0 or not os.path.exists(png):
        fail("chromium did not render %s: %s" % (page, result.stderr[-2000:]))
    # The page has no scripts, so any console line (an error, a refused load) is a fault.
    return [line for line in result.stderr.splitlines() if ":CONSOLE" in line]


def colour_rows(image, colour):
    """Rows of the plot region holding pixels close to colour, with their counts."""
    from PIL import Image, ImageChops  # Debian's python3-pil
    region = image.crop((0, 0, min(image.size[0], PLOT_RIGHT_EDGE), image.size[1]))
    distance = ImageChops.difference(region, Image.new("RGB", region.size, colour)).convert("L")
    mask = distance.point(lambda value: 255 if value <= COLOUR_TOLERANCE else 0)
    # The mean of each row, by the image library, is the share of matching pixels.
    means = mask.resize((1, region.size[1]), Image.BOX).getdata()
    rows = {}
    for y, mean in enumerate(means):
        count = round(mean / 255 * region.size[0])
        if count:
            rows[y] = count
    return rows


def bands(rows):
    """The pixel counts of the vertical bands (charts) a colour appears in."""
    counts = []
    last = None
    for y in sorted(rows):
        if last is None or y - last > BAND_GAP_ROWS:
            counts.append(0)
        counts[-1] += rows[y]
        last = y
    return counts


def blank_plots(png):
    """Names of the curves that are missing from the screenshot."""
    from PIL import Image
    image = Image.open(png).convert("RGB")
    missing = []
    for axis, colour in AXIS_COLOURS.items():
        drawn = [count for count in bands(colour_rows(image, colour)) if count >= MIN_PIXELS]
        if len(drawn) < 2:  # the accelerometer and the gyroscope chart
            missing.append("%s axis (%d of 2 charts)" % (axis, len(drawn)))
    for name, colour in SINGLE_COLOURS.items():
        if sum(colour_rows(image, colour).values()) < MIN_PIXELS:
            missing.append(name)
    return missing


def check_browser(report, workdir):
    png = os.path.join(workdir, "imu-report.png")
    console = render(report, png)
    if console:
        fail("the console is not empty:\n" + "\n".join(console))
    missing = blank_plots(png)
    if missing:
        fail("blank plots in %s: %s" % (png, ", ".join(missing)))

    # The checks themselves: emptied curves must be seen as blank, console output as output.
    with open(report, encoding="utf-8") as page:
        text = page.read()
    emptied = os.path.join(workdir, "emptied.html")
    with open(emptied, "w", encoding="utf-8") as page:
        page.write(re.sub(r'(<polyline[^>]*points=")[^"]*"', r'\1"', re.sub(r'<rect class="bar"[^>]*/>', "", text)))
    if len(blank_plots_of(emptied, workdir)) != len(AXIS_COLOURS) + len(SINGLE_COLOURS):
        fail("the blank-plot check does not see emptied curves")
    noisy = os.path.join(workdir, "noisy.html")
    with open(noisy, "w", encoding="utf-8") as page:
        page.write("<!DOCTYPE html><html><body><script>console.error('noise')</script></body></html>")
    if not render(noisy, os.path.join(workdir, "noisy.png")):
        fail("the console check does not see console output")
    print("ok: every plot drawn, console empty (%s)" % png)


def blank_plots_of(page, workdir):
    png = os.path.join(workdir, "control.png")
    render(page, png)
    return blank_plots(png)


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("xml", "browser"):
        print(__doc__)
        return 2
    mode, tool, workdir = sys.argv[1:]
    report = make_report(tool, workdir)
    if mode == "xml":
        check_xml(report)
    else:
        check_browser(report, workdir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
