#!/usr/bin/env python3
"""Makes the Windows packages with cpack in the build folder given: the zip must hold one top
folder named like it, with the programs, the README and the licences, and nothing else; the
installer (a 32-bit program, which this machine's 64-bit Wine cannot run) must hold the same
files and an uninstaller."""
import subprocess
import sys
import zipfile

build, name = sys.argv[1], sys.argv[2]
programs = ["tessary.exe", "tessary-export.exe", "tessary-snapshot.exe"]
subprocess.run(["cpack", "-G", "ZIP;NSIS"], cwd=build, check=True, stdout=subprocess.DEVNULL)
with zipfile.ZipFile(f"{build}/{name}.zip") as z:
    files = sorted(i.filename for i in z.infolist() if not i.is_dir())
    headers = [z.read(f"{name}/{p}")[:2] for p in programs]
expected = sorted(f"{name}/{f}"
                  for f in ("LICENSE", "README.md", "THIRD-PARTY-NOTICES", *programs))
if files != expected or any(h != b"MZ" for h in headers):
    sys.exit(f"the zip holds {files}, expected {expected}")
with open(f"{build}/{name}.exe", "rb") as installer:
    if installer.read(2) != b"MZ":
        sys.exit(f"{name}.exe is no Windows program")
# The installer cannot run here, but 7-Zip reads what it would install: the zip's files, the
# uninstaller it writes, and the Start-menu plug-in.
listing = subprocess.run(["7z", "l", "-slt", f"{build}/{name}.exe"], check=True,
                         capture_output=True, text=True).stdout
held = {line[len("Path = "):] for line in listing.splitlines() if line.startswith("Path = ")}
wanted = {f.split("/", 1)[1] for f in expected} | {"Uninstall.exe", "$PLUGINSDIR/StartMenu.dll"}
if not wanted <= held:
    sys.exit(f"the installer lacks {sorted(wanted - held)}")
print(f"{name}.zip: {', '.join(files)}; {name}.exe holds {', '.join(sorted(wanted))}")
