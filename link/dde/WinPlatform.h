#pragma once

#include <string>
#include <vector>

// The pieces of the platform layer that Windows does with Win32 alone: starting a program without
// waiting for it, one Escape keystroke, the readme in Notepad. Strings are UTF-16, as
// QString::toStdWString() gives them on Windows.
namespace quendra::win {

struct Launch
{
    bool started = false;
    unsigned long processId = 0;
    std::wstring error; // the system's reason when not started
};

// One argument written so that the C runtime (and CommandLineToArgvW) reads it back unchanged.
std::wstring quoteArgument(const std::wstring &argument);
// The program in quotes, then each argument quoted as needed.
std::wstring commandLine(const std::wstring &program, const std::vector<std::wstring> &arguments);

// Starts the program in a normal window that may take the focus, without a shell and without
// waiting for it. A program given without a folder is looked for as CreateProcess does.
Launch startProgram(const std::wstring &program, const std::vector<std::wstring> &arguments);

// Types one Escape (down and up) into whichever window is active; false if the system refused.
bool sendEscape();

// Shows a text file in Notepad.
Launch openInNotepad(const std::wstring &path);

} // namespace quendra::win
