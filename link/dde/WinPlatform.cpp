#include "link/dde/WinPlatform.h"

#include <windows.h>

namespace quendra::win {

namespace {

std::wstring systemMessage(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"error " + std::to_wstring(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

bool needsQuotes(const std::wstring &argument)
{
    return argument.empty() || argument.find_first_of(L" \t\n\v\"") != std::wstring::npos;
}

} // namespace

std::wstring quoteArgument(const std::wstring &argument)
{
    if (!needsQuotes(argument)) return argument;
    // Backslashes count only before a quote: double them there, and before the closing quote.
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        const size_t copies = c == L'"' ? backslashes * 2 + 1 : backslashes;
        quoted.append(copies, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

std::wstring commandLine(const std::wstring &program, const std::vector<std::wstring> &arguments)
{
    // The program name is read up to the next quote, with no escapes: a path never holds one.
    std::wstring line = L"\"" + program + L"\"";
    for (const std::wstring &argument : arguments)
        line += L" " + quoteArgument(argument);
    return line;
}

Launch startProgram(const std::wstring &program, const std::vector<std::wstring> &arguments)
{
    Launch launch;
    if (program.empty() || program.find(L'"') != std::wstring::npos) {
        launch.error = systemMessage(ERROR_INVALID_NAME);
        return launch;
    }
    std::wstring line = commandLine(program, arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        launch.error = systemMessage(GetLastError());
        return launch;
    }
    // The new program may bring its window to the front although this one is in front now.
    AllowSetForegroundWindow(process.dwProcessId);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    launch.started = true;
    launch.processId = process.dwProcessId;
    return launch;
}

bool sendEscape()
{
    INPUT keys[2] = {};
    for (INPUT &key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = VK_ESCAPE;
        key.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC));
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, keys, sizeof(INPUT)) == 2;
}

Launch openInNotepad(const std::wstring &path)
{
    return startProgram(L"notepad.exe", {path});
}

} // namespace quendra::win
