// The event pump: lets waiting window events run while a long operation is under way (the
// request routine calls it between reads of an answer).
//
// ProcessEvents delivers every event that is waiting, exactly as the main loop would, and any
// event that those events post in turn; it returns as soon as nothing waits and never waits for
// an event that has not yet arrived. A delivered event may run any handler of the program,
// including a second search inside the running one. A request to quit the application is not
// acted on here: it stays queued for the main loop, so the caller's own waits go on.
#pragma once

namespace pagewick {

void ProcessEvents();

}  // namespace pagewick
