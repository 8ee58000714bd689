#!/usr/bin/env python3
"""The layers of src/ as the build links them, kept by the includes too: a file may include
only its own layer and those below it (program, scene, core, configuration, platform). SDL2
and libepoxy are linked privately to the platform and the GL backend, so the build already
refuses SDL's headers elsewhere; libepoxy's sit on the compiler's default path, so GL headers
outside the GL backend are looked for here. Prints each offending line; fails on any."""

import os
import re
import sys

RANKS = {"app": 5, "main.cpp": 5, "scene": 4, "gfx": 3, "shape": 3, "genetic": 3, "config": 2,
         "platform": 1}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)

src = os.path.join(sys.argv[1] if len(sys.argv) > 1 else ".", "src")
faults = []
for folder, _, files in os.walk(src):
    for name in files:
        path = os.path.join(folder, name)
        rel = os.path.relpath(path, src)
        own = RANKS.get(rel.split(os.sep)[0])
        if own is None or not name.endswith((".h", ".cpp")):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for line, (kind, target) in ((text.count("\n", 0, m.start()) + 1, m.groups())
                                     for m in INCLUDE.finditer(text)):
            where = f"src/{rel}:{line}: {target}"
            if kind == "<" and target.startswith(("epoxy/", "GL/")) and \
                    not rel.startswith(os.path.join("platform", "d3d9", "gl")):
                faults.append(f"{where} (GL outside the GL backend)")
            if kind == '"' and os.path.exists(os.path.join(src, target)):
                theirs = RANKS.get(target.split("/")[0], 0)
                if theirs > own:
                    faults.append(f"{where} (a layer above)")
print("\n".join(faults) if faults else "layers hold")
sys.exit(1 if faults else 0)
