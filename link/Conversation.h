#pragma once

#include <string>

namespace quendra {

// The conversation the assistant opens, as the original CAD host serves it.
inline constexpr const char *cadService = "AutoCAD LT.DDE";
inline constexpr const char *cadTopic = "System";


// Where the host of a service and topic listens: a socket in a folder of this user's
// (QUENDRA_RUNTIME_DIR, else $XDG_RUNTIME_DIR/quendra, else /tmp/quendra-UID), mode 0700. On
// Windows a named pipe whose name begins with the user's (socketFolder() is that beginning).
std::string socketFolder();
std::string socketPath(const std::string &service, const std::string &topic);

} // namespace quendra
