#!/usr/bin/env bash
# Runs a test program on a display of its own: a fresh Xvfb server that goes
# away with the program. GL tests use it so that nothing depends on a display
# the machine may lack.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
