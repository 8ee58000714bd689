"""Start-up as the user sees it: the full-screen question, the window's title
and client size for several conf.txt files, and an impossible size."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


class StartUp(unittest.TestCase):
    def test_question_then_title_and_client_size_follow_conf_txt(self):
        cases = [
            (None, 800, 600),
            ("1 1024 768", 1024, 768),
            ("1 640 480", 640, 480),
            ("1 1024", 1024, 600),
            ("windowed", 800, 600),
            ("7 320 240 and then some text", 320, 240),
        ]
        with harness.Session() as s:
            for conf, width, height in cases:
                with self.subTest(conf=conf):
                    s.start(conf=conf)
                    box = s.question_window()
                    self.assertEqual(s.title(box), harness.QUESTION_TITLE)
                    s.key(box, "Escape")  # No: the program goes on in a window
                    s.wait_window_gone(box)
                    window = s.main_window()
                    time.sleep(1.0)
                    self.assertTrue(s.alive(), "the program ended after No:\n" + s.stderr())
                    _, _, w, h, title = s.geometry(window)
                    self.assertEqual(title, harness.MAIN_TITLE)
                    self.assertEqual((w, h), (width, height))
                    s.key(window, "Escape")
                    self.assertEqual(s.wait_exit(timeout=15), 0)
                    s.check_sanitizers()

    def test_a_size_the_platform_cannot_provide_ends_in_the_failure_box(self):
        with harness.Session() as s:
            for conf in ("1 100000 100000", "1 -5 0"):
                with self.subTest(conf=conf):
                    s.start(conf=conf)
                    box = s.find_window("Error", timeout=30)
                    s.key(box, "Return")
                    self.assertEqual(s.wait_exit(timeout=15), 0)
                    s.check_sanitizers()


if __name__ == "__main__":
    unittest.main()
