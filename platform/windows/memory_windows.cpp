#include "platform/memory.h"

namespace pagewick::platform {

// Large pages need a privilege that a reader's account does not hold; the hint does nothing.
void AdviseLargeBuffer(void*, size_t) {}

}  // namespace pagewick::platform
