"""tessary-export ($TESSARY_EXPORT_BIN) on real files: every STL passes admesh, every format
reads back with `assimp info` with the counts built, the session options pick the same shape
as a journal, usage errors and bad journals exit 2, a failed or interrupted export leaves an
existing file as it was, and every file is synced before it replaces one (failsync.so)."""

import json
import os
import re
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import failsync  # noqa: E402

BIN = os.environ.get("TESSARY_EXPORT_BIN", "tessary-export")
SANITIZER_MARKERS = ("ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer")

# The welded 64 x 64 grid: the two poles and 62 rows of 64, two triangles a quad but one at
# each pole. STL and OBJ read back with three vertices a face.
VERTICES, FACES = 62 * 64 + 2, 2 * 62 * 64
FORMATS = {"stl": 3 * FACES, "obj": 3 * FACES, "ply": VERTICES, "glb": VERTICES, "3mf": VERTICES}


def read(path, mode="rb"):
    with open(path, mode) as f:
        return f.read()


def run(args, **kwargs):
    proc = subprocess.run([BIN, *args], capture_output=True, text=True, timeout=120, **kwargs)
    for marker in SANITIZER_MARKERS:
        assert marker not in proc.stderr, proc.stderr
    return proc


def admesh_report(path):
    """admesh's counts by name, e.g. {'Number of parts': 1.0, 'Edges fixed': 0.0, ...}; for
    the two-column facet rows the final column."""
    out = subprocess.run(["admesh", path], capture_output=True, text=True, check=True).stdout
    report = {}
    for name, value in re.findall(r"^([A-Z][A-Za-z ]+?)\s*:\s*(-?[\d.]+)", out, re.M):
        report[name] = float(value)
    for name, value in re.findall(r"^((?:Total disconnected|Number of) facets)\s*:\s*\d+\s+(\d+)",
                                  out, re.M):
        report[name] = float(value)
    report["Volume"] = float(re.search(r"Volume\s*:\s*(-?[\d.]+)", out).group(1))
    for axis in "XYZ":
        lo, hi = re.search(rf"Min {axis} =\s*(\S+), Max {axis} =\s*(\S+)", out).groups()
        report["extent " + axis] = float(hi) - float(lo)
    return report


def assimp_counts(path):
    out = subprocess.run(["assimp", "info", path, "-r"], capture_output=True, text=True).stdout
    vertices = re.search(r"^Vertices:\s+(\d+)", out, re.M)
    faces = re.search(r"^Faces:\s+(\d+)", out, re.M)
    return (int(vertices.group(1)) if vertices else None, int(faces.group(1)) if faces else None)


def glb_json(path):
    data = read(path)
    length, kind = struct.unpack_from("<I4s", data, 12)
    assert kind == b"JSON"
    return json.loads(data[20:20 + length])


def ply_first_colour(path):
    data = read(path)
    end = data.index(b"end_header\n") + len(b"end_header\n")
    return tuple(c / 255 for c in data[end + 24:end + 27])  # after x y z nx ny nz


def limit_file_size():
    """In the child: every write past 1000 bytes fails, as on a full disk."""
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (1000, 1000))


class ExportTest(unittest.TestCase):
    def setUp(self):
        self.dir = os.path.realpath(tempfile.mkdtemp(prefix="tessary-export-test-"))
        self.addCleanup(shutil.rmtree, self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def export(self, *args, **kwargs):
        proc = run(list(args), **kwargs)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        return proc

    def write(self, name, text):
        with open(self.path(name), "w") as f:
            f.write(text)
        return self.path(name)

    def test_every_stl_is_a_closed_solid_of_the_asked_size(self):
        cases = [(cell, "50") for cell in range(9)] + [(4, "12.5"), (7, "1000"), (4, "0.01"),
                                                        (7, "100000")]
        for cell, size in cases:
            with self.subTest(cell=cell, size=size):
                out = self.path(f"cell{cell}.stl")
                self.export("--seed", "7", "--clicks", "4,0", "--cell", str(cell), "--out", out,
                            "--size-mm", size)
                r = admesh_report(out)
                self.assertEqual(r["Number of facets"], FACES)
                self.assertEqual(r["Number of parts"], 1)
                for name in ["Total disconnected facets", "Degenerate facets", "Edges fixed",
                             "Backwards edges", "Facets reversed", "Normals fixed",
                             "Facets removed", "Facets added"]:
                    self.assertEqual(r[name], 0, name)
                if float(size) >= 1:  # admesh prints the volume to six decimals
                    self.assertGreater(r["Volume"], 0)
                largest = max(r["extent X"], r["extent Y"], r["extent Z"])
                self.assertAlmostEqual(largest, float(size), delta=float(size) * 1e-5)

    def test_every_format_reads_back_with_its_counts_colour_and_units(self):
        colours = {}
        for ext, vertices in FORMATS.items():
            with self.subTest(ext=ext):
                out = self.path("My Shape." + ext.upper())
                self.export("--seed", "11", "--clicks", "2", "--cell", "5", "--out", out)
                self.assertEqual(assimp_counts(out), (vertices, FACES))
                if ext == "obj":
                    self.assertIn("mtllib My Shape.mtl\n", read(out, "r"))
                    kd = re.search(r"^Kd (\S+) (\S+) (\S+)", read(self.path("My Shape.mtl"), "r"),
                                   re.M)
                    colours[ext] = tuple(float(c) for c in kd.groups())
                elif ext == "glb":
                    gltf = glb_json(out)
                    self.assertIn("NORMAL", gltf["meshes"][0]["primitives"][0]["attributes"])
                    material = gltf["materials"][0]["pbrMetallicRoughness"]
                    colours[ext] = tuple(material["baseColorFactor"][:3])
                elif ext == "ply":
                    header = read(out)[:600]
                    self.assertIn(b"format binary_little_endian", header)
                    self.assertIn(b"property float nx", header)
                    colours[ext] = ply_first_colour(out)
                elif ext == "3mf":
                    model = zipfile.ZipFile(out).read("3D/3DModel.model").decode()
                    self.assertRegex(model, r'<model [^>]*unit="millimeter"')
        # One colour in every format, and one a viewer draws: each channel in [0.25, 1].
        for ext in ("glb", "ply"):
            for a, b in zip(colours["obj"], colours[ext]):
                self.assertAlmostEqual(a, b, delta=1 / 255, msg=ext)
        self.assertTrue(all(0.25 - 1 / 255 <= c <= 1 for c in colours["obj"]), colours)

    def test_session_options_and_journal_pick_the_same_shape(self):
        journal = self.write("session.txt", "# a session\ntessary-journal 1\nseed 99\n"
                             "rates 20 70\n\nclick 4\nclick 1\nundo\nclick 8\nclick 0\n")
        by_seed = {}  # (clicks, cell) -> bytes
        for clicks, cell in [("4,8,0", 3), ("4,8", 3), ("", 3), ("4,8,0", 6)]:
            out = self.path(f"seed-{clicks}-{cell}.stl")
            self.export("--seed", "99", "--rates", "20,70", "--clicks", clicks, "--cell",
                        str(cell), "--out", out)
            by_seed[clicks, cell] = read(out)
        self.assertNotEqual(by_seed["4,8,0", 3], by_seed["4,8,0", 6])
        self.assertNotEqual(by_seed["4,8,0", 3], by_seed["4,8", 3])
        cases = [([], "4,8,0"), (["--generation", "3"], "4,8,0"), (["--generation", "2"], "4,8"),
                 (["--generation", "0"], "")]
        for extra, clicks in cases:
            with self.subTest(extra=extra):
                out = self.path("journal.stl")
                self.export("--journal", journal, "--cell", "3", "--out", out, *extra)
                self.assertEqual(read(out), by_seed[clicks, 3])
        # --generation on the seed's clicks, and the default rates.
        out = self.path("gen.stl")
        self.export("--seed", "99", "--rates", "20,70", "--clicks", "4,8,0", "--generation", "2",
                    "--cell", "3", "--out", out)
        self.assertEqual(read(out), by_seed["4,8", 3])
        self.export("--seed", "99", "--clicks", "4,8,0", "--cell", "3", "--out", out)
        self.assertNotEqual(read(out), by_seed["4,8,0", 3])

    def test_usage_errors_and_bad_journals_exit_2_and_write_nothing(self):
        out = self.path("never.stl")
        good = self.write("good.txt", "tessary-journal 1\nseed 1\nrates 10 50\nclick 2\n")
        bad = self.write("bad.txt", "tessary-journal 1\nseed 1\nrates 10 50\n\nclick 9\n")
        fifo = self.path("fifo.txt")
        os.mkfifo(fifo)  # read without a writer, it would hang
        cases = [
            ([], "required"),
            (["--seed", "1", "--out", out], "--cell"),
            (["--seed", "1", "--cell", "0"], "--out"),
            (["--cell", "0", "--out", out], "--journal"),
            (["--journal", good, "--seed", "1", "--cell", "0", "--out", out], "exclude"),
            (["--rates", "10,50", "--cell", "0", "--out", out], "seed"),
            (["--seed", "1", "--cell", "9", "--out", out], "--cell"),
            (["--seed", "4294967296", "--cell", "0", "--out", out], "seed"),
            (["--seed", "1", "--rates", "10", "--cell", "0", "--out", out], "rates"),
            (["--seed", "1", "--rates", "10,101", "--cell", "0", "--out", out], "rates"),
            (["--seed", "1", "--clicks", "1,,2", "--cell", "0", "--out", out], "clicks"),
            (["--seed", "1", "--clicks", "1,2", "--generation", "3", "--cell", "0", "--out",
              out], "no generation 3"),
            (["--seed", "1", "--cell", "0", "--out", self.path("x.step")], ".stl"),
            (["--seed", "1", "--cell", "0", "--out", self.path("stl")], ".stl"),
            *[(["--seed", "1", "--cell", "0", "--out", out, "--size-mm", size], "0.01 to 100000")
              for size in ["0", "nan", "1e7", "5mm", "1e-42", "0.0099", "100001"]],
            *[(["--seed", "1", "--cell", "0", "--out", self.path(name)], "control characters")
              for name in ["a\nv 0 0 0.obj", "a\rb.OBJ", "a\x7f.obj"]],
            (["--seed", "1", "--cell", "0", "--out", out, "--colour", "red"], "colour"),
            (["--journal", bad, "--cell", "0", "--out", out], "line 5"),
            (["--journal", self.path("missing.txt"), "--cell", "0", "--out", out],
             "cannot read " + self.path("missing.txt") + ": No such file or directory"),
            (["--journal", self.dir, "--cell", "0", "--out", out], ": Is a directory"),
            (["--journal", fifo, "--cell", "0", "--out", out], ": not a regular file"),
        ]
        for args, mention in cases:
            with self.subTest(args=args):
                proc = run(args)
                self.assertEqual(proc.returncode, 2, proc.stderr)
                self.assertIn("tessary-export:", proc.stderr)
                self.assertIn(mention, proc.stderr)
                self.assertEqual(proc.stdout, "")
                self.assertEqual(sorted(os.listdir(self.dir)), ["bad.txt", "fifo.txt", "good.txt"])

    def test_a_failed_or_interrupted_export_leaves_the_existing_files_as_they_were(self):
        old = b"an earlier export\n" * 10
        full_disk = dict(preexec_fn=limit_file_size, restore_signals=False)
        cases = [(ext, "full disk", full_disk, "File too large") for ext in FORMATS if ext != "3mf"]
        cases += [
            ("3mf", "full disk", full_disk, "the archive was not written whole"),
            ("obj", "mtl is a directory", {}, "Is a directory"),
            ("stl", "no such directory", {}, "No such file or directory"),
            *[("obj", f"sync {n} fails", dict(env=failsync.environment(os.environ, fail_from=n)),
               "Input/output error") for n in (1, 2)],
            ("obj", "SIGTERM at sync 2",
             dict(env=failsync.environment(os.environ, signal_at=(2, signal.SIGTERM))), None),
        ]
        for ext, how, kwargs, reason in cases:
            with self.subTest(ext=ext, how=how):
                work = tempfile.mkdtemp(dir=self.dir)
                out = os.path.join(work, "kept." + ext)
                olds = [out, os.path.join(work, "kept.mtl")]
                if how == "no such directory":
                    out, olds = os.path.join(work, "missing", "kept." + ext), []
                elif how == "mtl is a directory":
                    os.mkdir(olds.pop())
                for path in olds:
                    with open(path, "wb") as f:
                        f.write(old)
                before = sorted(os.listdir(work))
                proc = run(["--seed", "3", "--cell", "4", "--out", out], **kwargs)
                if reason is None:
                    self.assertEqual(proc.returncode, -signal.SIGTERM, proc.stderr)
                else:
                    self.assertEqual(proc.returncode, 1, proc.stderr)
                    self.assertRegex(proc.stderr, rf"^tessary-export: cannot (write|replace) "
                                     rf"{re.escape(work)}/[^:]+: {reason}\n$")
                self.assertEqual(sorted(os.listdir(work)), before)  # no scratch left behind
                for path in olds:
                    self.assertEqual(read(path), old)

    def test_each_file_is_synced_before_its_rename_and_its_directory_after(self):
        for ext in ("stl", "obj", "3mf"):
            with self.subTest(ext=ext):
                out, log = self.path("synced." + ext), self.path(ext + ".log")
                self.export("--seed", "3", "--cell", "4", "--out", out,
                            env=failsync.environment(os.environ, log=log))
                entries = failsync.read_log(log)
                targets = [out] + ([self.path("synced.mtl")] if ext == "obj" else [])
                self.assertEqual(failsync.order_faults(entries, targets), [])
                # The directory's sync comes last, and its failure is reported too.
                last = len(failsync.syncs(entries))
                proc = run(["--seed", "3", "--cell", "4", "--out", out],
                           env=failsync.environment(os.environ, fail_from=last))
                self.assertEqual(proc.returncode, 1, proc.stderr)
                self.assertIn(f"cannot sync its directory {self.dir}: Input/output error",
                              proc.stderr)

    def test_a_link_is_followed_and_the_replaced_files_mode_kept(self):
        os.mkdir(self.path("real"))
        shape = self.write("real/shape.obj", "an earlier export\n")
        os.chmod(shape, 0o444)
        os.symlink("real/shape.obj", self.path("link.obj"))
        self.export("--seed", "3", "--cell", "4", "--out", self.path("link.obj"))
        self.assertTrue(os.path.islink(self.path("link.obj")))
        self.assertEqual(os.stat(shape).st_mode & 0o777, 0o444)
        self.assertIn("mtllib shape.mtl\n", read(shape, "r"))  # named after the file written
        self.assertEqual(sorted(os.listdir(self.path("real"))), ["shape.mtl", "shape.obj"])
        self.assertEqual(sorted(os.listdir(self.dir)), ["link.obj", "real"])

if __name__ == "__main__":
    unittest.main()
