"""Reads and writes DXF with ezdxf, as an independent check of the host's DXF files.

dump FILE: audits FILE and prints "errors N", then one line per model-space entity in the
           form of cad::describe (text escapes decoded).
make FILE: writes a small AC1015 drawing with ezdxf.
make2018 FILE: an R2018 drawing: a line and a circle in a group POSTS, and a line in none.
make12 FILE: an R12 drawing with one line.
groups FILE: one line per GROUP with its entities (sorted), then its XDATA of QUENDRA_LT, a tag
             a line.
xdata FILE: one line per model-space entity carrying XDATA of QUENDRA_LT, then that XDATA.
"""
import math
import re
import sys

import ezdxf
from ezdxf.enums import TextEntityAlignment
from ezdxf.entities.boundary_paths import EdgeType


def num(v):
    r = round(v * 1e6) / 1e6
    if r == 0:
        r = 0.0
    s = repr(float(r))
    if s.endswith(".0"):
        s = s[:-2]
    return s


def pt(p):
    return f"{num(p[0])},{num(p[1])}"


def decode(text):
    return re.sub(r"\\U\+([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), text)


def straight(path):
    """Whether a hatch's path is of straight pieces only."""
    if hasattr(path, "vertices"):
        return not any(v[2] for v in path.vertices)
    return all(edge.type == EdgeType.LINE for edge in path.edges)


def describe(e, every_kind=False):
    """every_kind: hatches of straight edges and rays by their shapes too, not by their kind."""
    t = e.dxftype()
    if t == "LINE":
        s = f"L {pt(e.dxf.start)} {pt(e.dxf.end)}"
    elif t == "ARC":
        s = f"A {pt(e.dxf.center)} {num(e.dxf.radius)} {num(e.dxf.start_angle)}..{num(e.dxf.end_angle)}"
    elif t == "CIRCLE":
        s = f"C {pt(e.dxf.center)} {num(e.dxf.radius)}"
    elif t == "ELLIPSE":
        s = f"E {pt(e.dxf.center)} {pt(e.dxf.major_axis)} {num(e.dxf.ratio)}"
    elif t == "TEXT":
        where = e.dxf.align_point if e.dxf.halign == 4 else e.dxf.insert
        s = f"T {pt(where)} {num(e.dxf.height)} {num(e.dxf.rotation)} {decode(e.dxf.text)}"
    elif t == "LWPOLYLINE":
        points = list(e.get_points("xyse"))
        s = "P" + "".join(f" {num(x)},{num(y)}" for x, y, _, _ in points)
        start, end = points[0][2], points[0][3]
        if e.dxf.const_width:
            start = end = e.dxf.const_width
        if start or end:
            s += f" w {num(start)}/{num(end)}"
        if e.closed:
            s += " closed"
    elif every_kind and t == "HATCH" and all(straight(path) for path in e.paths):
        s = "F"
        for path in e.paths:
            if hasattr(path, "vertices"):
                loop = [v[:2] for v in path.vertices]
            else:
                loop = [edge.start for edge in path.edges]
            s += "".join(f" {pt(p)}" for p in loop + loop[:1])
    elif every_kind and t in ("RAY", "XLINE"):
        start, step = e.dxf.start, e.dxf.unit_vector
        s = f"{t[0]} {pt(start)} {pt((start[0] + step[0], start[1] + step[1]))}"
    else:
        s = t
    if e.dxf.color != 256:
        s += f" #{e.dxf.color}"
    return s


def dump(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print(f"version {doc.dxfversion}")
    print(f"errors {len(auditor.errors)}")
    for e in doc.modelspace():
        print(describe(e, True))


def audit(path):
    """What ezdxf's audit found and what it had to fix, each by its message."""
    auditor = ezdxf.readfile(path).audit()
    print(f"errors {len(auditor.errors)} fixes {len(auditor.fixes)}")
    for entry in auditor.errors + auditor.fixes:
        print(entry.message)


def groups(path):
    doc = ezdxf.readfile(path)
    for name, group in doc.groups:
        print(f"{name}: " + " | ".join(sorted(describe(e) for e in group)))
        if not group.has_xdata("QUENDRA_LT"):
            continue
        print_xdata(group)


def print_xdata(owner):
    for tag in owner.get_xdata("QUENDRA_LT"):
        value = pt(tag.value) if tag.code in (1010, 1011) else decode(str(tag.value))
        print(f"  {tag.code} {value}")


def xdata(path):
    for e in ezdxf.readfile(path).modelspace():
        if e.has_xdata("QUENDRA_LT"):
            print(describe(e))
            print_xdata(e)


def make2018(path):
    doc = ezdxf.new("R2018")
    msp = doc.modelspace()
    line = msp.add_line((0, 0), (0, 100))
    circle = msp.add_circle((0, 0), 50)
    msp.add_line((500, 0), (600, 0))
    doc.groups.new("POSTS").extend([line, circle])
    doc.saveas(path)


def make12(path):
    doc = ezdxf.new("R12")
    doc.modelspace().add_line((500, 0), (600, 0))
    doc.saveas(path)


def make(path):
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_line((0, 0), (100, 50), dxfattribs={"color": 1})
    msp.add_lwpolyline([(0, 0), (10, 0), (10, 10)], close=True, dxfattribs={"const_width": 2.5})
    text = msp.add_text("±0 通り芯", dxfattribs={"height": 30, "rotation": 90})
    text.set_placement((5, 5), align=TextEntityAlignment.MIDDLE)
    msp.add_circle((1, 2), 3)
    msp.add_arc((0, 0), 10, 45, 135)
    msp.add_mtext("skipped")
    block = doc.blocks.new("B")
    block.add_line((0, 0), (1, 1))
    msp.add_blockref("B", (0, 0))
    doc.saveas(path)


if __name__ == "__main__":
    {"dump": dump, "audit": audit, "make": make, "make2018": make2018, "make12": make12, "groups": groups,
     "xdata": xdata}[sys.argv[1]](sys.argv[2])
