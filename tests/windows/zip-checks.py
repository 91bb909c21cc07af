#!/usr/bin/python3
"""The unpacked Windows zip as a user meets it, under Wine: the two window programs start without
a console and quendra-script.exe is a console program; the texts open in Notepad (UTF-8 with a
byte order mark, CRLF) and every file they name is in the zip; quendra-host.exe --help offers only
what the build has; a headless run writes its PNG and PDF, and one whose platform cannot start ends
with the reason instead of waiting at a box.

    zip-checks.py FOLDER
Run with the Wine prefix's settings (wine-tests.sh with)."""

import os
import re
import struct
import subprocess
import sys
import tempfile

GUI, CONSOLE = 2, 3
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def subsystem(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    # The optional header follows the 20-byte file header; Subsystem lies at its offset 68.
    return struct.unpack_from("<H", data, pe + 4 + 20 + 68)[0]


def head(path, size):
    if not os.path.exists(path):
        return b""
    with open(path, "rb") as f:
        return f.read(size)


# Output through files, not pipes: the Wine services a run starts keep its pipes open.
def wine(folder, *arguments, env=None, timeout=180):
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            code = subprocess.run(["wine", *arguments], stdout=out, stderr=err, cwd=folder,
                                  env=env, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            code = "timed out"
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()


def main():
    folder = os.path.abspath(sys.argv[1])
    for name, wanted in (("quendra.exe", GUI), ("quendra-host.exe", GUI), ("quendra-script.exe", CONSOLE)):
        check(subsystem(os.path.join(folder, name)) == wanted,
              "%s is a %s program" % (name, "window" if wanted == GUI else "console"))

    shipped = {name.lower() for name in os.listdir(folder)}
    for text in ("readme.txt", "install-ja.txt"):
        with open(os.path.join(folder, text), "rb") as f:
            data = f.read()
        check(data.startswith(b"\xef\xbb\xbf"), text + " begins with a byte order mark")
        check(data.count(b"\n") > 5 and data.count(b"\n") == data.count(b"\r\n") == data.count(b"\r"),
              text + " ends every line with CRLF")
        body = data.decode("utf-8-sig")
        # Files of ours it names (the original CAD host's aclt.exe is not ours).
        named = {n.lower() for n in re.findall(r"[A-Za-z0-9_-][A-Za-z0-9_.-]*\.(?:txt|md|exe)\b", body)}
        missing = sorted(named - shipped - {"aclt.exe"})
        check(not missing, text + " names only files in the zip" + (": missing %s" % missing if missing else ""))

    code, out, _ = wine(folder, "quendra-host.exe", "--help")
    help_text = out.decode("cp932", "replace")
    check(code == 0 and "--png" in help_text and "--pdf" in help_text, "quendra-host.exe --help prints its options")
    check("--svg" not in help_text, "and offers no SVG export, which this build lacks")

    with tempfile.TemporaryDirectory() as work:
        script = os.path.join(work, "plan.scr")
        with open(script, "w", encoding="utf-8", newline="\r\n") as f:
            f.write("LINE 0,0 6000,0 6000,4000 0,4000 C\nCIRCLE 3000,2000 500\nDTEXT J M 3000,1000 300 0 和室\n\n")
        png, pdf = os.path.join(work, "plan.png"), os.path.join(work, "plan.pdf")
        code, _, err = wine(folder, "quendra-host.exe", "--headless", "--replay", script, "--exit-after-replay",
                            "--png", png, "--pdf", pdf, "--scale", "1:100", "--paper", "A3")
        check(code == 0, "a headless run with --png and --pdf ends by itself (%s) %s" % (code, err[-300:]))
        check(head(png, 8) == b"\x89PNG\r\n\x1a\n" and os.path.getsize(png) > 1000, "it writes the PNG")
        check(head(pdf, 5) == b"%PDF-" and b"/FontFile" in head(pdf, 10**7),
              "and the PDF, its Japanese text in a font of the system")

        # Wine hands QT_ variables to Windows programs only by this name.
        env = dict(os.environ, WINEQT_QPA_PLATFORM="nosuchplatform")
        code, _, err = wine(folder, "quendra-host.exe", "--headless", "--replay", script, "--exit-after-replay",
                            "--png", png, env=env, timeout=120)
        check(code not in (0, "timed out"), "a headless run whose platform cannot start ends (%s)" % code)
        check(b"nosuchplatform" in err, "and says why on stderr")

    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
