#include "cad/command/Commands.h"

#include <array>
#include <utility>

namespace cad {

namespace {

struct Alias
{
    std::string_view alias;
    std::string_view name;
};

constexpr std::array aliases{
    Alias{"L", "LINE"},
    Alias{"PL", "PLINE"},
    Alias{"A", "ARC"},
    Alias{"C", "CIRCLE"},
    Alias{"EL", "ELLIPSE"},
    Alias{"DT", "DTEXT"},
    Alias{"TEXT", "DTEXT"},
    Alias{"COLOR", "DDCOLOR"},
    Alias{"COL", "DDCOLOR"},
    Alias{"Z", "ZOOM"},
    Alias{"QUIT", "EXIT"},
    Alias{"QSAVE", "SAVE"},
    Alias{"SCR", "SCRIPT"},
    Alias{"PRINT", "PLOT"},
    Alias{"SCH", "SCHEDULE"},
    Alias{"SYE", "SYMEDIT"},
    Alias{"E", "ERASE"},
    Alias{"M", "MOVE"},
    Alias{"CO", "COPY"},
    Alias{"CP", "COPY"},
    Alias{"RO", "ROTATE"},
    Alias{"SC", "SCALE"},
    Alias{"MI", "MIRROR"},
    Alias{"X", "EXPLODE"},
    Alias{"O", "OFFSET"},
    Alias{"TR", "TRIM"},
    Alias{"EX", "EXTEND"},
    // The host has no layer dialog: its panel is always there, and LAYER works as -LAYER.
    Alias{"-LA", "-LAYER"},
    Alias{"LA", "-LAYER"},
    Alias{"LAYER", "-LAYER"},
};

} // namespace

std::string commandName(std::string_view name)
{
    while (!name.empty() && (name.front() == '_' || name.front() == '.'))
        name.remove_prefix(1);
    for (const Alias &a : aliases)
        if (a.alias == name) return std::string(a.name);
    return std::string(name);
}

std::unique_ptr<Command> makeCommand(std::string_view typed)
{
    const std::string name = commandName(typed);
    if (name == "ID") return makeIdCommand();
    if (name == "LINE") return makeLineCommand();
    if (name == "PLINE") return makePlineCommand();
    if (name == "ARC") return makeArcCommand();
    if (name == "CIRCLE") return makeCircleCommand();
    if (name == "ELLIPSE") return makeEllipseCommand();
    if (name == "DTEXT") return makeDtextCommand();
    if (name == "DDCOLOR") return makeColorCommand();
    if (name == "U") return makeUndoCommand(false);
    if (name == "UNDO") return makeUndoCommand(true);
    if (name == "REDO") return makeRedoCommand();
    if (name == "ZOOM") return makeZoomCommand();
    if (name == "EXIT") return makeRequestCommand(Request::Kind::Exit);
    if (name == "SAVE") return makeRequestCommand(Request::Kind::Save);
    if (name == "SAVEAS") return makeRequestCommand(Request::Kind::SaveAs);
    if (name == "SCRIPT") return makeScriptCommand();
    if (name == "PLOT") return makeRequestCommand(Request::Kind::Plot);
    if (name == "ERASE") return makeEraseCommand();
    if (name == "MOVE") return makeMoveCommand();
    if (name == "COPY") return makeCopyCommand();
    if (name == "ROTATE") return makeRotateCommand();
    if (name == "SCALE") return makeScaleCommand();
    if (name == "MIRROR") return makeMirrorCommand();
    if (name == "EXPLODE") return makeExplodeCommand();
    if (name == "CHPROP") return makeChpropCommand();
    if (name == "OFFSET") return makeOffsetCommand();
    if (name == "TRIM") return makeTrimCommand();
    if (name == "EXTEND") return makeExtendCommand();
    if (name == "-LAYER") return makeLayerCommand();
    if (name == "CLAYER") return makeClayerCommand();
    if (name == "SCHEDULE") return makeScheduleCommand();
    if (name == "SYMEDIT") return makeSymbolEditCommand();
    return nullptr;
}

} // namespace cad
