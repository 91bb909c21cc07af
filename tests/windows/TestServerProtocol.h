#pragma once

#include <string>
#include <utility>

// What the test server and the tests agree on: event names (by a tag per server run) and the
// scripts that make the server answer other than "taken".
namespace testserver {

inline std::wstring eventName(const std::wstring &tag, const wchar_t *what)
{
    return L"quendra-dde-test-" + tag + L"-" + what;
}

inline constexpr const char *refuseScript = "REFUSE\r"; // answered "not processed"
inline constexpr const char *holdScript = "HOLD\r";     // answered once the test sets "release"

// The host mode answers a save once the test sets "release"; this one as failed, for the reason
// given.
inline constexpr const char *failingSave = "QSAVE\r";
inline constexpr const char *saveFailure = "disk full";

// The host mode's second service and topic, and the size of its queue.
inline constexpr std::pair<const char *, const char *> second{"Quendra.Test", "Second"};
inline constexpr std::size_t hostQueueBytes = 200 * 1024;

} // namespace testserver
