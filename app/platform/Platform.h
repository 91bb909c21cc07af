#pragma once

#include "tools/TextFileFormat.h"

#include <QString>
#include <QStringList>

// What differs between the platforms; each has one source file (PlatformLinux.cpp, PlatformMac.cpp,
// PlatformWindows.cpp) and only that one is built.
namespace quendra::platform {

// Starts a program in a normal window and does not wait for it. On failure returns false and,
// if `error` is given, a reason.
bool startProgram(const QString &program, const QStringList &arguments, QString *error = nullptr);

// One Escape keystroke to whichever window is active, where the platform lets a program send one.
void sendEscape();

// Shows a text file in the desktop's own viewer (Notepad on Windows). False when there is none.
bool openInTextViewer(const QString &path);

// The start-up's file dialog: its filters, the one selected at first (the CAD host this platform
// can start) and the folder it opens in.
QStringList hostProgramFilters();
int hostProgramFilterIndex();
QString hostProgramFolder();

// The encoding in which a new text file is saved.
TextFileFormat::Encoding newTextEncoding();

} // namespace quendra::platform
