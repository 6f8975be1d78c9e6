// Typed failures. Every failure the user or the log sees carries its exact description;
// `localizedDescription` is that text. Thrown out of awaited calls, caught by the flow
// that reports it. Value types; any thread.
#pragma once

#include <stdexcept>
#include <string>

namespace pellora {

class Error : public std::runtime_error {
public:
    Error(std::string domain, int code, std::string description)
        : std::runtime_error(description), domain_(std::move(domain)), code_(code) {}

    const std::string& domain() const { return domain_; }
    int code() const { return code_; }
    std::string localizedDescription() const { return what(); }

private:
    std::string domain_;
    int code_;
};

// A task was cancelled while it waited. Loops decide how to react (most simply end).
class CancelledError final : public Error {
public:
    CancelledError()
        : Error("Swift.CancellationError", 1,
                "The operation couldn\u2019t be completed. (Swift.CancellationError error 1.)") {}
};

// The localized description of any exception the flows catch.
std::string describeError(const std::exception& error);
std::string describeCurrentException();

}  // namespace pellora
