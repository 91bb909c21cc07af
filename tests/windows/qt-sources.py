#!/usr/bin/python3
"""Compiles the tree's Qt sources for Windows as far as this machine can: MinGW-w64 checks each
source of the programs (syntax and types, no code) against the Qt headers of the Linux build,
with the Windows counterpart of every source that is written per platform. Nothing is linked; the
Qt-free sources are built and run under Wine by the cross build.

    qt-sources.py SOURCE_ROOT BUILD_DIR
Exit code 77: the cross compiler is missing (the Wine setup installs it)."""

import concurrent.futures
import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

COMPILER = "x86_64-w64-mingw32-g++"
PROGRAM_FOLDERS = ("rules", "link", "cad", "dialogs", "symbols", "tools", "app", "host", "cli")
# Sources written per platform, by the ending of their names: the Windows one is checked instead.
PLATFORM_ENDINGS = ("Posix.cpp", "Linux.cpp", "Mac.cpp")


def windows_counterpart(path):
    for ending in PLATFORM_ENDINGS:
        if path.endswith(ending):
            windows = path[: -len(ending)] + "Windows.cpp"
            return windows if os.path.exists(windows) else None
    return path


def kept_flags(command):
    """Include folders, definitions and the language standard of a Linux compile command."""
    words = shlex.split(command)[1:]
    kept = []
    i = 0
    while i < len(words):
        word = words[i]
        if word in ("-isystem", "-I", "-D") and i + 1 < len(words):
            kept += [word, words[i + 1]]
            i += 1
        elif word.startswith(("-I", "-D", "-std=", "-isystem")):
            kept.append(word)
        i += 1
    return kept


def main():
    root, build = (os.path.abspath(p) for p in sys.argv[1:3])
    if not shutil.which(COMPILER):
        print("qt-sources: skipped: %s is missing" % COMPILER)
        return 77
    with open(os.path.join(build, "compile_commands.json")) as f:
        database = json.load(f)

    checks = {}
    for entry in database:
        source = os.path.abspath(os.path.join(entry["directory"], entry["file"]))
        relative = os.path.relpath(source, root)
        if relative.split(os.sep)[0] not in PROGRAM_FOLDERS:
            continue
        source = windows_counterpart(source)
        if source:
            checks[source] = (entry["directory"], kept_flags(entry["command"]))

    with tempfile.TemporaryDirectory() as extra:
        # dxflib's headers, without the rest of the Linux system headers.
        os.symlink("/usr/include/dxflib", os.path.join(extra, "dxflib"))
        common = ["-fsyntax-only", "-Wall", "-Wextra", "-Wpedantic", "-Werror", "-DNOMINMAX",
                  "-I" + os.path.join(root, "link", "dde"), "-idirafter", extra]

        def check(source):
            directory, flags = checks[source]
            run = subprocess.run([COMPILER] + common + flags + [source], cwd=directory,
                                 capture_output=True, text=True)
            return source, run.returncode, run.stdout + run.stderr

        failed = 0
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            for source, code, output in pool.map(check, sorted(checks)):
                if code != 0 or output.strip():
                    failed += 1
                    print("FAIL %s\n%s" % (os.path.relpath(source, root), output))
    print("%d sources checked for Windows, %d failed" % (len(checks), failed))
    return 1 if failed or not checks else 0


if __name__ == "__main__":
    sys.exit(main())
