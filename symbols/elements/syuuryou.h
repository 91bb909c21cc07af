#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// What the exit dialog syuuryou sends: "EXIT " ends the CAD host too (no carriage return, so the
// host asks its own questions about unsaved drawings).
inline constexpr const char *exitScript = "EXIT ";

// The exit dialog as a definition, which its window is built from and quendra-script presses:
// Command1 "LT共終了(&L)" sends exitScript, Command3 "終　了(&Q)" shows endMessage, Command2
// "戻る(&B)" goes back.
const FormDefinition &syuuryou();

} // namespace quendra
