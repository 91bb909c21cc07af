#pragma once

// Whether the process at the other end of a local socket runs as this user. Folder and socket
// modes keep others out already; this is the check at the door as well.
bool peerIsThisUser(long long socketDescriptor);
