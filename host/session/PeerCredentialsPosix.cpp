#include "host/session/PeerCredentials.h"

#include "link/Conversation.h"

namespace host {

// The client checks the host the same way: one check for both ends of the socket.
bool peerIsThisUser(long long socketDescriptor)
{
    return quendra::socketPeerIsThisUser(socketDescriptor);
}

} // namespace host
