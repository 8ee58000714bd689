#!/usr/bin/env python3
"""The same snapshots drawn by our OpenGL stand-in (the Linux tessary-snapshot) and by Wine's
Direct3D 9 (tessary-snapshot.exe), compared cell by cell: the silhouettes' intersection over
union, the mean colour of each shape, and the extent of each glow.

  compare_snapshots.py WINDOWS_EXE [--table]

The Linux tool is $TESSARY_LINUX_SNAPSHOT, else the release build's. Needs a display (run it
under tests/support/with-display.sh) and TESSARY_WINEPREFIX (the test run's prefix, see
with-wine.sh). Exits 77 when the Linux tool is missing. --table prints the figures as a
Markdown table and counts the pixels that differ at all. The thresholds pass the real
pictures with a margin and fail on a real fault: a wrong colour, a missing glow or highlight,
a shape moved or turned."""

import concurrent.futures
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WINE = os.path.join(HERE, "with-wine.sh")
CELL = 200
GRID = 3 * CELL
# A pixel belongs to a shape when a channel is this far above the cell's background: the
# glow's halo stays under it (it is dim where the shape is not).
SHAPE_LEVEL = 48
# A halo pixel differs from the background, faintly, outside the shape.
GLOW_LEVEL = 3

# The highlight's grey in the first frame: 255 * (0.2 + 0.1 sin 0), truncated.
HIGHLIGHT = 51
# Each Wine run takes seconds (wined3d's shaders are compiled anew), so two cases: a first
# frame with the pointer over a cell, and a journal's generation in a picture smaller than
# the grid (rows 0 and 2 cut) with a click on cell 1 that breeds in the frame, so that the
# cells drawn after it show the next generation. (name, size, options, lit cell); None in
# the options stands for the journal's path.
CASES = [
    ("hover", (800, 600), ["--seed", "3", "--time-ms", "1000", "--pointer", "400,300"], 4),
    ("click", (640, 480), ["--time-ms", "2345", "--pointer", "300,100", "--click",
                           "--journal", None], 1),
]
# Three generations, and cell 2 locked: its amber frame counts as shape.
JOURNAL = "tessary-journal 1\nseed 11\nrates 10 50\nclick 4\nclick 0\nlock 2\nclick 8\n"

# Both sides measured here differ by one level at a few dozen pixels in a picture; these
# leave room for that and fail on a colour, a highlight or a halo that is not the same.
MIN_IOU = 0.99
MAX_COLOUR_DIFFERENCE = 2.0
MAX_GLOW_RATIO = 1.05
MAX_BOX_SHIFT = 2


def read_rgb(path, width, height):
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout
    if len(data) != width * height * 3:
        sys.exit(f"{path}: not a {width}x{height} picture")
    return data


def cell_figures(rgb, width, height, k, background):
    """The shape's pixel set and mean colour, and the halo's pixel count and bounding box."""
    # The grid's offset halves truncating toward zero, as the scene's does.
    x0 = int((width - GRID) / 2) + CELL * (k % 3)
    y0 = int((height - GRID) / 2) + CELL * (k // 3)
    shape, total, halo, box = set(), [0, 0, 0], 0, None
    for y in range(max(y0, 0), min(y0 + CELL, height)):
        row = y * width * 3
        for x in range(max(x0, 0) - x0, min(x0 + CELL, width) - x0):
            at = row + 3 * (x0 + x)
            r, g, b = rgb[at:at + 3]
            level = max(r - background, g - background, b - background)
            if level >= SHAPE_LEVEL:
                shape.add((x, y))
                total = [total[0] + r, total[1] + g, total[2] + b]
            elif abs(r - background) >= GLOW_LEVEL or abs(g - background) >= GLOW_LEVEL \
                    or abs(b - background) >= GLOW_LEVEL:
                halo += 1
                box = (x, y - y0, x, y - y0) if box is None else (
                    min(box[0], x), min(box[1], y - y0), max(box[2], x), max(box[3], y - y0))
    mean = [c / len(shape) for c in total] if shape else [0.0, 0.0, 0.0]
    return shape, mean, halo, box


def size_of(name):
    return next(size for case, size, _, _ in CASES if case == name)


def render(command, out):
    # A Wine program started just before without a display (wineboot, the unit tests) can
    # leave the prefix's desktop without one for a moment, and no window can be made then.
    for attempt in range(6):
        result = subprocess.run(command + ["--out", out], capture_output=True, text=True,
                                timeout=120)
        if result.returncode == 0 or "cannot make a" not in result.stderr:
            break
        time.sleep(2)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} failed: {result.stderr}")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    exe, table = sys.argv[1], "--table" in sys.argv[2:]
    linux = os.environ.get("TESSARY_LINUX_SNAPSHOT") or os.path.join(
        HERE, "..", "..", "build", "release", "tessary-snapshot")
    if not os.path.exists(linux):
        print(f"{linux} is not built: nothing to compare with (build the release preset)")
        sys.exit(77)
    faults, rows, totals = [], [], []
    with tempfile.TemporaryDirectory() as work:
        journal = os.path.join(work, "journal.txt")
        with open(journal, "w", encoding="utf-8") as f:
            f.write(JOURNAL)
        def render_all(side, command):
            for name, _, options, _ in CASES:
                options = [journal if o is None else o for o in options]
                render(command + options + ["--size", "%dx%d" % size_of(name)],
                       os.path.join(work, f"{name}-{side}.png"))

        # One side's programs after another's start faster (Wine's above all); the two
        # sides run side by side.
        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            for done in [pool.submit(render_all, "linux", [linux]),
                         pool.submit(render_all, "wine", [WINE, exe])]:
                done.result()
        for name, (width, height), _, lit in CASES:
            pictures = [read_rgb(os.path.join(work, f"{name}-{side}.png"), width, height)
                        for side in ("linux", "wine")]
            if table:
                ours, theirs = pictures
                differing = [max(abs(a - b) for a, b in zip(ours[i:i + 3], theirs[i:i + 3]))
                             for i in range(0, len(ours), 3) if ours[i:i + 3] != theirs[i:i + 3]]
                totals.append(f"{name}: {len(differing)} of {width * height} pixels differ, "
                              f"by at most {max(differing, default=0)} levels")
            for k in range(9):
                background = HIGHLIGHT if k == lit else 0
                ours, theirs = (cell_figures(p, width, height, k, background) for p in pictures)
                union = len(ours[0] | theirs[0])
                iou = len(ours[0] & theirs[0]) / union if union else 1.0
                colour = max(abs(a - b) for a, b in zip(ours[1], theirs[1]))
                glow = max(ours[2], theirs[2]) / max(1, min(ours[2], theirs[2]))
                rows.append((name, k, lit == k, iou, ours[1], theirs[1], colour, ours[2],
                             theirs[2], ours[3], theirs[3]))
                where = f"{name} cell {k}"
                if iou < MIN_IOU:
                    faults.append(f"{where}: silhouettes overlap {iou:.4f} < {MIN_IOU}")
                if colour > MAX_COLOUR_DIFFERENCE:
                    faults.append(f"{where}: mean colours differ by {colour:.1f} levels")
                if min(ours[2], theirs[2]) == 0 or glow > MAX_GLOW_RATIO:
                    faults.append(f"{where}: halos of {ours[2]} and {theirs[2]} pixels")
                if ours[3] and theirs[3] and max(
                        abs(a - b) for a, b in zip(ours[3], theirs[3])) > MAX_BOX_SHIFT:
                    faults.append(f"{where}: halo boxes {ours[3]} and {theirs[3]}")
    if table:
        print("| case | cell | IoU | mean RGB (Linux) | mean RGB (Wine) | max diff | "
              "halo px Linux / Wine | halo box Linux / Wine |")
        print("|---|---|---|---|---|---|---|---|")
        for name, k, is_lit, iou, a, b, colour, ga, gb, ba, bb in rows:
            rgb = lambda c: "%.1f, %.1f, %.1f" % tuple(c)  # noqa: E731
            print(f"| {name} | {k}{' (lit)' if is_lit else ''} | {iou:.4f} | {rgb(a)} | {rgb(b)}"
                  f" | {colour:.1f} | {ga} / {gb} | {ba} / {bb} |")
        print("\n".join(totals))
    for fault in faults:
        print(fault)
    print(f"{len(rows)} cells compared, {len(faults)} faults")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
