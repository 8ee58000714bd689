"""What an installation of Tessary holds under its prefix, shared by the install and the
package tests, and the checks both make of it."""

import gzip
import os
import re
import subprocess

PROGRAMS = ("tessary", "tessary-snapshot", "tessary-export")
REQUIRED_PROGRAMS = ("tessary", "tessary-snapshot")
ICON_SIZES = (48, 64, 128, 256)


def built_programs(build_dir):
    """The programs built in `build_dir`; the viewer and the snapshot tool always are."""
    missing = [p for p in REQUIRED_PROGRAMS if not os.path.exists(os.path.join(build_dir, p))]
    if missing:
        raise AssertionError(f"not built in {build_dir}: {', '.join(missing)}")
    return [p for p in PROGRAMS if os.path.exists(os.path.join(build_dir, p))]


APP_ID = "org.example.tessary"  # the AppStream component and the desktop entry's name
DESKTOP_ENTRY = f"share/applications/{APP_ID}.desktop"
METAINFO = f"share/metainfo/{APP_ID}.metainfo.xml"
DOC = "share/doc/tessary"


def expected_files(programs, debian=False):
    """Every file under the prefix, relative to it: nothing more may be installed. The Debian
    package has the licence in its copyright file, with Debian's changelog and overrides."""
    files = {DESKTOP_ENTRY, METAINFO, f"{DOC}/THIRD-PARTY-NOTICES"}
    files |= {f"share/icons/hicolor/{n}x{n}/apps/tessary.png" for n in ICON_SIZES}
    for program in programs:
        files |= {f"bin/{program}", f"share/man/man1/{program}.1.gz"}
    if debian:
        return files | {f"{DOC}/copyright", f"{DOC}/changelog.Debian.gz",
                        "share/lintian/overrides/tessary"}
    return files | {f"{DOC}/LICENSE"}


def files_under(prefix):
    return {os.path.relpath(os.path.join(d, f), prefix)
            for d, _, names in os.walk(prefix) for f in names}


def long_options(text):
    return set(re.findall(r"(?<![\w-])--[a-z][a-z0-9-]*", text))


def man_page_text(path):
    """The rendered page as plain text, and groff's warnings."""
    with gzip.open(path, "rb") as page:
        source = page.read()
    result = subprocess.run(["groff", "-man", "-Tascii", "-ww", "-P-cbou"], input=source,
                            capture_output=True, timeout=30)
    return result.stdout.decode(), result.stderr.decode()


def options_section(text):
    """The OPTIONS section of a rendered page."""
    match = re.search(r"^OPTIONS\n(.*?)^\S", text, re.M | re.S)
    return match.group(1) if match else ""
