#include "connections/EngineWindowContext.h"

#include "base/Uuid.h"

namespace pellora {

EngineWindowContext::EngineWindowContext() : revision_(makeUuidString()) {}

EngineWindowContext::EngineWindowContext(const EngineWindowContext* other,
                                         std::optional<EngineConnection> connection)
    : connection_(other ? other->connection_ : std::move(connection)),
      revision_(makeUuidString()) {}

std::shared_ptr<EngineWindowContext> EngineWindowContext::create(
    const EngineWindowContext* other, std::optional<EngineConnection> connection) {
    return std::make_shared<EngineWindowContext>(other, std::move(connection));
}

bool EngineWindowContext::update(const EngineConnection& connection) {
    if (!connection_ || connection_->id != connection.id || connection_->origin != connection.origin) {
        return false;
    }
    connection_ = connection;
    return true;
}

void EngineWindowContext::rebind(std::optional<EngineConnection> connection) {
    connection_ = std::move(connection);
    revision_ = makeUuidString();
}

}  // namespace pellora
