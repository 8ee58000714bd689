#!/usr/bin/env python3
"""Soak: a minute of random pointer moves and clicks over and around the
grid. The sanitizer build must end cleanly on Escape with no report; the
release build must hold its resident memory steady once warmed up."""

import os
import random
import sys
import time
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

SOAK_SECONDS = 62
WARM_SECONDS = 15
RSS_SLACK_KB = 5 * 1024


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise harness.HarnessError("no VmRSS for the program")


class SceneSoakTest(unittest.TestCase):
    def run_soak(self, on_tick=lambda session, elapsed: None, seed=20240607):
        """Random moves (some off the window) and presses for SOAK_SECONDS,
        then Escape; every step is bounded by the harness's timeouts."""
        rng = random.Random(seed)
        with harness.Session() as s:
            s.start()
            s.answer_question(yes=False)
            window = s.main_window()
            left, top, width, height, _ = s.geometry(window)
            started = time.monotonic()
            steps = 0
            while time.monotonic() - started < SOAK_SECONDS:
                s.move(left + rng.randint(-40, width + 40), top + rng.randint(-40, height + 40))
                if rng.random() < 0.3:
                    s.button_down()
                    time.sleep(rng.uniform(0.02, 0.3))
                    s.button_up()
                else:
                    time.sleep(rng.uniform(0.01, 0.1))
                on_tick(s, time.monotonic() - started)
                steps += 1
                self.assertTrue(s.alive(), "the program ended during the soak:\n" + s.stderr())
            self.assertGreater(steps, 50)
            # Escape from anywhere: the key is polled, not a window message.
            s.move(0, 0)
            s.key(window, "Escape")
            self.assertEqual(s.wait_exit(timeout=30), 0)
            s.check_sanitizers()

    def test_sanitizer_build_ends_cleanly(self):
        self.run_soak()

    def test_release_build_holds_its_memory(self):
        release = os.environ.get("TESSARY_RELEASE_BIN")
        if not release:
            self.skipTest("TESSARY_RELEASE_BIN is not set: no release build to measure "
                          "(scripts/test exports it)")
        samples = []

        def sample(session, elapsed):
            if elapsed >= WARM_SECONDS and (not samples or elapsed - samples[-1][0] >= 1.0):
                samples.append((elapsed, resident_kb(session.proc.pid)))

        with mock.patch.object(harness, "program_path", lambda: release):
            self.run_soak(on_tick=sample)
        self.assertGreater(len(samples), 20)
        base = samples[0][1]
        drift = max(abs(kb - base) for _, kb in samples)
        print(f"resident memory {base} kB at {WARM_SECONDS} s, largest drift {drift} kB "
              f"over {len(samples)} samples", file=sys.stderr)
        self.assertLessEqual(drift, RSS_SLACK_KB,
                             f"resident memory moved by {drift} kB after {WARM_SECONDS} s: "
                             f"{samples}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
