"""Real drawings made with ezdxf, and the check that the host saved them back whole.

corpus DIR:          writes the drawings: plan_r12.dxf, plan_r2000.dxf, plan_r2018.dxf,
                     plan_binary.dxf (R2018, binary), plan_r12_binary.dxf, plan_sjis.dxf (R2000, ANSI_932),
                     plan_stale_seed.dxf and plan_exhausted.dxf (plan_r2000.dxf with $HANDSEED 1F and
                     FFFFFFFFFFFFFFFF) and cut.dxf (plan_r2000.dxf cut short in its entities).
compare FILE SAVED:  prints "ok" when SAVED holds every entity of FILE (model space, paper space,
                     blocks) by handle with the same attributes, every layer, block and layout,
                     and audits with no more errors or fixes; otherwise one line per fault. Then
                     "new ..." for each model-space entity SAVED adds, in the form of dxf_tool.
layers FILE:         the layer table, one "name colour on|off frozen|thawed" a line, then
                     "current NAME" ($CLAYER).
"""
import os
import sys

import ezdxf
import ezdxf.bbox
import ezdxf.path
from ezdxf.enums import TextEntityAlignment

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "cad"))
from dxf_tool import describe, num  # noqa: E402


def pt(*p):
    p = p[0] if len(p) == 1 else p
    return f"{num(p[0])},{num(p[1])}"


def try_add(make):
    # R12 lacks some kinds; the drawing of each version holds what the version has.
    try:
        make()
    except ezdxf.DXFError:
        pass


def plan(version, text="Door 扉 ±"):
    doc = ezdxf.new(version, setup=True)
    doc.layers.add("WALL", color=1)
    doc.layers.add("HIDDEN", color=3).off()
    doc.layers.add("FROZEN", color=4).freeze()
    doc.layers.add("CENTRE", color=7, linetype="CENTER")
    doc.header["$LTSCALE"] = 10
    doc.appids.add("QUENDRA_TEST")
    msp = doc.modelspace()

    knob = doc.blocks.new("KNOB")
    knob.add_circle((0, 0), 20)
    door = doc.blocks.new("DOOR")
    door.add_line((0, 0), (900, 0))
    door.add_arc((0, 0), 900, 0, 90)
    door.add_blockref("KNOB", (800, 50))
    door.add_attdef("NO", (0, -200), dxfattribs={"height": 100})
    door.add_text("L", dxfattribs={"height": 100, "insert": (450, 100)})

    wall = msp.add_lwpolyline if version != "R12" else msp.add_polyline2d
    wall([(0, 0), (6000, 0), (6000, 4000), (0, 4000)], close=True, dxfattribs={"layer": "WALL"})
    line = msp.add_line((0, 0), (6000, 4000), dxfattribs={"color": 5, "layer": "HIDDEN"})
    line.set_xdata("QUENDRA_TEST", [(1000, "kept"), (1040, 1.5)])
    msp.add_circle((3000, 2000), 300, dxfattribs={"layer": "FROZEN"})
    msp.add_arc((1000, 1000), 500, 30, 120)
    msp.add_point((10, 10))
    # Line types: DASHED (12.7 dash, 6.35 gap) at $LTSCALE 10 and the entity's own scale 2; the
    # centre line's from its layer.
    msp.add_line((0, -2000), (6000, -2000), dxfattribs={"linetype": "DASHED", "ltscale": 2})
    centre = msp.add_line((0, -2500), (6000, -2500), dxfattribs={"layer": "CENTRE"})
    plain = msp.add_line((0, -3000), (6000, -3000))
    # Extension dictionaries, each owning a record (R12 has none).
    if version != "R12":
        for e in (centre, plain):
            e.new_extension_dict().add_xrecord("QUENDRA_NOTE").reset([(1, "note")])
    # Backwards (generation flag 2).
    msp.add_text("R", dxfattribs={"height": 200, "insert": (7000, 3000), "text_generation_flag": 2})
    msp.add_text(text, dxfattribs={"height": 200}).set_placement(
        (3000, 3500), align=TextEntityAlignment.MIDDLE_CENTER
    )
    msp.add_solid([(0, 0), (100, 0), (0, 100), (100, 100)])
    msp.add_trace([(200, 0), (300, 0), (200, 100), (300, 100)])
    msp.add_3dface([(400, 0), (500, 0), (500, 100), (400, 100)])
    ref = msp.add_blockref("DOOR", (1000, 0), dxfattribs={"rotation": 90, "xscale": -1})
    ref.add_auto_attribs({"NO": "D1"})
    try_add(lambda: msp.add_ellipse((2000, 2000), (400, 0), 0.5, 0, 3))
    try_add(lambda: msp.add_lwpolyline([(0, 5000, 0, 0, 0.5), (1000, 5000, 20, 20, 0)], format="xyseb"))
    try_add(lambda: msp.add_spline([(0, 0), (500, 800), (1500, 200), (2000, 1000)]))
    try_add(lambda: msp.add_mtext("一行目\\P second line", dxfattribs={"char_height": 150, "insert": (0, 6000)}))
    try_add(lambda: msp.add_xline((0, 0), (1, 1)))
    try_add(lambda: msp.add_ray((0, 0), (1, 0)))
    try_add(lambda: msp.add_leader([(0, 0), (300, 300), (600, 300)]))
    try_add(lambda: msp.add_wipeout([(0, 0), (300, 0), (300, 300)]))

    def hatches():
        solid = msp.add_hatch(color=2)
        solid.paths.add_polyline_path([(7000, 0), (8000, 0), (8000, 1000)], is_closed=True)
        solid.set_seed_points([(7900, 100)])  # not a vertex of its boundary
        pattern = msp.add_hatch(color=7)
        pattern.set_pattern_fill("ANSI31", scale=10)
        pattern.paths.add_polyline_path([(9000, 0), (10000, 0), (10000, 1000)], is_closed=True)
        # So fine that its lines would be tens of thousands: shown by its boundary.
        fine = msp.add_hatch()
        fine.set_pattern_fill("ANSI31", scale=0.001)
        fine.paths.add_polyline_path([(13000, 0), (14000, 0), (14000, 1000)], is_closed=True)

    try_add(hatches)
    # Over the wall, after it: masks its corner.
    try_add(lambda: msp.add_wipeout([(5800, 3800), (6200, 3800), (6200, 4200), (5800, 4200)]))

    def image():
        picture = doc.add_image_def(filename="photo.png", size_in_pixel=(640, 320))
        msp.add_image(picture, insert=(11000, 0), size_in_units=(1280, 640))

    try_add(image)
    try_add(lambda: msp.add_linear_dim(base=(0, -500), p1=(0, 0), p2=(6000, 0)).render())
    try_add(lambda: doc.layouts.new("Sheet2").add_line((0, 0), (297, 210)))
    doc.layout("Layout1").add_text("paper", dxfattribs={"height": 5})
    return doc


def kinds(folder):
    """kinds.dxf: a hatch with an arc edge, one with an elliptic arc edge, a turned gradient, a
    circle with XDATA and a dimension, apart from each other."""
    doc = ezdxf.new("R2018", setup=True)
    doc.layers.add("WALL", color=1)
    doc.appids.add("QUENDRA_TEST")
    msp = doc.modelspace()
    arc = msp.add_hatch(color=3)
    edges = arc.paths.add_edge_path()
    edges.add_line((20000, 0), (21000, 0))
    edges.add_arc((21000, 500), 500, -90, 90)
    edges.add_line((21000, 1000), (20000, 1000))
    edges.add_line((20000, 1000), (20000, 0))
    half = msp.add_hatch(color=4)
    edges = half.paths.add_edge_path()
    edges.add_ellipse((23000, 0), (500, 0), 0.5, 0, 180)
    edges.add_line((22500, 0), (23500, 0))
    gradient = msp.add_hatch()
    gradient.set_gradient((255, 0, 0), (0, 0, 255), rotation=30)
    gradient.paths.add_polyline_path([(26000, 0), (27000, 0), (27000, 1000), (26000, 1000)], is_closed=True)
    circle = msp.add_circle((33000, 0), 500, dxfattribs={"layer": "WALL", "color": 3})
    circle.set_xdata("QUENDRA_TEST", [(1000, "kept")])
    msp.add_linear_dim(base=(40000, -500), p1=(40000, 0), p2=(46000, 0)).render()
    doc.saveas(os.path.join(folder, "kinds.dxf"))


def corpus(folder):
    kinds(folder)
    for version, name in (("R12", "plan_r12"), ("R2000", "plan_r2000"), ("R2018", "plan_r2018")):
        plan(version).saveas(os.path.join(folder, name + ".dxf"))
    plan("R2018").saveas(os.path.join(folder, "plan_binary.dxf"), fmt="bin")
    plan("R12").saveas(os.path.join(folder, "plan_r12_binary.dxf"), fmt="bin")
    sjis = plan("R2000", text="片開き扉 ９００")
    sjis.encoding = "cp932"  # written as $DWGCODEPAGE ANSI_932
    sjis.saveas(os.path.join(folder, "plan_sjis.dxf"))
    with open(os.path.join(folder, "plan_r2000.dxf"), "rb") as f:
        whole = f.read()
    # A $HANDSEED left behind by a program that gave handles past it: new handles must still be new.
    lines = whole.split(b"\n")
    value = lines.index(next(line for line in lines if line.strip() == b"$HANDSEED")) + 2
    lines[value] = b"1F" + (b"\r" if lines[value].endswith(b"\r") else b"")
    with open(os.path.join(folder, "plan_stale_seed.dxf"), "wb") as f:
        f.write(b"\n".join(lines))
    # The largest $HANDSEED there is: a handle after it would start again from 0.
    lines[value] = b"FFFFFFFFFFFFFFFF" + (b"\r" if lines[value].endswith(b"\r") else b"")
    with open(os.path.join(folder, "plan_exhausted.dxf"), "wb") as f:
        f.write(b"\n".join(lines))
    # Cut in the middle of the entities, as a copy that did not finish would be.
    middle = (whole.index(b"ENTITIES") + whole.index(b"OBJECTS")) // 2
    with open(os.path.join(folder, "cut.dxf"), "wb") as f:
        f.write(whole[:middle])


def graphical(doc):
    found = {}
    for block in doc.blocks:
        for e in block:
            found[e.dxf.handle] = e
    return found


def attributes(e):
    values = dict(e.dxf.all_existing_dxf_attribs())
    for key in ("handle", "owner"):
        values.pop(key, None)
    xdata = [] if not e.has_xdata("QUENDRA_TEST") else list(e.get_xdata("QUENDRA_TEST"))
    # What the attributes do not hold: vertices, and the attributes of a block reference.
    if e.dxftype() == "LWPOLYLINE":
        values["points"] = [tuple(round(c, 6) for c in p) for p in e.get_points("xyb")]
    elif e.dxftype() == "POLYLINE":
        values["points"] = [tuple(round(c, 6) for c in v.dxf.location) for v in e.vertices]
    elif e.dxftype() == "SPLINE":
        values["points"] = [tuple(round(c, 6) for c in p) for p in (*e.control_points, *e.fit_points)]
    elif e.dxftype() == "HATCH":
        values["paths"] = [[tuple(round(c, 6) for c in v[:2]) for v in p.vertices] for p in e.paths if hasattr(p, "vertices")]
        values["seeds"] = [tuple(round(c, 6) for c in p) for p in e.seeds]
        if e.gradient:
            values["gradient"] = round(e.gradient.rotation, 6)
    elif e.dxftype() == "INSERT":
        values["attribs"] = [(a.dxf.tag, a.dxf.text, tuple(round(c, 6) for c in a.dxf.insert)) for a in e.attribs]
    return e.dxftype(), repr(sorted(values.items())), repr(xdata)


def handle_faults(path):
    """Handles given twice, and a $HANDSEED not past every handle (ASCII files)."""
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"AutoCAD Binary DXF"):
        return []
    lines = data.decode("latin-1").splitlines()
    pairs = [(lines[i].strip(), lines[i + 1].strip()) for i in range(0, len(lines) - 1, 2)]
    seed, seen, faults, kind = None, set(), [], ""
    for i, (code, value) in enumerate(pairs):
        if code == "0":
            kind = value
        elif code == "9" and value == "$HANDSEED":
            seed = int(pairs[i + 1][1], 16)
        # A DIMSTYLE's handle is its 105 (its 5 is a block's name in R12).
        elif code == ("105" if kind == "DIMSTYLE" else "5") and value and pairs[i - 1] != ("9", "$HANDSEED"):
            if value in seen:
                faults.append(f"handle {value} given twice")
            seen.add(value)
    largest = max((int(h, 16) for h in seen), default=0)
    if seed is not None and seed <= largest:
        faults.append(f"$HANDSEED {seed:X} not past handle {largest:X}")
    return faults


def audit(doc):
    auditor = doc.audit()
    return len(auditor.errors), len(auditor.fixes)


def compare(path, saved_path):
    original = ezdxf.readfile(path)
    saved = ezdxf.readfile(saved_path)
    faults = []
    if saved.dxfversion != original.dxfversion:
        faults.append(f"version {original.dxfversion} became {saved.dxfversion}")
    before, after = graphical(original), graphical(saved)
    for handle, e in before.items():
        if handle not in after:
            faults.append(f"lost {e.dxftype()} {handle}")
        elif attributes(after[handle]) != attributes(e):
            faults.append(f"changed {e.dxftype()} {handle}: {attributes(after[handle])} != {attributes(e)}")
    for table in ("layers", "blocks", "styles", "linetypes", "dimstyles"):
        names = {t.dxf.name for t in getattr(original, table)}
        missing = names - {t.dxf.name for t in getattr(saved, table)}
        if missing:
            faults.append(f"{table} lost: {sorted(missing)}")
    missing = set(original.layouts.names()) - set(saved.layouts.names())
    if missing:
        faults.append(f"layouts lost: {sorted(missing)}")
    faults += handle_faults(saved_path)
    (errors, fixes), (saved_errors, saved_fixes) = audit(original), audit(saved)
    if saved_errors > errors or saved_fixes > fixes:
        faults.append(f"audit {saved_errors} errors {saved_fixes} fixes, was {errors} and {fixes}")
    print("\n".join(faults) if faults else "ok")
    owner = saved.modelspace().block_record_handle
    for e in saved.modelspace():
        if e.dxf.handle not in before:
            on = f" on {e.dxf.layer}"
            if saved.dxfversion > "AC1009" and e.dxf.owner != owner:
                on += " owner " + str(e.dxf.owner)
            what = describe(e)
            if e.dxftype() == "HATCH":
                what += " " + outline(e)
            elif e.dxftype() == "DIMENSION":
                block = saved.blocks.get(e.dxf.geometry)
                box = ezdxf.bbox.extents(block)
                what += f" {e.dxf.geometry} of {len(block)} {pt(box.extmin)} {pt(box.extmax)}"
            elif e.dxftype() == "INSERT":
                what += f" {e.dxf.name} {e.dxf.insert.x:g},{e.dxf.insert.y:g} " + ",".join(a.dxf.text for a in e.attribs)
            print("new " + what + on)


def outline(hatch):
    """A hatch's boundaries as drawn: their box and area."""
    points = [[p for p in boundary.flattening(1)] for boundary in ezdxf.path.from_hatch(hatch)]
    every = [p for ps in points for p in ps]
    area = sum(abs(sum(a.x * b.y - b.x * a.y for a, b in zip(ps, ps[1:] + ps[:1]))) / 2 for ps in points)
    return f"box {pt(min(p.x for p in every), min(p.y for p in every))} " \
        f"{pt(max(p.x for p in every), max(p.y for p in every))} area {round(area / 1000)}k"


def layers(path):
    doc = ezdxf.readfile(path)
    for layer in doc.layers:
        state = ("on" if layer.is_on() else "off", "frozen" if layer.is_frozen() else "thawed")
        print(f"{layer.dxf.name} {layer.color} {state[0]} {state[1]}")
    print("current " + doc.header.get("$CLAYER", "0"))


if __name__ == "__main__":
    if sys.argv[1] == "corpus":
        corpus(sys.argv[2])
    elif sys.argv[1] == "layers":
        layers(sys.argv[2])
    else:
        compare(sys.argv[2], sys.argv[3])
