#pragma once

#include <array>

#include <signal.h>

namespace trv {

// The signals that end a run from the terminal or a session manager.
inline constexpr std::array kEndSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Whether sig, delivered now, would end the process: its default action, neither ignored (nohup)
// nor caught.
bool EndsTheProcess(int sig);

// Ends the process by sig as if it had never been blocked; status 128 + sig where raising it
// does not end it.
[[noreturn]] void EndProcessBy(int sig);

} // namespace trv
