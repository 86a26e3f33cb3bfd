#pragma once

// trevandel-convert's command line: the option table, its parsing and the usage text.

#include "cli/PreviewPlot.h"
#include "exp/ExpHeader.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trv {

inline constexpr std::string_view kConvertProgram = "trevandel-convert";

// The most files --jobs converts at once.
inline constexpr unsigned kMaxConvertJobs = 256;

struct FieldAssignment {
    const ExpHeaderField* field;
    std::string text;
};

struct ConvertOptions {
    bool help = false;
    bool version = false;
    bool info = false;
    bool noGuess = false;
    bool noExp = false;
    std::optional<int> saveAsMode; // an item of the save-as mode list, chosen by the user
    std::optional<std::string> calibrationPath;
    std::optional<int> asciiAxis;
    std::optional<std::string> outputDir;
    std::optional<std::pair<int, int>> plotSize; // width, height of the preview image
    bool findFold = false;
    bool calibrate = false;              // fit the reference lines and print the results
    std::optional<std::string> writeCal; // with calibrate: the calibration file to write
    std::vector<int> excludeChannels;    // with calibrate: channels of the saved spectrum
                                         // to leave out of the fit
    std::optional<std::vector<double>> referenceLines; // with calibrate: the line table (mm/s)
    bool acceptPoorFit = false;   // with calibrate: take a fit that describes the spectrum poorly
    std::optional<unsigned> jobs; // files converted at once; default: one per processor
    std::optional<std::string> watchDir;   // follow this folder instead of converting files
    std::vector<GraphicStep> graphicSteps; // plot settings changed after the open, in order
    std::vector<FieldAssignment> fields;   // in the order given
    std::vector<std::string> files;
};

// A command line that cannot be run; the message says why, in one line.
struct UsageError {
    std::string message;
};

// Options and files may be mixed; "--" ends the options. --help and --version stop parsing.
// Throws UsageError.
ConvertOptions ParseConvertArgs(const std::vector<std::string>& args);

} // namespace trv
