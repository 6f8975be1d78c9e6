// Failures of connecting to a remote Engine: an unacceptable address, a handshake that
// could not verify the Engine, an incompatible Desktop protocol. The description is the
// connection text in the desktop language at the moment the error is made. Value type;
// main thread (the text lookup reads the user defaults).
#pragma once

#include "base/Error.h"

namespace pellora {

class ConnectionError final : public Error {
public:
    enum class Kind { address, handshake, incompatible };

    explicit ConnectionError(Kind kind);

    static ConnectionError address() { return ConnectionError(Kind::address); }
    static ConnectionError handshake() { return ConnectionError(Kind::handshake); }
    static ConnectionError incompatible() { return ConnectionError(Kind::incompatible); }

    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

}  // namespace pellora
