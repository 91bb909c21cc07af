#pragma once

// Pieces shared by the annotation forms of this group.

#include "rules/FormDefinition.h"
#include "rules/Steps.h"

#include <string>
#include <vector>

namespace quendra {

// "DTEXT " and the rows up to the text itself, then two carriage returns: the first ends the text
// line (a blank inside the text is text), the second ends the command.
Script textScript(const Steps &rows);

// The four buttons with the access keys of the annotation forms: base point "基準点指定(&K)" and
// back "戻る(&R)".
std::vector<Button> annotationButtons(std::string drawCaption, BaseRule basePoint, DrawFunction draw);

} // namespace quendra
