#pragma once

#include "link/CadLink.h"

#include <chrono>
#include <memory>

namespace quendra {

// The Windows transport: a DDEML client conversation with the CAD host, opened by service and
// topic; each execute is one XTYP_EXECUTE of the whole script, waited for at most `timeout`.
//
// Text: DDE carries an execute string in Unicode only when both ends are Unicode windows, and in
// the ANSI code page (CP932 on a Japanese system) otherwise, DDEML converting between the two. The
// client hands DDEML UTF-16, so a Unicode server gets the script as it is and an ANSI server (the
// original CAD host) gets it in the ANSI code page. A script holding a character that code page
// cannot carry is refused before anything is sent, rather than arriving with '?' in it.
//
// DDEML ties a conversation to the thread that opened it: use a transport from one thread.
std::unique_ptr<LinkTransport> makeDdeTransport(std::chrono::milliseconds timeout);

} // namespace quendra
