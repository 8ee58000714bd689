#!/usr/bin/env python3
"""The Debian package made by `cpack -G DEB` from the release build (the release preset's
build/release, built here as far as the package needs): its control fields and computed
dependencies; its copyright file and changelog in the forms Debian asks for, and lintian's
verdict; and a clean install (exactly the installed files), verify and remove with dpkg in a
scratch directory whose package database is a copy of this machine's, so the dependencies are
checked for real and the machine's own database is never written."""

import glob
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import layout  # noqa: E402

SOURCE = os.environ.get("TESSARY_SOURCE_DIR", "")
RELEASE = os.path.join(SOURCE, "build", "release")  # the release preset's binaryDir
DPKG_ADMIN = "/var/lib/dpkg"


def run(*args, cwd=None, timeout=120):
    result = subprocess.run(args, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(args)} failed ({result.returncode}):\n"
                             + result.stdout + result.stderr)
    return result.stdout + result.stderr


def tessary_on_this_machine():
    """What installing tessary would change in the machine's own package database: its status
    entry and its files under info/. Other packages may come and go meanwhile."""
    with open(os.path.join(DPKG_ADMIN, "status"), encoding="utf-8") as f:
        entries = [e for e in f.read().split("\n\n") if re.match(r"Package: tessary\n", e)]
    return entries, sorted(glob.glob(os.path.join(DPKG_ADMIN, "info", "tessary.*")))


def paragraphs(text):
    """The paragraphs of a Debian control-style file, each a dict of its fields."""
    result = []
    for block in re.split(r"\n\s*\n", text.strip()):
        fields = re.findall(r"^([\w-]+):[ \t]*(.*(?:\n[ \t].*)*)", block, re.M)
        result.append({name: value for name, value in fields})
    return result


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not SOURCE:
            raise unittest.SkipTest("TESSARY_SOURCE_DIR is not set (run the tests through ctest)")
        run("cmake", "--preset", "release", cwd=SOURCE)
        run("cmake", "--build", "--preset", "release", "-j2", "--target", "tessary_installables",
            cwd=SOURCE, timeout=1800)
        cls.programs = layout.built_programs(RELEASE)
        cls.work = tempfile.mkdtemp(prefix="tessary-package-")
        run("cpack", "-G", "DEB", "--config", os.path.join(RELEASE, "CPackConfig.cmake"),
            "-B", cls.work, cwd=cls.work, timeout=600)
        debs = [f for f in os.listdir(cls.work) if f.endswith(".deb")]
        if len(debs) != 1:
            shutil.rmtree(cls.work)
            raise AssertionError(f"cpack made {debs}")
        cls.deb = os.path.join(cls.work, debs[0])
        cls.contents = os.path.join(cls.work, "contents")
        run("dpkg-deb", "--extract", cls.deb, cls.contents)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def field(self, name):
        return run("dpkg-deb", "--field", self.deb, name).strip()

    def test_control_fields_and_computed_dependencies(self):
        info = run("dpkg-deb", "--info", self.deb)
        print(info)  # the record of what was made
        self.assertEqual(self.field("Package"), "tessary")
        self.assertEqual(self.field("Section"), "graphics")
        self.assertRegex(self.field("Maintainer"), r"^[^<>]+ <[^<>@\s]+@[^<>@\s]+>$")
        self.assertRegex(self.field("Description"), r"^\S.*\n ")  # a summary and a body
        # The libraries come from dpkg-shlibdeps, with the versions it computes.
        depends = {re.match(r"[\w.+-]+", d.strip()).group(0)
                   for d in self.field("Depends").split(",")}
        self.assertLessEqual({"libsdl2-2.0-0", "libepoxy0", "libgl1", "libc6"}, depends)
        self.assertRegex(self.field("Depends"), r"libsdl2-2\.0-0 \(>= [\d.]+\)")
        if "tessary-export" in self.programs:
            self.assertTrue(any(d.startswith("libassimp") for d in depends), depends)

    def test_lintian_finds_no_error_or_warning_and_every_override_is_used(self):
        result = subprocess.run(["lintian", "--display-info", "--fail-on", "error,warning",
                                 self.deb], capture_output=True, text=True, timeout=600)
        print(result.stdout)  # the record of lintian's verdict, infos included
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotRegex(result.stdout, r"(unused|mismatched)-override")

    def test_copyright_file_is_machine_readable_and_changelog_names_this_package(self):
        doc = os.path.join(self.contents, "usr/share/doc/tessary")
        with open(os.path.join(doc, "copyright"), encoding="utf-8") as f:
            header, *rest = paragraphs(f.read())
        self.assertEqual(header["Format"],
                         "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
        # Every Files paragraph has its copyright and licences; every licence named has its
        # text in a paragraph of its own, and every such text is named.
        files = [p for p in rest if "Files" in p]
        texts = {p["License"].split("\n")[0]: p["License"] for p in rest if "Files" not in p}
        named = set()
        for p in files:
            self.assertTrue(p.get("Copyright") and p.get("License"), p)
            named |= set(re.split(r"\s+(?:or|and)\s+", p["License"]))
        self.assertEqual(named, set(texts))
        self.assertTrue(all("\n" in text for text in texts.values()), texts)
        # The newest changelog entry is this package's version, signed by its maintainer.
        with gzip.open(os.path.join(doc, "changelog.Debian.gz"), "rt", encoding="utf-8") as f:
            changelog = f.read()
        self.assertTrue(changelog.startswith(f"tessary ({self.field('Version')}) "), changelog)
        self.assertIn(f"\n -- {self.field('Maintainer')}  ", changelog)

    def test_installs_runs_and_removes_cleanly_in_a_scratch_root(self):
        if os.geteuid() != 0:
            self.skipTest("dpkg installs as root only")
        root = os.path.join(self.work, "root")
        admin = os.path.join(self.work, "admin")
        for d in (root, os.path.join(admin, "info"), os.path.join(admin, "updates")):
            os.makedirs(d)
        shutil.copy(os.path.join(DPKG_ADMIN, "status"), os.path.join(admin, "status"))
        before = tessary_on_this_machine()
        dpkg = ["dpkg", f"--instdir={root}", f"--admindir={admin}"]

        def quiet(output):
            # The copied database has no file lists; dpkg says so for every package.
            return [line for line in output.splitlines()
                    if re.search(r"warning|error", line, re.I)
                    and "files list file for package" not in line]

        self.assertEqual(quiet(run(*dpkg, "--install", self.deb)), [])
        self.assertEqual(run("dpkg-query", f"--admindir={admin}", "--showformat=${Status}",
                             "--show", "tessary"), "install ok installed")
        self.assertEqual(run(*dpkg, "--verify", "tessary"), "")
        self.assertEqual(layout.files_under(os.path.join(root, "usr")),
                         layout.expected_files(self.programs, debian=True))
        # The stripped programs run from where the package put them.
        with harness.Session() as s:
            picture = os.path.join(self.work, "grid.png")
            s.run(os.path.join(root, "usr/bin/tessary-snapshot"), "--seed", "3", "--out",
                  picture, timeout=60)
            self.assertTrue(os.path.getsize(picture) > 0)

        self.assertEqual(quiet(run(*dpkg, "--remove", "tessary")), [])
        self.assertEqual(layout.files_under(root), set())
        result = subprocess.run(["dpkg-query", f"--admindir={admin}", "--show", "tessary"],
                                capture_output=True, timeout=30)
        self.assertNotEqual(result.returncode, 0, "tessary is still known to the database")
        self.assertEqual(tessary_on_this_machine(), before,
                         "tessary's entry in the machine's package database changed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
