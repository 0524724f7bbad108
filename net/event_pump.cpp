#include "net/event_pump.h"

namespace pagewick {
namespace {
EventPump currentPump = nullptr;
}

void SetEventPump(EventPump pump) { currentPump = pump; }

void RunEventPump() {
  if (currentPump != nullptr) currentPump();
}

}  // namespace pagewick
