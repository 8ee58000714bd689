#!/usr/bin/env python3
"""`cmake --install` of the test build into a scratch DESTDIR: exactly the programs, the
desktop entry, the AppStream metadata, the icons, the manual pages and the licences; an entry
that desktop-file-validate accepts and whose program, icon and window class are the installed
ones; metadata that appstreamcli accepts, for this version; icons of their sizes; pages that
render cleanly and document the options each program's --help lists."""

import configparser
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from xml.etree import ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import layout  # noqa: E402

BUILD = os.environ.get("TESSARY_BUILD_DIR", "")


def read_desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str  # keys are case-sensitive
    parser.read(path, encoding="utf-8")
    return parser["Desktop Entry"]


class InstallTree(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not BUILD:
            raise unittest.SkipTest("TESSARY_BUILD_DIR is not set (run the tests through ctest)")
        cls.programs = layout.built_programs(BUILD)
        cls.destdir = tempfile.mkdtemp(prefix="tessary-install-")
        cls.prefix = os.path.join(cls.destdir, "usr")
        result = subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr"],
                                env=dict(os.environ, DESTDIR=cls.destdir), capture_output=True,
                                text=True, timeout=120)
        if result.returncode != 0:
            shutil.rmtree(cls.destdir)
            raise AssertionError("cmake --install failed:\n" + result.stdout + result.stderr)
        cls.entry = read_desktop_entry(os.path.join(cls.prefix, layout.DESKTOP_ENTRY))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.destdir, ignore_errors=True)

    def test_exactly_the_desktop_program_is_installed(self):
        self.assertEqual(sorted(layout.files_under(self.destdir)),
                         sorted("usr/" + f for f in layout.expected_files(self.programs)))
        for program in self.programs:
            self.assertTrue(os.access(os.path.join(self.prefix, "bin", program), os.X_OK))

    def test_desktop_entry_is_valid_and_names_what_was_installed(self):
        path = os.path.join(self.prefix, layout.DESKTOP_ENTRY)
        result = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True,
                                timeout=30)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        self.assertIn(self.entry["Exec"].split()[0], self.programs)
        self.assertIn("Graphics", self.entry["Categories"].split(";"))
        for size in layout.ICON_SIZES:
            with self.subTest(size=size):
                icon = os.path.join(self.prefix, f"share/icons/hicolor/{size}x{size}/apps",
                                    self.entry["Icon"] + ".png")
                with open(icon, "rb") as f:
                    head = f.read(26)
                self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
                # IHDR: width, height, bit depth, colour type 6 (RGBA)
                self.assertEqual(struct.unpack(">IIBB", head[16:26]), (size, size, 8, 6))

    def test_appstream_metadata_is_valid_and_its_release_is_this_version(self):
        # validate-tree also checks that the file is named after its id and that the desktop
        # entry it launches is installed beside it. Warnings and errors fail; pedantic notes
        # would not.
        metainfo = os.path.join(self.prefix, layout.METAINFO)
        for args in (["validate", metainfo], ["validate-tree", self.destdir]):
            with self.subTest(command=args[0]):
                result = subprocess.run(["appstreamcli", *args, "--no-net"], capture_output=True,
                                        text=True, timeout=60)
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        version = subprocess.run([os.path.join(self.prefix, "bin/tessary"), "--version"],
                                 capture_output=True, text=True, timeout=30).stdout.split()[-1]
        newest = ElementTree.parse(metainfo).find("releases/release")
        self.assertEqual(newest.get("version"), version)

    def test_manual_pages_render_cleanly_and_document_every_option(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        for program in self.programs:
            with self.subTest(program=program):
                text, warnings = layout.man_page_text(
                    os.path.join(self.prefix, f"share/man/man1/{program}.1.gz"))
                self.assertEqual(warnings, "")
                self.assertRegex(text, rf"\nNAME\n\s+{re.escape(program)}\s+-\s")
                self.assertIn("EXIT STATUS", text)
                documented = layout.long_options(layout.options_section(text))
                self.assertIn("--help", documented)
                self.assertIn("--version", documented)
                usage = subprocess.run([os.path.join(self.prefix, "bin", program), "--help"],
                                       env=env, stdin=subprocess.DEVNULL, capture_output=True,
                                       text=True, timeout=60)
                self.assertEqual(usage.returncode, 0, usage.stderr)
                self.assertEqual(documented, layout.long_options(usage.stdout))

    def test_installed_viewer_shows_the_icon_and_the_entry_s_window_class(self):
        png = os.path.join(self.prefix, "share/icons/hicolor/64x64/apps",
                           self.entry["Icon"] + ".png")
        rgba = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], capture_output=True,
                              check=True, timeout=30).stdout
        expected = [a << 24 | r << 16 | g << 8 | b for r, g, b, a in zip(*[iter(rgba)] * 4)]
        with harness.Session() as s:
            window = s.start_main(program=os.path.join(self.prefix, "bin/tessary"))
            wm_class = s.run("xprop", "-id", str(window), "-notype", "WM_CLASS")
            self.assertIn(f'"{self.entry["StartupWMClass"]}"', wm_class.split(",")[-1])
            # _NET_WM_ICON: width, height, then one ARGB value a pixel, top row first.
            words = s.run("xprop", "-id", str(window), "-notype", "-f", "_NET_WM_ICON", "32c",
                          "=$0+\n", "_NET_WM_ICON").split("=", 1)[1]
            icon = [int(w) for w in words.split(",")]
            self.assertEqual(icon[:2], [64, 64])
            self.assertEqual(len(icon) - 2, len(expected))
            wrong = sum(shown != made for shown, made in zip(icon[2:], expected))
            self.assertEqual(wrong, 0, f"{wrong} of the icon's pixels differ from the PNG")
            s.quit_with_escape(window)


if __name__ == "__main__":
    unittest.main(verbosity=2)
