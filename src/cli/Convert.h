#pragma once

#include "platform/LocaleFormats.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace trv {

struct ConvertOptions;

// trevandel-convert: runs the main window's road (open, guess, mode, calibration, fields,
// save, optional ASCII table) on each file named in args. args excludes the program name.
// Returns the process exit status: 0 all converted, 1 some file failed, 2 usage error.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The same with the locale formats handed in (stamps in --info, decimal separator of tables).
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const LocaleFormats& locale);

// Reads an input file, or the --cal file, for a conversion: ReadWholeFile, unless the caller
// already holds the bytes it checked. Throws AppError.
using InputReader = std::function<std::string(const std::string& path)>;

// What RunConvert does with parsed options: one batch over options.files (messages, outputs
// and exit status alike). finished, when given, hears of each file in order once its messages
// are out: whether it was converted.
int ConvertFiles(const ConvertOptions& options, std::ostream& out, std::ostream& err,
                 const LocaleFormats& locale, const InputReader& read = {},
                 const std::function<void(std::size_t file, bool converted)>& finished = {});

// The usage text printed by --help.
std::string ConvertUsage();

} // namespace trv
