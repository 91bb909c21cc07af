#pragma once

#include "FormDefinition.h"

namespace quendra {

// What the exit dialog syuuryou sends: "EXIT " ends the CAD host too (no carriage return, so the
// host asks its own questions about unsaved drawings).
inline constexpr const char *exitScript = "EXIT ";
inline constexpr const char *endMessage = "プログラムを終了します。";

// The exit dialog's buttons as a definition, so that quendra-script can press them too:
// Command1 "LT共終了(&L)" sends exitScript, Command3 "終　了(&Q)" shows the plain end message,
// Command2 "戻る(&B)" goes back.
const FormDefinition &syuuryou();

} // namespace quendra
