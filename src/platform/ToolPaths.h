// Absolute paths of the system tools the application runs as child processes. Tools are
// always started by these paths with argument lists, never through a shell; a tool that
// is absent on this system fails to launch and takes its caller's "cannot be launched"
// path. Constants only; any thread.
#pragma once

namespace pellora::toolpaths {

inline constexpr const char* kPgrep = "/usr/bin/pgrep";
inline constexpr const char* kLsof = "/usr/bin/lsof";
inline constexpr const char* kPs = "/bin/ps";
inline constexpr const char* kKill = "/bin/kill";
inline constexpr const char* kPkill = "/usr/bin/pkill";
inline constexpr const char* kTar = "/usr/bin/tar";
inline constexpr const char* kLaunchctl = "/bin/launchctl";
inline constexpr const char* kOsascript = "/usr/bin/osascript";
inline constexpr const char* kPkexec = "/usr/bin/pkexec";
inline constexpr const char* kZenity = "/usr/bin/zenity";

}  // namespace pellora::toolpaths
