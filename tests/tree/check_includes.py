#!/usr/bin/env python3
"""Checks the direction of use between the tree's components from their #include lines.

A component is a top folder (rules, link, ...) or, in cad/ and host/, a room (cad/model,
cad/dxf/tags, host/session, ...). Prints each include that breaks a rule; exits 1 if any does.
Usage: check_includes.py ROOT
"""
import os
import re
import sys

CAD = {"cad/model", "cad/dxf/tags", "cad/dxf", "cad/command", "cad/render"}

# What each component may include besides itself.
ALLOWED = {
    "rules": set(),
    "symbols": {"rules"},
    "link": {"link/dde"},
    "link/dde": {"link"},
    "dialogs": {"rules", "link"} | CAD,
    "tools": {"rules", "dialogs"},
    "app": {"dialogs", "symbols", "tools", "link", "link/dde", "rules"},
    "cli": {"symbols", "link", "rules"},
    "cad/model": set(),
    "cad/dxf/tags": set(),
    "cad/dxf": {"cad/model", "cad/dxf/tags"},
    "cad/command": {"cad/model"},
    "cad/render": {"cad/model"},
    "host/session": CAD - {"cad/render"} | {"link", "link/dde"},
    "host/window": CAD | {"host/session"},
    "host": {"host/session", "host/window"},
    "bridge": CAD | {"link", "host/session"},
}
# Components that may include Qt.
QT = {"link", "link/dde", "dialogs", "tools", "app", "cli", "cad/render", "host/session", "host/window",
      "host", "bridge"}
# Components that may include nothing but the standard library and themselves.
STD_ONLY = {"cad/model", "cad/dxf/tags", "rules"}

SOURCE = re.compile(r"\.(cpp|h)$")
QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
ANGLED = re.compile(r"^\s*#\s*include\s*<([^>]+)>", re.M)


def component(path):
    parts = path.split("/")
    if parts[0] == "cad" and len(parts) > 2:
        if parts[1] == "dxf" and len(parts) > 3 and parts[2] == "tags":
            return "cad/dxf/tags"
        return "cad/" + parts[1]
    if parts[0] in ("host", "link") and len(parts) > 2:
        return parts[0] + "/" + parts[1]
    return parts[0]


def standard(header):
    # The C++ library's headers have no extension and no folder.
    return "/" not in header and "." not in header and not header.startswith("Q")


def check(root):
    faults = []
    for top in sorted({c.split("/")[0] for c in ALLOWED}):
        folder = os.path.join(root, top)
        for dirpath, _, files in os.walk(folder):
            for name in sorted(files):
                if not SOURCE.search(name):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), root)
                here = component(path)
                if here not in ALLOWED:
                    faults.append(f"{path}: lies in no known component ({here})")
                    continue
                with open(os.path.join(root, path), encoding="utf-8") as f:
                    text = f.read()
                for header in QUOTED.findall(text):
                    if "/" not in header:
                        continue  # a header beside the file, or a third party's
                    there = component(header)
                    if there != here and there not in ALLOWED[here]:
                        faults.append(f"{path}: {here} may not include {header} ({there})")
                for header in ANGLED.findall(text):
                    if header.startswith("Q") and here not in QT:
                        faults.append(f"{path}: {here} may not use Qt (<{header}>)")
                    elif here in STD_ONLY and not standard(header):
                        faults.append(f"{path}: {here} uses only the standard library, not <{header}>")
    faults += check_bridge_sources(root)
    return faults


def check_bridge_sources(root):
    # The bridge is built apart, against Qt 5, and names the host's sources it compiles by path:
    # those may come from host/session only.
    faults = []
    for dirpath, _, files in os.walk(os.path.join(root, "bridge")):
        if "CMakeLists.txt" not in files:
            continue
        path = os.path.join(dirpath, "CMakeLists.txt")
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                for named in re.findall(r"host/\w+", line):
                    if named != "host/session":
                        faults.append(f"{os.path.relpath(path, root)}:{number}: the bridge may not build {named}")
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    faults = check(root)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
