// The Win32 platform layer under Wine: starting a program without waiting, the Escape keystroke,
// Notepad, and the host's check of who is at the other end of its pipe.
#include "host/session/PeerCredentials.h"
#include "link/dde/WinPlatform.h"
#include "link/dde/WinText.h"
#include "tests/windows/Checks.h"
#include "tests/windows/TestServerProcess.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using host::peerIsThisUser;
using namespace quendra;

namespace {

std::filesystem::path tempFolder()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::filesystem::path(temp) / (L"quendra-platform-" + std::to_wstring(GetCurrentProcessId()));
}

// Waits a while for the probe's report to appear; empty if it never does.
std::string readReport(const std::filesystem::path &file)
{
    for (int i = 0; i < 600 && !std::filesystem::exists(file); ++i)
        Sleep(50);
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string expectedReport(const std::vector<std::wstring> &arguments)
{
    std::string report = "show 1\n"; // SW_SHOWNORMAL: a normal window
    for (const std::wstring &argument : arguments) {
        const std::string bytes = win::toUtf8(argument);
        report += std::to_string(bytes.size()) + "\n" + bytes + "\n";
    }
    return report;
}

void quoting(Checks &checks)
{
    const struct
    {
        std::wstring argument;
        std::wstring quoted;
    } rows[] = {
        {L"plain", L"plain"},
        {L"", L"\"\""},
        {L"two words", L"\"two words\""},
        {L"C:\\Program Files\\", L"\"C:\\Program Files\\\\\""},
        {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
        {L"a\\\\\"b", L"\"a\\\\\\\\\\\"b\""},
        {L"C:\\dir\\file.txt", L"C:\\dir\\file.txt"},
    };
    for (const auto &row : rows)
        checks.equal(win::toUtf8(win::quoteArgument(row.argument)), win::toUtf8(row.quoted),
                     "quoted: " + win::toUtf8(row.argument));
}

void start(Checks &checks)
{
    const std::filesystem::path folder = tempFolder() / L"プログラム フォルダ";
    std::filesystem::create_directories(folder);
    const std::filesystem::path probe = folder / L"probe.exe";
    std::filesystem::copy_file(TestServerProcess::besideTest(L"windows_probe.exe"), probe,
                               std::filesystem::copy_options::overwrite_existing);
    const std::filesystem::path report = folder / L"report.txt";
    const std::vector<std::wstring> arguments = {L"plain",     L"two words", L"",           L"say \"hi\"",
                                                 L"ends in\\", L"a\\\\\"b",  L"図面 1.dwg", L"tab\there"};
    std::vector<std::wstring> all = {report.wstring()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const win::Launch launch = win::startProgram(probe.wstring(), all);
    checks.check(launch.started && launch.processId != 0, "a program in a folder with blanks starts");
    checks.equal(readReport(report), expectedReport(arguments),
                 "it gets every argument as given, in a normal window");

    const win::Launch missing = win::startProgram((folder / L"aclt.exe").wstring(), {});
    checks.check(!missing.started && !missing.error.empty(),
                 "a missing program is reported with a reason: " + win::toUtf8(missing.error));
    std::error_code ignored;
    std::filesystem::remove_all(tempFolder(), ignored);
}

LRESULT CALLBACK keyWindow(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_KEYDOWN && w == VK_ESCAPE) SetWindowLongPtrW(window, GWLP_USERDATA, 1);
    return DefWindowProcW(window, message, w, l);
}

void pump(int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

void escape(Checks &checks)
{
    WNDCLASSW type = {};
    type.lpfnWndProc = keyWindow;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"QuendraEscapeProbe";
    RegisterClassW(&type);
    const HWND window = CreateWindowExW(0, type.lpszClassName, L"active", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        10, 10, 200, 100, nullptr, nullptr, type.hInstance, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    pump(10);
    checks.check(GetForegroundWindow() == window, "the probe window is active");
    checks.check(win::sendEscape(), "the keystroke is accepted");
    for (int i = 0; i < 100 && GetWindowLongPtrW(window, GWLP_USERDATA) == 0; ++i)
        pump(1);
    checks.check(GetWindowLongPtrW(window, GWLP_USERDATA) == 1, "the active window receives Escape");
    DestroyWindow(window);
}

void notepad(Checks &checks)
{
    const std::filesystem::path readme = tempFolder() / L"readme.txt";
    std::filesystem::create_directories(readme.parent_path());
    std::ofstream(readme) << "readme\r\n";
    const win::Launch launch = win::openInNotepad(readme.wstring());
    checks.check(launch.started, "Notepad starts with the readme");
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, launch.processId);
    checks.check(process && WaitForSingleObject(process, 500) == WAIT_TIMEOUT, "and stays open");
    if (process) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
    std::error_code ignored;
    std::filesystem::remove_all(tempFolder(), ignored);
}

} // namespace

// A local socket on Windows is a named pipe; the host asks who its client runs as.
void peer(Checks &checks)
{
    const std::wstring name = L"\\\\.\\pipe\\quendra-peer-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                         4096, 4096, 0, nullptr);
    if (!checks.check(pipe != INVALID_HANDLE_VALUE, "a named pipe")) return;
    const HANDLE client =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    checks.check(client != INVALID_HANDLE_VALUE, "a client connects");
    const auto descriptor = [](HANDLE h) { return static_cast<long long>(reinterpret_cast<INT_PTR>(h)); };
    checks.check(peerIsThisUser(descriptor(pipe)), "the client runs as this user");
    checks.check(!peerIsThisUser(-1), "no descriptor: refused");
    const std::filesystem::path file = tempFolder().concat(L".peer");
    const HANDLE plain = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    checks.check(!peerIsThisUser(descriptor(plain)), "a handle that is no pipe: refused");
    CloseHandle(plain);
    CloseHandle(client);
    CloseHandle(pipe);
}

int main()
{
    Checks checks;
    quoting(checks);
    start(checks);
    escape(checks);
    notepad(checks);
    peer(checks);
    return checks.finish();
}
