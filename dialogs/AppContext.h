#pragma once

#include "dialogs/MessageService.h"
#include "link/CadLink.h"

namespace quendra {

// Where a window goes next; the application owns the windows and decides.
class Navigator
{
public:
    virtual ~Navigator() = default;
    // The main window, loaded if need be and shown; the caller hides itself.
    virtual void showMainWindow() = 0;
    // The exit dialog syuuryou, loaded if need be and shown; the caller hides itself.
    virtual void showExitDialog() = 0;
    // Ends the whole program (after any question the application must still ask). False when the
    // user cancelled such a question: the program goes on and the caller stays as it is.
    virtual bool endProgram() = 0;
};

// What every window of the assistant is given instead of reaching for globals.
struct AppContext
{
    MessageService &messages;
    TransportFactory transports;
    Navigator &navigator;
};

} // namespace quendra
