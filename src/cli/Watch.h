#pragma once

#include "platform/LocaleFormats.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace trv {

struct ConvertOptions;

// trevandel-convert --watch DIR: converts each *.spm file of DIR through the batch's road once
// it is complete and has not changed for a moment, and again after each change, printing
// "FILE: converted" or the batch's refusal. Runs until SIGINT, SIGTERM, SIGHUP or SIGQUIT end
// it, by that signal, once the writes under way are done. Returns only when it cannot start:
// 2 (a bad calibration file, a folder that cannot be followed).
int RunWatch(const std::vector<std::string>& args, const ConvertOptions& options, std::ostream& out,
             std::ostream& err, const LocaleFormats& locale);

} // namespace trv
