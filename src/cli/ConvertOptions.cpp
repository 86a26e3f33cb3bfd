#include "cli/ConvertOptions.h"

#include "asciitable/AsciiExport.h"
#include "calibration/VelocityFit.h"
#include "cli/Convert.h"
#include "platform/AppError.h"

#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace trv {

namespace {

// One row of the option table. New options (plot output, ...) are new rows.
struct OptionSpec {
    std::string_view name;    // long name without "--"
    char shortName;           // 0: none
    std::string_view argName; // empty: a switch without a value
    std::string_view help;
    void (*apply)(ConvertOptions& options, std::string_view value);
    const ExpHeaderField* field = nullptr; // set for a header field's option instead of apply
};

int ParseChoice(std::string_view option, std::string_view value,
                std::initializer_list<std::string_view> choices)
{
    int index = 0;
    for (std::string_view choice : choices) {
        if (value == choice) return index;
        ++index;
    }
    std::string allowed;
    for (std::string_view choice : choices) {
        if (!allowed.empty()) allowed += ", ";
        allowed += choice;
    }
    throw UsageError{"invalid value '" + std::string(value) + "' for --" + std::string(option) +
                     " (expected " + allowed + ")"};
}

// A whole number in decimal, optionally signed. Values far beyond every control's range are
// held at a bound that the spin buttons then clamp, as they clamp any other value.
std::int64_t ParseWhole(std::string_view option, std::string_view value)
{
    std::string_view digits = value;
    const bool negative = digits.starts_with('-');
    if (negative || digits.starts_with('+')) digits.remove_prefix(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        throw UsageError{"invalid value '" + std::string(value) + "' for --" + std::string(option) +
                         " (expected a whole number)"};
    }
    constexpr std::uint64_t kBound = 1u << 30;
    std::uint64_t magnitude = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (result.ec != std::errc() || magnitude > kBound) magnitude = kBound; // only too large
    const auto bounded = static_cast<std::int64_t>(magnitude);
    return negative ? -bounded : bounded;
}

// The largest preview image side: a bitmap of 8192 x 8192 is already 192 MB.
constexpr int kMaxPlotSide = 8192;

std::pair<int, int> ParsePlotSize(std::string_view value)
{
    auto side = [](std::string_view text, int& out) {
        if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
        return ec == std::errc() && end == text.data() + text.size() && out >= 1 &&
               out <= kMaxPlotSide;
    };
    const auto x = value.find_first_of("xX");
    int width = 0;
    int height = 0;
    if (x == std::string_view::npos || !side(value.substr(0, x), width) ||
        !side(value.substr(x + 1), height)) {
        throw UsageError{"invalid value '" + std::string(value) +
                         "' for --plot (expected WIDTHxHEIGHT, each 1.." +
                         std::to_string(kMaxPlotSide) + ")"};
    }
    return {width, height};
}

unsigned ParseJobs(std::string_view value)
{
    unsigned jobs = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), jobs);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size() || jobs < 1 ||
        jobs > kMaxConvertJobs) {
        throw UsageError{"invalid value '" + std::string(value) + "' for --jobs (expected 1.." +
                         std::to_string(kMaxConvertJobs) + ")"};
    }
    return jobs;
}

// "-5.3285,-3.0835,3.0835,5.3285": at least two line positions in mm/s, '.' as the point.
std::vector<double> ParseLineList(std::string_view value)
{
    auto refuse = [&] {
        return UsageError{"invalid value '" + std::string(value) +
                          "' for --lines (expected two or more positions in mm/s, such as "
                          "-3.0835,-0.8385,0.8385,3.0835)"};
    };
    std::vector<double> lines;
    std::string_view rest = value;
    while (true) {
        const auto comma = rest.find(',');
        // Read as the window reads its line table and the header its numbers.
        try {
            lines.push_back(DotStrToFloat(rest.substr(0, comma)));
        }
        catch (const AppError&) {
            throw refuse();
        }
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (lines.size() < 2) throw refuse();
    return lines;
}

template <GraphicChange C> void AddGraphicSwitch(ConvertOptions& options, std::string_view)
{
    options.graphicSteps.push_back({C, 0});
}

template <GraphicChange C> void AddGraphicNumber(ConvertOptions& options, std::string_view value)
{
    std::string_view name;
    switch (C) {
    case GraphicChange::FoldChannel:
        name = "fold-channel";
        break;
    case GraphicChange::Scale:
        name = "scale";
        break;
    default:
        name = "mean-width";
        break;
    }
    options.graphicSteps.push_back({C, ParseWhole(name, value)});
}

constexpr std::array kPlainOptions = {
    OptionSpec{"help", 'h', "", "print this help and exit",
               [](ConvertOptions& o, std::string_view) { o.help = true; }},
    OptionSpec{"version", 0, "", "print the version and exit",
               [](ConvertOptions& o, std::string_view) { o.version = true; }},
    OptionSpec{"info", 0, "", "print the six SPM Info lines of each file and write nothing",
               [](ConvertOptions& o, std::string_view) { o.info = true; }},
    OptionSpec{"no-guess", 0, "",
               "do not fill Serial, Description, B-field and Temperature from the file name",
               [](ConvertOptions& o, std::string_view) { o.noGuess = true; }},
    OptionSpec{"no-exp", 0, "", "write no EXP file",
               [](ConvertOptions& o, std::string_view) { o.noExp = true; }},
    OptionSpec{"mode", 0, "1024|add|mean",
               "choose the save-as mode as in the window, which also sets the channel count, "
               "the ignore margins and the folding-channel mask; without it: 512 channels "
               "(add), header untouched",
               [](ConvertOptions& o, std::string_view v) {
                   o.saveAsMode = ParseChoice("mode", v, {"1024", "add", "mean"});
               }},
    OptionSpec{"cal", 0, "FILE.cal", "load a calibration file into the four header fields",
               [](ConvertOptions& o, std::string_view v) { o.calibrationPath = std::string(v); }},
    OptionSpec{"ascii", 0, "channel|velocity", "also write the ASCII table (.txt)",
               [](ConvertOptions& o, std::string_view v) {
                   o.asciiAxis = ParseChoice("ascii", v, {"channel", "velocity"});
               }},
    OptionSpec{"output-dir", 0, "DIR", "write into DIR instead of beside each input file",
               [](ConvertOptions& o, std::string_view v) {
                   if (v.empty()) throw UsageError{"--output-dir needs a folder name"};
                   o.outputDir = std::string(v);
               }},
    OptionSpec{"plot", 0, "WIDTHxHEIGHT",
               "also write the preview plot (.bmp) as the main window draws it after the open, "
               "on an image of this size",
               [](ConvertOptions& o, std::string_view v) { o.plotSize = ParsePlotSize(v); }},
    OptionSpec{"find-fold", 0, "",
               "print 'FILE: X.XX', the suggested folding channel of each file over the "
               "plotted window, and write nothing",
               [](ConvertOptions& o, std::string_view) { o.findFold = true; }},
    OptionSpec{"calibrate", 0, "",
               "fit the velocity scale to each file as a reference spectrum (the six lines of "
               "an iron foil, or --lines) in the chosen --mode and print 'FILE: fold2x=F "
               "fold2x_err=dF zero=Z zero_err=dZ cal=C cal_err=dC vmax=V chi2dof=X'; notes "
               "(channels left out, lines used, warnings) go to stderr; a poor fit fails the "
               "file; write nothing else",
               [](ConvertOptions& o, std::string_view) { o.calibrate = true; }},
    OptionSpec{"write-cal", 0, "OUT.cal",
               "with --calibrate and one input file: also write the calibration file, for "
               "Load header or --cal",
               [](ConvertOptions& o, std::string_view v) {
                   if (v.empty()) throw UsageError{"--write-cal needs a file name"};
                   o.writeCal = std::string(v);
               }},
    OptionSpec{"exclude-channels", 0, "LIST",
               "with --calibrate: leave these channels (of the spectrum as the mode saves it) "
               "out of the fit, e.g. 0,511 or 0-3; isolated channels far outside their noise "
               "are left out anyway, and every channel left out is named on stderr",
               [](ConvertOptions& o, std::string_view v) {
                   const std::optional<std::vector<int>> channels = ParseChannelList(v);
                   if (!channels) {
                       throw UsageError{"invalid value '" + std::string(v) +
                                        "' for --exclude-channels (" + kChannelListForm + ")"};
                   }
                   o.excludeChannels.insert(o.excludeChannels.end(), channels->begin(),
                                            channels->end());
               }},
    OptionSpec{"lines", 0, "V1,V2,...",
               "with --calibrate: fit these line positions (mm/s) instead of the iron foil's "
               "six",
               [](ConvertOptions& o, std::string_view v) { o.referenceLines = ParseLineList(v); }},
    OptionSpec{"accept-poor-fit", 0, "",
               "with --calibrate: take a fit that describes the spectrum poorly (chi2/dof above "
               "5, or lines off the table's pattern) instead of failing the file; it is still "
               "named on stderr",
               [](ConvertOptions& o, std::string_view) { o.acceptPoorFit = true; }},
    OptionSpec{"jobs", 0, "N",
               "convert up to N files at once (1..256; default: one per processor); messages "
               "and outputs are the same as with 1, which converts one after the other",
               [](ConvertOptions& o, std::string_view v) { o.jobs = ParseJobs(v); }},
    OptionSpec{"watch", 0, "DIR",
               "follow the folder DIR instead of converting FILE arguments: convert each *.spm "
               "file there once it is complete and has not changed for a moment, and again "
               "after each change, until interrupted",
               [](ConvertOptions& o, std::string_view v) {
                   if (v.empty()) throw UsageError{"--watch needs a folder name"};
                   o.watchDir = std::string(v);
               }},
    // Plot settings, changed after the open in the order given, as in the window.
    OptionSpec{"fold-channel", 0, "N",
               "plot folding channel, 0..1023 (a value outside is taken as the nearest end, "
               "where the window's arrows stop); when it changes, both ignored margins become "
               "2 x |channels/2 - N| + 5, held in 5..100",
               &AddGraphicNumber<GraphicChange::FoldChannel>},
    OptionSpec{"no-fold", 0, "",
               "plot the spectrum unfolded; the scale is guessed again, unless --scale is "
               "given anywhere (an option given wins)",
               &AddGraphicSwitch<GraphicChange::NoFold>},
    OptionSpec{"scale", 0, "N",
               "plot scale in promille of the maximum, 0..1000 (outside: the nearest end), "
               "instead of the guess",
               &AddGraphicNumber<GraphicChange::Scale>},
    OptionSpec{"no-error-lines", 0, "", "plot without error lines",
               &AddGraphicSwitch<GraphicChange::NoErrorLines>},
    OptionSpec{"no-mean", 0, "", "plot without the running mean",
               &AddGraphicSwitch<GraphicChange::NoMean>},
    OptionSpec{"mean-width", 0, "N",
               "half-width of the plot's running mean, 1..20 (outside: the nearest end)",
               &AddGraphicNumber<GraphicChange::MeanWidth>},
};

// The plain options, then one option per header field that the converter may assign, in the
// order the writer writes the fields. Field options are applied in the order given, after the
// guess, the mode and the calibration.
const std::vector<OptionSpec>& AllOptions()
{
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> all(kPlainOptions.begin(), kPlainOptions.end());
        for (const ExpHeaderField& field : kExpHeaderFields) {
            if (!field.option.empty())
                all.push_back({field.option, 0, "TEXT", field.optionHelp, nullptr, &field});
        }
        return all;
    }();
    return options;
}

const OptionSpec* FindLong(std::string_view name)
{
    for (const OptionSpec& option : AllOptions()) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

const OptionSpec* FindShort(char c)
{
    for (const OptionSpec& option : AllOptions()) {
        if (option.shortName != 0 && option.shortName == c) return &option;
    }
    return nullptr;
}

} // namespace

ConvertOptions ParseConvertArgs(const std::vector<std::string>& args)
{
    ConvertOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionSpec* option = nullptr;
        std::string shown; // the option as the user spelled it, for messages
        std::optional<std::string_view> inlineValue;
        if (arg[1] == '-') {
            std::string_view name = std::string_view(arg).substr(2);
            if (const auto eq = name.find('='); eq != std::string_view::npos) {
                inlineValue = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
            option = FindLong(name);
            shown = "--" + std::string(name);
        }
        else if (arg.size() == 2) {
            option = FindShort(arg[1]);
            shown = arg;
        }
        if (option == nullptr) throw UsageError{"unknown option '" + arg + "'"};

        std::string_view value;
        if (option->argName.empty()) {
            if (inlineValue) throw UsageError{"option '" + shown + "' takes no value"};
        }
        else if (inlineValue) {
            value = *inlineValue;
        }
        else if (i + 1 < args.size()) {
            value = args[++i];
        }
        else {
            throw UsageError{"option '" + shown + "' needs a value (" +
                             std::string(option->argName) + ")"};
        }
        if (option->field != nullptr)
            options.fields.push_back({option->field, std::string(value)});
        else
            option->apply(options, value);
        if (options.help || options.version) return options;
    }
    if (options.watchDir) {
        if (!options.files.empty()) throw UsageError{"--watch takes no input files"};
        if (options.info || options.findFold || options.calibrate)
            throw UsageError{"--watch converts: it takes no --info, --find-fold or --calibrate"};
    }
    else if (options.files.empty()) {
        throw UsageError{"no input files"};
    }
    if (options.writeCal && !options.calibrate) throw UsageError{"--write-cal needs --calibrate"};
    if (!options.calibrate) {
        if (!options.excludeChannels.empty())
            throw UsageError{"--exclude-channels needs --calibrate"};
        if (options.referenceLines) throw UsageError{"--lines needs --calibrate"};
        if (options.acceptPoorFit) throw UsageError{"--accept-poor-fit needs --calibrate"};
    }
    if (options.writeCal && options.files.size() != 1)
        throw UsageError{"--write-cal takes exactly one input file"};
    return options;
}

std::string ConvertUsage()
{
    constexpr std::size_t kHelpColumn = 32;
    constexpr std::size_t kLineWidth = 80;
    std::string text;
    text += "Usage: ";
    text += kConvertProgram;
    text += " [OPTIONS] FILE.spm...\n       ";
    text += kConvertProgram;
    text += " [OPTIONS] --watch DIR\n"
            "Converts SPM spectrum files into EXP files as a fresh main window would open and\n"
            "save each of them.\n"
            "\nOptions:\n";
    for (const OptionSpec& option : AllOptions()) {
        std::string line = option.shortName != 0 ? std::string{' ', ' ', '-', option.shortName, ','}
                                                 : std::string(5, ' ');
        line += " --";
        line += option.name;
        if (!option.argName.empty()) {
            line += ' ';
            line += option.argName;
        }
        // The help text starts in its column and wraps at word breaks.
        std::string_view help = option.help;
        while (!help.empty()) {
            if (line.size() + 1 >= kHelpColumn) {
                text += line + '\n';
                line.clear();
            }
            line.resize(kHelpColumn, ' ');
            std::size_t take = help.size();
            if (kHelpColumn + take > kLineWidth) {
                take = help.rfind(' ', kLineWidth - kHelpColumn);
                if (take == std::string_view::npos) take = help.size();
            }
            line += help.substr(0, take);
            help.remove_prefix(take);
            while (!help.empty() && help.front() == ' ')
                help.remove_prefix(1);
            text += line + '\n';
            line.clear();
        }
        if (!line.empty()) text += line + '\n';
    }
    text += "\nField options, and plot options, take effect in the order given. Outputs are\n"
            "named after the input file (.exp, .txt, .bmp); an existing output is replaced,\n"
            "but never a file that the same run reads (its input files and the --cal file).\n"
            "Exit status: 0 all files converted, 1 some file failed, 2 usage error.\n"
            "--watch prints 'FILE: converted' for each conversion and runs until Ctrl+C\n"
            "(status 130) or SIGTERM (143); files converted before and unchanged since are\n"
            "not converted again.\n";
    return text;
}

} // namespace trv
