#include "base/Log.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace pellora {

namespace {
std::atomic<LogCapture*> gCapture{nullptr};
std::mutex gWriteMutex;
}  // namespace

void logLine(std::string_view line) {
    {
        std::lock_guard lock(gWriteMutex);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fputc('\n', stderr);
    }
    if (LogCapture* capture = gCapture.load()) {
        std::lock_guard lock(capture->mutex_);
        capture->lines_.emplace_back(line);
    }
}

LogCapture::LogCapture() { gCapture.store(this); }
LogCapture::~LogCapture() { gCapture.store(nullptr); }

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool LogCapture::contains(std::string_view line) const {
    std::lock_guard lock(mutex_);
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

}  // namespace pellora
