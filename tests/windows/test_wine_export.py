#!/usr/bin/env python3
"""tessary-export.exe under Wine: its STL is byte for byte the Linux build's for the same
session (a seed with clicks, and a journal), written into a folder with a non-ASCII name and
again over the file it wrote; any other format is refused with status 2, and the help says
the build writes STL only."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402

WINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "with-wine.sh")
JOURNAL = "tessary-journal 1\nseed 77\nrates 10 50\nclick 4\nrates 30 20\nlock 2\nclick 0\n"


def run(command):
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


class WineExport(unittest.TestCase):
    def setUp(self):
        self.exe = os.environ.get("TESSARY_EXPORT_EXE")
        self.linux = os.environ.get("TESSARY_LINUX_EXPORT", "")
        if not self.exe:
            raise unittest.SkipTest("TESSARY_EXPORT_EXE is not set (run the tests through ctest)")
        if not os.access(self.linux, os.X_OK):
            raise unittest.SkipTest(f"no Linux tessary-export at '{self.linux}' to compare with")
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def windows(self, *args):
        return run([WINE, self.exe, *args])

    def test_the_stl_is_the_linux_builds_byte_for_byte(self):
        journal = os.path.join(self.dir.name, "session.txt")
        with open(journal, "w", encoding="utf-8") as f:
            f.write(JOURNAL)
        folder = os.path.join(self.dir.name, "Züchtung 育種")
        os.mkdir(folder)
        sessions = [("--seed", "2", "--rates", "20,40", "--clicks", "4,0,7", "--cell", "5"),
                    ("--journal", journal, "--generation", "1", "--cell", "2")]
        for session in sessions:
            for size in ("50", "80.5"):  # the second replaces the first
                with self.subTest(session=session, size=size):
                    mine, theirs = os.path.join(folder, "shape.stl"), os.path.join(
                        self.dir.name, "linux.stl")
                    done = self.windows(*session, "--size-mm", size, "--out", mine)
                    self.assertEqual(done.returncode, 0, done.stderr)
                    done = run([self.linux, *session, "--size-mm", size, "--out", theirs])
                    self.assertEqual(done.returncode, 0, done.stderr)
                    with open(mine, "rb") as a, open(theirs, "rb") as b:
                        self.assertEqual(a.read(), b.read())
                    self.assertEqual(os.listdir(folder), ["shape.stl"], "a scratch file is left")

    def test_other_formats_are_refused_and_the_help_says_stl_only(self):
        out = os.path.join(self.dir.name, "shape.obj")
        refused = self.windows("--seed", "2", "--cell", "0", "--out", out)
        self.assertEqual(refused.returncode, 2, refused.stderr)
        self.assertIn("this build writes STL only", refused.stderr)
        self.assertFalse(os.path.exists(out))
        shown = self.windows("--help")
        self.assertEqual(shown.returncode, 0, shown.stderr)
        self.assertIn("STL only", " ".join(shown.stdout.split()))


if __name__ == "__main__":
    harness.main()
