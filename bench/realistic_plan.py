"""A realistic plan for the host's benchmark, as other CAD programs write one (R2000, by ezdxf).

realistic_plan.py FILE [INSERTS TEXTS HATCHES]

A floor of rooms on layers of their own colours: INSERTs (10^4) of a 100-entity furniture block
(lines, arcs, circles, polylines), TEXTs (10^4) labelling them, and hatches (10^3): solid fills
and ANSI31 patterns over the rooms' floors.
"""
import math
import sys

import ezdxf


def furniture(doc):
    block = doc.blocks.new("FURNITURE", base_point=(0, 0))
    attribs = {"layer": "0"}
    # 60 lines: a table top and its outline, chairs around it.
    for i in range(20):
        x = i * 40
        block.add_line((x, 0), (x + 30, 0), dxfattribs=attribs)
        block.add_line((x, 600), (x + 30, 600), dxfattribs=attribs)
        block.add_line((x, 0), (x, 30), dxfattribs=attribs)
    # 20 arcs: chair backs.
    for i in range(20):
        angle = i * 18
        cx, cy = 400 + 350 * math.cos(math.radians(angle)), 300 + 350 * math.sin(math.radians(angle))
        block.add_arc((cx, cy), 60, angle - 60, angle + 60, dxfattribs=attribs)
    # 10 circles: lamps and plants.
    for i in range(10):
        block.add_circle((80 * i, 700), 25, dxfattribs={"layer": "FURN-DETAIL"})
    # 10 polylines: cushions.
    for i in range(10):
        x = 80 * i
        block.add_lwpolyline([(x, 100), (x + 60, 100), (x + 60, 160), (x, 160)], close=True,
                             dxfattribs=attribs)
    assert len(block) == 100
    return block


def plan(path, inserts=10_000, texts=10_000, hatches=1_000):
    doc = ezdxf.new("R2000", setup=True)
    for name, color in (("WALL", 1), ("FURN", 3), ("FURN-DETAIL", 8), ("TEXT", 7), ("HATCH", 9)):
        doc.layers.add(name, color=color)
    furniture(doc)
    msp = doc.modelspace()
    side = math.ceil(math.sqrt(inserts))
    room = 1200
    for k in range(inserts):
        x, y = (k % side) * room, (k // side) * room
        msp.add_blockref("FURNITURE", (x + 100, y + 100),
                         dxfattribs={"layer": "FURN", "rotation": (k % 4) * 90 if k % 7 == 0 else 0})
    for k in range(texts):
        x, y = (k % side) * room, (k // side) * room
        msp.add_text(f"ROOM {k}", dxfattribs={"layer": "TEXT", "height": 80, "insert": (x + 50, y + 1000)})
    for k in range(hatches):
        # The floor of every tenth room.
        spot = k * max(1, inserts // max(1, hatches))
        x, y = (spot % side) * room, (spot // side) * room
        hatch = msp.add_hatch(color=256, dxfattribs={"layer": "HATCH"})
        if k % 2:
            hatch.set_pattern_fill("ANSI31", scale=20)
        hatch.paths.add_polyline_path([(x, y), (x + room, y), (x + room, y + room), (x, y + room)],
                                      is_closed=True)
    doc.saveas(path)


if __name__ == "__main__":
    counts = [int(a) for a in sys.argv[2:5]]
    plan(sys.argv[1], *counts)
