#include "host/PeerCredentials.h"

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace host {

bool peerIsThisUser(long long socketDescriptor)
{
    if (socketDescriptor < 0) return false;
    const int fd = static_cast<int>(socketDescriptor);
#if defined(SO_PEERCRED)
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return false;
    return credentials.uid == ::getuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(fd, &uid, &gid) != 0) return false;
    return uid == ::getuid();
#endif
}

} // namespace host
