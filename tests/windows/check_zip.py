#!/usr/bin/env python3
"""Makes the Windows zip with cpack in the build folder given and checks what it holds:
one top folder named like the zip, with the program and the README, and nothing else."""
import subprocess
import sys
import zipfile

build, name = sys.argv[1], sys.argv[2]
subprocess.run(["cpack", "-G", "ZIP"], cwd=build, check=True, stdout=subprocess.DEVNULL)
with zipfile.ZipFile(f"{build}/{name}.zip") as z:
    files = sorted(i.filename for i in z.infolist() if not i.is_dir())
    program = z.read(f"{name}/tessary.exe")
expected = [f"{name}/README.md", f"{name}/tessary.exe"]
if files != expected or not program.startswith(b"MZ"):
    sys.exit(f"the zip holds {files}, expected {expected}")
print(f"{name}.zip: {', '.join(files)} ({len(program)} bytes of program)")
