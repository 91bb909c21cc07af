#pragma once

#include "cad/command/Command.h"

// The makers of the commands, one file each.
namespace cad {

std::unique_ptr<Command> makeIdCommand();
std::unique_ptr<Command> makeLineCommand();
std::unique_ptr<Command> makePlineCommand();
std::unique_ptr<Command> makeArcCommand();
std::unique_ptr<Command> makeCircleCommand();
std::unique_ptr<Command> makeEllipseCommand();
std::unique_ptr<Command> makeDtextCommand();
std::unique_ptr<Command> makeColorCommand();
std::unique_ptr<Command> makeUndoCommand(bool askCount);
std::unique_ptr<Command> makeRedoCommand();
std::unique_ptr<Command> makeZoomCommand();
std::unique_ptr<Command> makeRequestCommand(Request::Kind kind);
std::unique_ptr<Command> makeScriptCommand();
std::unique_ptr<Command> makeEraseCommand();
std::unique_ptr<Command> makeMoveCommand();
std::unique_ptr<Command> makeCopyCommand();
std::unique_ptr<Command> makeRotateCommand();
std::unique_ptr<Command> makeScaleCommand();
std::unique_ptr<Command> makeMirrorCommand();
std::unique_ptr<Command> makeExplodeCommand();
std::unique_ptr<Command> makeChpropCommand();
std::unique_ptr<Command> makeOffsetCommand();
std::unique_ptr<Command> makeTrimCommand();
std::unique_ptr<Command> makeExtendCommand();
std::unique_ptr<Command> makeLayerCommand();
std::unique_ptr<Command> makeClayerCommand();
std::unique_ptr<Command> makeScheduleCommand();
std::unique_ptr<Command> makeSymbolEditCommand();

} // namespace cad
