#pragma once

#include <functional>

namespace trv {

class Platform;

// Runs one reaction of a window. An error it raises is shown in the platform's error box
// ("Out of memory" when memory ran out) instead of crossing the event loop, and the program
// goes on with the state the reaction had reached. False when it failed.
bool RunGuarded(Platform& platform, const std::function<void()>& body);

} // namespace trv
