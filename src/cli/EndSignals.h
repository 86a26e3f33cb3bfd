#pragma once

#include "platform/FileIo.h" // kEndSignals

namespace trv {

// Whether sig, delivered now, would end the process: its default action, neither ignored (nohup)
// nor caught.
bool EndsTheProcess(int sig);

// Ends the process by sig as if it had never been blocked; status 128 + sig where raising it
// does not end it.
[[noreturn]] void EndProcessBy(int sig);

} // namespace trv
