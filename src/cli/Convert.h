#pragma once

#include "platform/LocaleFormats.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace trv {

// trevandel-convert: runs the main window's road (open, guess, mode, calibration, fields,
// save, optional ASCII table) on each file named in args. args excludes the program name.
// Returns the process exit status: 0 all converted, 1 some file failed, 2 usage error.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The same with the locale formats handed in (stamps in --info, decimal separator of tables).
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const LocaleFormats& locale);

// The usage text printed by --help.
std::string ConvertUsage();

} // namespace trv
