"""Running a program with failsync.so ($TESSARY_FAILSYNC, tests/support/preload/failsync.cpp)
preloaded, and reading its log: each replaced file must be written, then synced, then renamed
into place, and its directory synced after the rename. Paths in the log are split at spaces,
so tests keep them free of spaces."""

import os

LIB = os.environ.get("TESSARY_FAILSYNC", "")


def environment(base, log=None, fail_from=None, signal_at=None, match=None):
    """`base` with the library preloaded; `log` the log file, `fail_from` the first sync that
    fails (1: all), `signal_at` a (sync number, signal) pair, `match` a text the paths of the
    syncs counted hold."""
    env = dict(base)
    env["LD_PRELOAD"] = LIB
    # The sanitizers' runtime must otherwise come first.
    env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"),
                                                  "verify_asan_link_order=0"]))
    for name, value in (("TESSARY_SYNC_LOG", log), ("TESSARY_FAIL_SYNC", fail_from),
                        ("TESSARY_SIGNAL_AT_SYNC", signal_at and "%d:%d" % signal_at),
                        ("TESSARY_SYNC_MATCH", match)):
        if value is not None:
            env[name] = str(value)
    return env


def read_log(path):
    with open(path) as f:
        return [line.split() for line in f]


def syncs(log):
    return [line for line in log if line[0] in ("fsync", "fdatasync")]


def syncs_of(path):
    return (["fsync", path], ["fdatasync", path])


def order_faults(log, targets):
    """For each target (an absolute path without links), what its log lines lack: one rename
    into it from a file written and then synced, and a sync of its directory after that."""
    faults = []
    for target in targets:
        renames = [i for i, line in enumerate(log) if line[0] == "rename" and line[2] == target]
        if len(renames) != 1:
            faults.append(f"{target}: renamed into place {len(renames)} times")
            continue
        at = renames[0]
        scratch = log[at][1]
        writes = [i for i, line in enumerate(log[:at]) if line == ["write", scratch]]
        synced = [i for i, line in enumerate(log[:at]) if line in syncs_of(scratch)]
        if not writes or not synced or max(writes) > max(synced):
            faults.append(f"{target}: not written and then synced before its rename")
        if not any(line in syncs_of(os.path.dirname(target)) for line in log[at:]):
            faults.append(f"{target}: its directory is not synced after the rename")
    return faults
