#include "update/UpdateError.h"

namespace pellora {

Error updateError(std::string message) { return Error(kUpdateErrorDomain, 1, std::move(message)); }

}  // namespace pellora
