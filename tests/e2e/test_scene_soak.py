#!/usr/bin/env python3
"""Soak: a minute of random pointer moves and clicks over and around the grid. The
sanitizer build must end cleanly on Escape with no report. (The release build's memory is
measured under the same soak by test_scene_soak_release.py.)"""

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


def soak(test, program=None):
    """Random moves (some off the window) and presses for SOAK_SECONDS, then Escape; every
    step is bounded by the harness's timeouts, and `test` asserts. Returns the resident memory
    in kB sampled about once a second after WARM_SECONDS."""
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
            test.assertTrue(s.alive(), "the program ended during the soak:\n" + s.output())
            if elapsed >= WARM_SECONDS and (not samples or elapsed - samples[-1][0] >= 1):
                with open(f"/proc/{s.proc.pid}/status") as f:
                    kb = int(re.search(r"VmRSS:\s*(\d+)", f.read()).group(1))
                samples.append((elapsed, kb))
        test.assertGreater(len(samples), 20)
        # Escape from anywhere: the key is polled, not a window message.
        s.move(0, 0)
        s.quit_with_escape(window, timeout=30)
    return samples


class SceneSoakTest(unittest.TestCase):
    def test_sanitizer_build_ends_cleanly(self):
        soak(self)


if __name__ == "__main__":
    harness.main()
