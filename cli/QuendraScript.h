#pragma once

#include <string>
#include <vector>

// quendra-script: presses one button of one form with given inputs and reports, as JSON, the
// messages it would show and the scripts it would send, or writes the scripts as a .scr file.
// Returns the process exit code; output and errors go to the given strings.
namespace quendra {

int runQuendraScript(const std::vector<std::string> &args, std::string &out, std::string &err);

} // namespace quendra
