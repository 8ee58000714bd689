"""Start-up as the user sees it: the full-screen question, the window's title
and client size for several conf.txt files, and bad configurations."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


class StartUp(unittest.TestCase):
    def finish(self, session, window):
        session.key(window, "Escape")
        self.assertEqual(session.wait_exit(timeout=15), 0)
        session.check_sanitizers()

    def test_question_is_asked_and_no_keeps_the_window(self):
        with harness.Session() as s:
            s.start()
            box = s.question_window()
            self.assertEqual(s.title(box), harness.QUESTION_TITLE)
            s.key(box, "Escape")  # No
            s.wait_window_gone(box)
            window = s.main_window()
            time.sleep(1.0)
            self.assertTrue(s.alive(), "the program ended after No:\n" + s.stderr())
            self.assertTrue(s.window_exists(window))
            self.finish(s, window)

    def test_title_and_client_size_follow_conf_txt(self):
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
                    s.answer_question(yes=False)
                    window = s.main_window()
                    _, _, w, h, title = s.geometry(window)
                    self.assertEqual(title, harness.MAIN_TITLE)
                    self.assertEqual((w, h), (width, height))
                    self.finish(s, window)

    def test_full_screen_keeps_the_configured_size_without_a_frame(self):
        with harness.Session() as s:
            for conf, yes in (("0 640 480", False), ("1 640 480", True)):
                with self.subTest(conf=conf, yes=yes):
                    s.start(conf=conf)
                    s.answer_question(yes=yes)
                    window = s.main_window()
                    time.sleep(0.5)
                    _, _, w, h, _ = s.geometry(window)
                    self.assertEqual((w, h), (640, 480))
                    self.assertTrue(s.alive())
                    self.finish(s, window)

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
