#!/usr/bin/env python3
"""The release build ($TESSARY_RELEASE_BIN, which scripts/test exports) under the soak of
test_scene_soak.py must hold its resident memory steady once warmed up. Without the variable
the check is reported as skipped, never as passed."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from test_scene_soak import WARM_SECONDS, soak  # noqa: E402

RSS_SLACK_KB = 5 * 1024


class SceneSoakReleaseTest(unittest.TestCase):
    def test_release_build_holds_its_memory(self):
        release = os.environ.get("TESSARY_RELEASE_BIN")
        if not release:
            self.skipTest("TESSARY_RELEASE_BIN is not set (scripts/test exports it)")
        samples = soak(self, release)
        drift = max(abs(kb - samples[0][1]) for _, kb in samples)
        print(f"resident memory {samples[0][1]} kB at {WARM_SECONDS} s, largest drift "
              f"{drift} kB over {len(samples)} samples", file=sys.stderr)
        self.assertLessEqual(drift, RSS_SLACK_KB, f"resident memory moved after "
                             f"{WARM_SECONDS} s: {samples}")


if __name__ == "__main__":
    harness.main()
