// The platform log call: one line per event, each beginning with its bracketed area
// ("[shell] ", "[update] " ...). Any thread. Tests can capture lines with a LogCapture.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

void logLine(std::string_view line);

// While alive, every logged line is also recorded here (and still written to stderr).
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    bool contains(std::string_view line) const;

private:
    friend void logLine(std::string_view line);
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace pellora
