#!/usr/bin/env python3
"""Saving from the viewer: S over a cell writes the shape's solid (the STL tessary-export
writes for the same journal, generation and cell) and its picture under a new name each
time, printing both paths; a folder that cannot be written to gets one message on standard
error, no file, and the viewer goes on."""

import os
import re
import struct
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import grid  # noqa: E402
import harness  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from test_export import admesh_report  # noqa: E402


def read(path):
    with open(path, "rb") as f:
        return f.read()


class SaveTest(unittest.TestCase):
    def save(self, s, window, cell, count):
        """Presses S over `cell` and waits for the `count`-th pair of paths on stdout."""
        s.move_in(window, grid.ORIGIN_800X600[0] + grid.CELL * (cell % 3) + grid.CELL // 2,
                  grid.ORIGIN_800X600[1] + grid.CELL * (cell // 3) + grid.CELL // 2)
        s.key(window, "s")
        return harness.wait_for(
            lambda: (lambda found: found if len(found) >= 2 * count else None)(
                re.findall(r"^(\S+\.(?:stl|png))$", s.output(), re.M)), 20, "no save")

    def test_saves_name_files_anew_match_the_export_and_fail_cleanly(self):
        export = os.environ.get("TESSARY_EXPORT_BIN")
        if not export:
            raise unittest.SkipTest("TESSARY_EXPORT_BIN is not set (run through ctest)")
        with harness.Session() as s:
            os.mkdir(os.path.join(s.workdir, "saves"))
            window = s.start_main(args=("--journal", "my-session.txt", "--seed", "4321",
                                        "--save-dir", "saves"))
            grid.wait_hues(s, window)
            first = self.save(s, window, 4, 1)
            self.assertEqual(first, ["saves/my-session-g0-c4.stl", "saves/my-session-g0-c4.png"])
            stl, png = (os.path.join(s.workdir, p) for p in first)
            r = admesh_report(stl)
            self.assertEqual(r["Number of parts"], 1)
            for name in ["Edges fixed", "Backwards edges", "Facets reversed", "Normals fixed"]:
                self.assertEqual(r[name], 0, name)
            self.assertAlmostEqual(max(r["extent X"], r["extent Y"], r["extent Z"]), 50,
                                   delta=1e-3)
            picture = read(png)
            self.assertEqual(picture[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(struct.unpack(">II", picture[16:24]), (grid.CELL, grid.CELL))
            out = os.path.join(s.workdir, "exported.stl")
            subprocess.run([export, "--journal", os.path.join(s.workdir, "my-session.txt"),
                            "--cell", "4", "--out", out], check=True, timeout=60)
            self.assertEqual(read(stl), read(out))

            kept = read(stl), picture
            second = self.save(s, window, 4, 2)[2:]
            self.assertEqual(second, ["saves/my-session-g0-c4-2.stl",
                                      "saves/my-session-g0-c4-2.png"])
            self.assertEqual((read(stl), read(png)), kept)
            with open(os.path.join(s.workdir, "my-session.txt"), encoding="utf-8") as f:
                self.assertNotIn("click", f.read(), "a save was journalled")
            s.quit_with_escape(window)

            # A folder under a regular file cannot be made or written, even by root.
            window = s.start_main(args=("--seed", "4321", "--save-dir", "my-session.txt/saves"))
            grid.wait_hues(s, window)
            s.move_in(window, 400, 300)
            s.key(window, "s")
            harness.wait_for(lambda: "cannot" in s.output(), 20, "no message for a failed save")
            lines = s.output().strip().splitlines()
            self.assertEqual(len(lines), 1, lines)
            self.assertRegex(lines[0], r"^tessary: cannot write my-session\.txt/saves/"
                                       r"seed-4321-g0-c4\.stl: Not a directory$")
            self.assertTrue(s.alive())
            s.quit_with_escape(window)


if __name__ == "__main__":
    harness.main()
