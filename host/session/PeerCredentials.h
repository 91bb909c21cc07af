#pragma once

namespace host {

// Whether the process at the other end of a local socket (on Windows a named pipe) runs as this
// user. Folder and socket modes keep others out already; this is the check at the door as well.
bool peerIsThisUser(long long socketDescriptor);

} // namespace host
