#include "engine/DiagnosticTail.h"

#include "engine/Utf8Lossy.h"

namespace pellora {

void DiagnosticTail::append(std::string_view chunk) {
    std::lock_guard guard(lock);
    if (chunk.size() >= kLimit) {
        data.assign(chunk.substr(chunk.size() - kLimit));
        return;
    }
    data.append(chunk);
    if (data.size() > kLimit) data.erase(0, data.size() - kLimit);
}

std::string DiagnosticTail::text() {
    std::lock_guard guard(lock);
    return decodeUtf8Lossy(data);
}

}  // namespace pellora
