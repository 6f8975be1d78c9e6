#include "connections/ConnectionError.h"

#include "shell/LocalizedText.h"

namespace pellora {

namespace {
// The connection texts of address, handshake and incompatible, in that order.
constexpr std::size_t kFirstDescription = 9;
}

ConnectionError::ConnectionError(Kind kind)
    : Error("ConnectionError", static_cast<int>(kind),
            localizedText(TextTable::connection, kFirstDescription + static_cast<std::size_t>(kind))),
      kind_(kind) {}

}  // namespace pellora
