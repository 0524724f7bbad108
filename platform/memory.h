// Hints about large buffers to the operating system's memory manager.
#pragma once

#include <cstddef>

namespace pagewick::platform {

// Tells the system that the buffer at data, size bytes long, is about to be filled whole, so
// it may back it with large pages: a 32 MiB body then costs a few page faults instead of
// thousands. Only a hint: it changes no byte and may do nothing (small buffers, other systems).
void AdviseLargeBuffer(void* data, size_t size);

}  // namespace pagewick::platform
