#!/usr/bin/python3
"""quendra-script.exe under Wine against the Linux quendra-script: for every button of every form,
the defaults and a few inputs a user types (a plain number, a decimal, full-width digits, letters);
both must print the same JSON, the same errors and exit codes.
Windows ends the lines it prints with CR LF; the JSON is compared line by line.

    script-json.py LINUX_SCRIPT WINDOWS_FOLDER
Run with the Wine prefix's settings (wine-tests.sh with)."""

import concurrent.futures
import os
import subprocess
import sys
import tempfile

SAMPLES = [[], ["Text1=1800"], ["Text1=1234.5"], ["Text1=１２００"], ["Text1=abc"]]


def lines(text):
    return text.replace(b"\r\n", b"\n").decode("utf-8", "replace")


def main():
    linux, folder = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    windows = os.path.join(folder, "quendra-script.exe")
    forms = subprocess.run([linux, "--list"], capture_output=True, check=True).stdout.decode().split("\n")
    cases = [[words[0], button] + sample
             for words in (f.split() for f in forms if f.strip())
             for button in words[1:]
             for sample in SAMPLES]

    # Output through files, not pipes: the Wine services the first run starts keep its pipes open.
    def run_one(program, case):
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                code = subprocess.run(program + case, stdout=out, stderr=err, timeout=120, cwd=folder).returncode
            except subprocess.TimeoutExpired:
                return "timed out"
            out.seek(0)
            err.seek(0)
            return code, lines(out.read()), lines(err.read())

    # Wine itself now and then fails to start a process under load (exit 1, nothing printed, the
    # program never ran); such a run is tried once more. A program that ran always prints.
    def run_windows(case):
        result = run_one(["wine", windows], case)
        if result != "timed out" and result[0] != 0 and not result[1] and not result[2]:
            result = run_one(["wine", windows], case)
        return result

    def run(case):
        return case, run_one([linux], case), run_windows(case)

    failures = 0
    first = run(["--list"])
    if first[1] != first[2]:
        print("differs: quendra-script --list\n  Linux:   %r\n  Windows: %r" % first[1:])
        return 1
    drawn = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        for case, a, b in pool.map(run, cases):
            if a != b:
                failures += 1
                if failures <= 10:
                    print("differs: quendra-script %s\n  Linux:   %r\n  Windows: %r" % (" ".join(case), a, b))
            elif a[0] == 0 and '"execute"' in a[1]:
                drawn += 1
    print("script-json: %d cases, %d with scripts, %d differ" % (len(cases), drawn, failures))
    return 1 if failures or drawn == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
