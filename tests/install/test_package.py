#!/usr/bin/env python3
"""The Debian package made by `cpack -G DEB` from the release build (the release preset's
build/release, built here as far as the package needs): its control fields and computed
dependencies, and a clean install (exactly the installed files), verify and remove with dpkg
in a scratch directory whose package database is a copy of this machine's, so the
dependencies are checked for real and the machine's own database is never written."""

import hashlib
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
DPKG_STATUS = "/var/lib/dpkg/status"


def run(*args, cwd=None, timeout=120):
    result = subprocess.run(args, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(args)} failed ({result.returncode}):\n"
                             + result.stdout + result.stderr)
    return result.stdout + result.stderr


def status_digest():
    with open(DPKG_STATUS, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


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

    def test_installs_runs_and_removes_cleanly_in_a_scratch_root(self):
        if os.geteuid() != 0:
            self.skipTest("dpkg installs as root only")
        root = os.path.join(self.work, "root")
        admin = os.path.join(self.work, "admin")
        for d in (root, os.path.join(admin, "info"), os.path.join(admin, "updates")):
            os.makedirs(d)
        shutil.copy(DPKG_STATUS, os.path.join(admin, "status"))
        before = status_digest()
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
                         layout.expected_files(self.programs))
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
        self.assertEqual(status_digest(), before, "the machine's package database changed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
