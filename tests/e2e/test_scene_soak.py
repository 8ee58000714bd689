#!/usr/bin/env python3
"""Soak: a minute of random pointer moves and clicks over and around the grid. The
sanitizer build must end cleanly on Escape with no report; the release build must hold its
resident memory steady once warmed up."""

import os
import random
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

SOAK_SECONDS = 62
WARM_SECONDS = 15
RSS_SLACK_KB = 5 * 1024


class SceneSoakTest(unittest.TestCase):
    def soak(self, program=None):
        """Random moves (some off the window) and presses for SOAK_SECONDS, then Escape;
        every step is bounded by the harness's timeouts. Returns the resident memory in kB
        sampled about once a second after WARM_SECONDS."""
        rng = random.Random(20240607)
        samples = []
        with harness.Session() as s:
            window = s.start_main(program=program)
            left, top, width, height = s.geometry(window)
            started = time.monotonic()
            while (elapsed := time.monotonic() - started) < SOAK_SECONDS:
                s.move(left + rng.randint(-40, width + 40), top + rng.randint(-40, height + 40))
                if rng.random() < 0.3:
                    s.button(down=True)
                    time.sleep(rng.uniform(0.02, 0.3))
                    s.button(down=False)
                else:
                    time.sleep(rng.uniform(0.01, 0.1))
                self.assertTrue(s.alive(), "the program ended during the soak:\n" + s.output())
                if elapsed >= WARM_SECONDS and (not samples or elapsed - samples[-1][0] >= 1):
                    with open(f"/proc/{s.proc.pid}/status") as f:
                        kb = int(re.search(r"VmRSS:\s*(\d+)", f.read()).group(1))
                    samples.append((elapsed, kb))
            self.assertGreater(len(samples), 20)
            # Escape from anywhere: the key is polled, not a window message.
            s.move(0, 0)
            s.key(window, "Escape")
            self.assertEqual(s.wait_exit(30), 0)
            s.check_sanitizers()
        return samples

    def test_sanitizer_build_ends_cleanly(self):
        self.soak()

    def test_release_build_holds_its_memory(self):
        release = os.environ.get("TESSARY_RELEASE_BIN")
        if not release:
            self.skipTest("TESSARY_RELEASE_BIN is not set (scripts/test exports it)")
        samples = self.soak(release)
        drift = max(abs(kb - samples[0][1]) for _, kb in samples)
        print(f"resident memory {samples[0][1]} kB at {WARM_SECONDS} s, largest drift "
              f"{drift} kB over {len(samples)} samples", file=sys.stderr)
        self.assertLessEqual(drift, RSS_SLACK_KB, f"resident memory moved after "
                             f"{WARM_SECONDS} s: {samples}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
