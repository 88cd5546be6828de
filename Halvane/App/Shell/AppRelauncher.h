#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>

// Restarts the application: a detached shell waits a moment, then starts the
// executable afresh, while this instance quits.
namespace halvane::AppRelauncher {

// The shell's script. The executable reaches it as $0, an argument of its own,
// so no character of the path is ever read as shell syntax.
inline constexpr const char* kScript = "sleep 0.4 && exec \"$0\"";

// /bin/sh and its arguments for restarting `executable`.
QStringList arguments(const std::filesystem::path& executable);

// Starts the shell for `executable` in a session of its own, so it outlives
// this process; false when it could not be started.
bool spawn(const std::filesystem::path& executable);

// Starts the shell for the running executable and asks the application to
// quit once the current event is handled. The application quits even when the
// shell could not be started.
void relaunch();
// The same for another executable; relaunch() passes the running one.
void relaunch(const std::filesystem::path& executable);

}  // namespace halvane::AppRelauncher
