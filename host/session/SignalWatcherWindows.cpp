#include "host/session/SignalWatcher.h"

#include <QMetaObject>

#include <windows.h>

#include <mutex>

namespace host {

namespace {

std::mutex watching;
SignalWatcher *watcher = nullptr;
HANDLE finished = nullptr; // set once the watcher is gone

// Runs on a thread the system starts for the console event (Ctrl+C, Ctrl+Break, the console
// window closed, logoff, shutdown).
BOOL WINAPI onConsoleEvent(DWORD type)
{
    {
        const std::lock_guard lock(watching);
        if (!watcher) return FALSE;
        SignalWatcher *target = watcher;
        QMetaObject::invokeMethod(
            target, [target] { emit target->terminate(); }, Qt::QueuedConnection);
    }
    // After a close, logoff or shutdown event the process ends as soon as this returns: give the
    // event loop a few seconds to finish (a headless host saves its drawing).
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && finished) WaitForSingleObject(finished, 4000);
    return TRUE;
}

} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent)
{
    const std::lock_guard lock(watching);
    watcher = this;
    if (!finished) finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (finished) ResetEvent(finished);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

SignalWatcher::~SignalWatcher()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    const std::lock_guard lock(watching);
    watcher = nullptr;
    if (finished) SetEvent(finished);
}

} // namespace host
