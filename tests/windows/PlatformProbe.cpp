// Started by test_win_platform.exe: writes how it was started (the window style asked for, then
// every argument after the first) to the file named by its first argument, in one rename.
#include "link/dde/WinText.h"

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>

int main()
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) return 2;
    const std::filesystem::path target = arguments[1];
    std::filesystem::path partial = target;
    partial += L".part";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    {
        std::ofstream out(partial, std::ios::binary);
        const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
        out << "show " << show << '\n';
        for (int i = 2; i < count; ++i) {
            const std::string argument = quendra::win::toUtf8(arguments[i]);
            out << argument.size() << '\n' << argument << '\n';
        }
    }
    LocalFree(arguments);
    std::error_code error;
    std::filesystem::rename(partial, target, error);
    return error ? 1 : 0;
}
