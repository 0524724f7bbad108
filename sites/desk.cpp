#include "sites/desk.h"

#include <cstdio>
#include <cstdlib>

namespace pagewick {
namespace {
Desk* currentDesk = nullptr;
}

void SetDesk(Desk* desk) { currentDesk = desk; }

Desk& CurrentDesk() {
  if (currentDesk == nullptr) {
    std::fprintf(stderr, "Pagewick: a search ran before the window was ready\n");
    std::abort();
  }
  return *currentDesk;
}

}  // namespace pagewick
