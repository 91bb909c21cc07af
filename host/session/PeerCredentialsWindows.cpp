#include "host/session/PeerCredentials.h"

#include <windows.h>

#include <vector>

namespace host {

namespace {

// The TOKEN_USER of a process, or nothing when its token cannot be read.
std::vector<BYTE> tokenUser(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    const bool read =
        size >= sizeof(TOKEN_USER) && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!read) buffer.clear();
    return buffer;
}

PSID userOf(std::vector<BYTE> &tokenUser)
{
    return reinterpret_cast<TOKEN_USER *>(tokenUser.data())->User.Sid;
}

} // namespace

// On Windows a local socket is a named pipe and its descriptor the pipe's handle; the pipe admits
// this user only, and the client process's user is checked again here.
bool peerIsThisUser(long long socketDescriptor)
{
    if (socketDescriptor <= 0) return false;
    ULONG clientId = 0;
    if (!GetNamedPipeClientProcessId(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(socketDescriptor)),
                                     &clientId))
        return false;
    const HANDLE client = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, clientId);
    if (!client) return false;
    std::vector<BYTE> theirs = tokenUser(client);
    CloseHandle(client);
    std::vector<BYTE> ours = tokenUser(GetCurrentProcess());
    return !theirs.empty() && !ours.empty() && EqualSid(userOf(theirs), userOf(ours));
}

} // namespace host
