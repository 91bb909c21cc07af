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
// Empty when the socket folder is safe to use: a real folder (no link), this user's, and
// nobody else's to enter (an own folder opened wider is closed again); otherwise a Japanese
// sentence saying what is wrong. Another user who made the folder first could listen there.
std::string socketFolderProblem();
// Whether the process at the other end of a connected local socket runs as this user (the
// client asks it of the host, as the host asks it of its clients).
bool socketPeerIsThisUser(long long socketDescriptor);

} // namespace quendra
