#pragma once

#include "link/dde/WinPlatform.h"
#include "tests/windows/TestServerProtocol.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Dispatches the messages waiting for this thread, as an event loop would.
inline void dispatchMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// One run of dde_test_server.exe, started beside the test program, and what it received.
class TestServerProcess
{
public:
    struct Received
    {
        int conversations = 0;
        bool taken = false;
        std::string script;
    };

    enum class Mode { Ansi, Unicode, CallerThread, Host };

    explicit TestServerProcess(Mode mode = Mode::Ansi) : mode_(mode)
    {
        static int runs = 0;
        tag_ = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++runs);
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        log_ = std::filesystem::path(temp) / (L"quendra-dde-" + tag_ + L".log");
        for (const wchar_t *what : {L"ready", L"release", L"stop", L"crash"})
            events_.push_back(CreateEventW(nullptr, TRUE, FALSE, testserver::eventName(tag_, what).c_str()));
    }

    ~TestServerProcess()
    {
        stop();
        for (HANDLE e : events_)
            CloseHandle(e);
        std::error_code ignored;
        std::filesystem::remove(log_, ignored);
    }

    TestServerProcess(const TestServerProcess &) = delete;
    TestServerProcess &operator=(const TestServerProcess &) = delete;

    // Starts the server and waits until it serves.
    bool start()
    {
        ResetEvent(events_[0]);
        const auto launch =
            quendra::win::startProgram(besideTest(L"dde_test_server.exe"),
                                       {tag_, log_.wstring(), mode_ == Mode::Unicode ? L"unicode" : L"ansi",
                                        mode_ == Mode::CallerThread ? L"caller"
                                        : mode_ == Mode::Host       ? L"host"
                                                                    : L"thread"});
        if (!launch.started) return false;
        process_ = OpenProcess(SYNCHRONIZE, FALSE, launch.processId);
        if (!process_) return false;
        // A host that checks whether the service is already served asks every DDE window, this
        // program's too: its messages are answered while waiting, as the assistant's event loop does.
        const HANDLE waits[2] = {events_[0], process_};
        const ULONGLONG until = GetTickCount64() + 60000;
        for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
            const DWORD woken =
                MsgWaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
            if (woken != WAIT_OBJECT_0 + 2) return woken == WAIT_OBJECT_0;
            dispatchMessages();
        }
        return false;
    }

    void stop() { end(2); }
    void crash() { end(3); }
    void release() { SetEvent(events_[1]); }

    std::vector<Received> received() const
    {
        std::ifstream in(log_, std::ios::binary);
        std::vector<Received> all;
        Received r;
        size_t size = 0;
        int taken = 0;
        while (in >> r.conversations >> taken >> size && in.get() == '\n') {
            r.taken = taken != 0;
            r.script.assign(size, '\0');
            if (!in.read(r.script.data(), static_cast<std::streamsize>(size)) || in.get() != '\n') break;
            all.push_back(r);
        }
        return all;
    }

    // The scripts received, waiting up to a while for the server to have seen `count`.
    std::vector<std::string> scripts(size_t count = 0) const
    {
        std::vector<Received> all = received();
        for (int i = 0; i < 200 && all.size() < count; ++i) {
            Sleep(50);
            all = received();
        }
        std::vector<std::string> texts;
        for (const Received &r : all)
            texts.push_back(r.script);
        return texts;
    }

    static std::wstring besideTest(const wchar_t *name)
    {
        wchar_t self[MAX_PATH + 1] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        return (std::filesystem::path(self).parent_path() / name).wstring();
    }

private:
    void end(size_t which)
    {
        if (!process_) return;
        SetEvent(events_[which]);
        WaitForSingleObject(process_, 60000);
        CloseHandle(process_);
        process_ = nullptr;
        ResetEvent(events_[which]);
    }

    Mode mode_;
    std::wstring tag_;
    std::filesystem::path log_;
    std::vector<HANDLE> events_; // ready, release, stop, crash
    HANDLE process_ = nullptr;
};
