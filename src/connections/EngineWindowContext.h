// Ties one Engine window to its connection (absent = the local Engine) and to a revision
// that is renewed whenever the window is rebound. Asynchronous work for a window captures
// the revision and drops its result once the revision has changed. Main thread only;
// shared (std::shared_ptr) by the window and its collaborators.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "connections/EngineConnection.h"

namespace pellora {

class EngineWindowContext {
public:
    // Local, with a fresh revision.
    EngineWindowContext();
    // Inherits `other`'s connection when there is another context (even when that one is
    // local), otherwise takes `connection`; always a fresh revision.
    EngineWindowContext(const EngineWindowContext* other, std::optional<EngineConnection> connection);

    static std::shared_ptr<EngineWindowContext> create(const EngineWindowContext* other,
                                                       std::optional<EngineConnection> connection);

    const std::optional<EngineConnection>& connection() const { return connection_; }
    const std::string& revision() const { return revision_; }

    // A rename or colour change of the same connection: replaced only when both are
    // present with equal id and origin; the revision stays. Anything else is ignored.
    // Answers whether the connection was replaced.
    bool update(const EngineConnection& connection);
    // Binds the window to `connection` (or the local Engine) and renews the revision, so
    // work started for the previous binding is discarded.
    void rebind(std::optional<EngineConnection> connection);

private:
    std::optional<EngineConnection> connection_;
    std::string revision_;
};

}  // namespace pellora
