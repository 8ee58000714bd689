#!/usr/bin/env bash
# Only the OpenGL backend of the Direct3D stand-in includes GL headers, and
# only src/platform includes SDL. Prints offending lines and fails on any.
set -u
root=${1:-.}
cd "$root" || exit 2
status=0
gl=$(grep -rnE '#include\s*[<"](epoxy/|GL/)' src tools bench | grep -v '^src/platform/d3d9/gl/')
if [ -n "$gl" ]; then echo "GL headers outside the GL backend:"; echo "$gl"; status=1; fi
sdl=$(grep -rnE '#include\s*[<"]SDL' src tools bench | grep -v '^src/platform/')
if [ -n "$sdl" ]; then echo "SDL headers outside src/platform:"; echo "$sdl"; status=1; fi
[ $status -eq 0 ] && echo "boundaries hold"
exit $status
