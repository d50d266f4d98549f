// Handing control to pending window events from inside a long loop of the
// build pipeline (the directive scan, the line tokenizer, the object-code
// listings), so the program stays responsive without paying an event-queue
// turn for every line, character or byte.
#pragma once

namespace modMain {

// Processes pending events at most every 15 ms; does nothing without an
// application object.
void YieldToEvents();

}  // namespace modMain
