#!/bin/sh
# Runs a Windows program under Wine in the test run's own prefix
# ($TESSARY_WINEPREFIX), quietly and without Mono or Gecko prompts.
#   with-wine.sh --start   makes a fresh prefix and keeps its server running
#   with-wine.sh --stop    stops the prefix's server
#   with-wine.sh PROGRAM.exe ARGS...   runs the program; its status is Wine's
set -eu
export WINEPREFIX="${TESSARY_WINEPREFIX:?set TESSARY_WINEPREFIX to the prefix folder}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case "${1:-}" in
    --start)
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        # Without the 32-bit Wine (not needed here) wineboot reports a failure
        # for its 32-bit helpers; the prefix is made all the same.
        wineboot -i || true
        [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "wineboot made no prefix" >&2; exit 1; }
        # Kept running until --stop, so each program starts in a fraction of a second.
        wineserver -p || true
        ;;
    --stop)
        wineserver -k || true
        ;;
    *)
        exec wine "$@"
        ;;
esac
