// The event pump: what the request routine runs before every read of an answer, so that the
// window stays alive while a request waits. The application sets it once (to its
// ProcessEvents); until then, and in tests that set none, running it does nothing.
//
// The pump runs outside the internet layer, between reads: a handler it starts may make
// requests of its own, which complete before the waiting request reads on.
#pragma once

namespace pagewick {

using EventPump = void (*)();

// nullptr removes the pump.
void SetEventPump(EventPump pump);

// Runs the pump once, if one is set.
void RunEventPump();

}  // namespace pagewick
