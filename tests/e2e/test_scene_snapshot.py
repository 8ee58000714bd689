#!/usr/bin/env python3
"""tessary-snapshot under Xvfb: repeatable pictures, the seed and clock showing in them,
the genomes listing of live clicks and of a journal's generations, refusal of bad
arguments, and files synced before they replace old ones (failsync.so). (The click cooldown
is checked tick by tick by SceneRender_test.)"""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import failsync  # noqa: E402

TOOL = os.path.join(os.environ.get("TESSARY_BUILD_DIR", ""), "tessary-snapshot")


class SnapshotTest(unittest.TestCase):
    def setUp(self):
        if not os.path.exists(TOOL):
            self.skipTest("tessary-snapshot is not built in $TESSARY_BUILD_DIR")
        self.session = self.enterContext(harness.Session())
        self.out = os.path.join(self.session.workdir, "out.png")

    def run_tool(self, *args, env=None):
        return subprocess.run([TOOL, *args], env=env or self.session.env, capture_output=True,
                              text=True, timeout=120)

    def snapshot(self, *args):
        """The PNG's bytes (the encoder is deterministic) and the genome lines of a run."""
        listing = os.path.join(self.session.workdir, "genomes.txt")
        result = self.run_tool("--out", self.out, "--genomes", listing, *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.out, "rb") as png, open(listing) as genomes:
            return png.read(), genomes.read().splitlines()

    def test_picture_follows_seed_and_time(self):
        base = self.snapshot("--seed", "7", "--time-ms", "1234")[0]
        self.assertEqual(self.snapshot("--seed", "7", "--time-ms", "1234")[0], base)
        self.assertNotEqual(self.snapshot("--seed", "8", "--time-ms", "1234")[0], base)
        self.assertNotEqual(self.snapshot("--seed", "7", "--time-ms", "2500")[0], base)

    def test_a_journal_generation_is_the_one_live_clicks_breed(self):
        # Cell 3 clicked in the first frame and again sixty ticks later; the undone click on
        # cell 8 does not count.
        journal = os.path.join(self.session.workdir, "journal.txt")
        with open(journal, "w", encoding="utf-8") as f:
            f.write("tessary-journal 1\nseed 5\nrates 10 50\nclick 3\nclick 8\nundo\n"
                    "click 3\n")
        start = self.snapshot("--seed", "5")[1]
        once = self.snapshot("--seed", "5", "--pointer", "200,300", "--click")[1]
        twice = self.snapshot("--seed", "5", "--pointer", "200,300", "--click", "--frames",
                              "61")[1]
        for generation, genomes in (("0", start), ("1", once), ("2", twice), (None, twice)):
            with self.subTest(generation=generation):
                extra = ("--generation", generation) if generation else ()
                self.assertEqual(self.snapshot("--journal", journal, *extra)[1], genomes)
        result = self.run_tool("--out", self.out, "--journal", journal, "--generation", "3")
        self.assertEqual((result.returncode, "no generation 3" in result.stderr), (2, True))

    def test_bad_arguments_are_refused_with_usage(self):
        for args in ([], ["--out"], ["--out", self.out, "--size", "0x600"],
                     ["--out", self.out, "--rates", "1;2"], ["--out", self.out, "--seed", "12abc"]):
            with self.subTest(args=args):
                result = self.run_tool(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn("--help", result.stderr)
                self.assertFalse(os.path.exists(self.out))

    def test_files_are_synced_before_they_replace_and_a_failed_sync_keeps_the_old_ones(self):
        work = os.path.realpath(self.session.workdir)
        out, listing, log = (os.path.join(work, name) for name in ("out.png", "g.txt", "log"))
        args = ("--out", out, "--genomes", listing)
        result = self.run_tool(*args, env=failsync.environment(self.session.env, log=log))
        self.assertEqual(result.returncode, 0, result.stderr)
        entries = failsync.read_log(log)
        self.assertEqual(failsync.order_faults(entries, [out, listing]), [])
        # Counting only the syncs in the work directory (not the GL driver's, if any), the
        # last is the directory's, after the renames.
        ours = [line for line in failsync.syncs(entries) if line[1].startswith(work)]
        for path in (out, listing):
            with open(path, "w") as f:
                f.write("old")
        for n in range(1, len(ours)):
            with self.subTest(failing_from=n):
                env = failsync.environment(self.session.env, fail_from=n, match=work)
                result = self.run_tool(*args, env=env)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("Input/output error", result.stderr)
                for path in (out, listing):
                    with open(path) as f:
                        self.assertEqual(f.read(), "old")


if __name__ == "__main__":
    unittest.main(verbosity=2)
