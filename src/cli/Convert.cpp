#include "cli/Convert.h"

#include "cli/PreviewPlot.h"
#include "exp/Calibration.h"
#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "export/AsciiExport.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"

#include <array>
#include <charconv>
#include <compare>
#include <exception>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <span>
#include <string_view>
#include <sys/stat.h>

namespace trv {

namespace {

constexpr std::string_view kProgram = "trevandel-convert";

// Header fields that an option can assign, in the order the EXP writer writes them.
enum class Field {
    Serial,
    Description,
    BField,
    Temperature,
    Channels,
    IgnoreLeft,
    IgnoreRight,
    FoldingChannel,
    CountsMillions,
    ZeroSpeedChannel,
    CalibrationConstant,
    Extra1,
    Extra2,
    Extra3,
    Extra4,
};

struct FieldAssignment {
    Field field;
    std::string text;
};

struct Options {
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
    std::vector<GraphicStep> graphicSteps; // plot settings changed after the open, in order
    std::vector<FieldAssignment> fields; // in the order given
    std::vector<std::string> files;
};

struct UsageError {
    std::string message;
};

// One row of the option table. New options (plot output, ...) are new rows.
struct OptionSpec {
    std::string_view name;    // long name without "--"
    char shortName;           // 0: none
    std::string_view argName; // empty: a switch without a value
    std::string_view help;
    void (*apply)(Options& options, std::string_view value);
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

template <GraphicChange C> void AddGraphicSwitch(Options& options, std::string_view)
{
    options.graphicSteps.push_back({C, 0});
}

template <GraphicChange C> void AddGraphicNumber(Options& options, std::string_view value)
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

template <Field F> void AddField(Options& options, std::string_view value)
{
    options.fields.push_back({F, std::string(value)});
}

constexpr std::array kOptions = {
    OptionSpec{"help", 'h', "", "print this help and exit",
               [](Options& o, std::string_view) { o.help = true; }},
    OptionSpec{"version", 0, "", "print the version and exit",
               [](Options& o, std::string_view) { o.version = true; }},
    OptionSpec{"info", 0, "", "print the six SPM Info lines of each file and write nothing",
               [](Options& o, std::string_view) { o.info = true; }},
    OptionSpec{"no-guess", 0, "",
               "do not fill Serial, Description, B-field and Temperature from the file name",
               [](Options& o, std::string_view) { o.noGuess = true; }},
    OptionSpec{"no-exp", 0, "", "write no EXP file",
               [](Options& o, std::string_view) { o.noExp = true; }},
    OptionSpec{"mode", 0, "1024|add|mean",
               "choose the save-as mode as in the window, which also sets the channel count, "
               "the ignore margins and the folding-channel mask; without it: 512 channels "
               "(add), header untouched",
               [](Options& o, std::string_view v) {
                   o.saveAsMode = ParseChoice("mode", v, {"1024", "add", "mean"});
               }},
    OptionSpec{"cal", 0, "FILE.cal", "load a calibration file into the four header fields",
               [](Options& o, std::string_view v) { o.calibrationPath = std::string(v); }},
    OptionSpec{"ascii", 0, "channel|velocity", "also write the ASCII table (.txt)",
               [](Options& o, std::string_view v) {
                   o.asciiAxis = ParseChoice("ascii", v, {"channel", "velocity"});
               }},
    OptionSpec{"output-dir", 0, "DIR", "write into DIR instead of beside each input file",
               [](Options& o, std::string_view v) {
                   if (v.empty()) throw UsageError{"--output-dir needs a folder name"};
                   o.outputDir = std::string(v);
               }},
    OptionSpec{"plot", 0, "WIDTHxHEIGHT",
               "also write the preview plot (.bmp) as the main window draws it after the open, "
               "on an image of this size",
               [](Options& o, std::string_view v) { o.plotSize = ParsePlotSize(v); }},
    OptionSpec{"find-fold", 0, "",
               "print 'FILE: X.XX', the suggested folding channel of each file over the "
               "plotted window, and write nothing",
               [](Options& o, std::string_view) { o.findFold = true; }},
    // Plot settings, changed after the open in the order given, as in the window.
    OptionSpec{"fold-channel", 0, "N",
               "plot folding channel (kept in 0..1023); when it changes, both ignored margins "
               "become 2 x |channels/2 - N| + 5 (kept in 5..100)",
               &AddGraphicNumber<GraphicChange::FoldChannel>},
    OptionSpec{"no-fold", 0, "", "plot the spectrum unfolded (the scale is guessed again)",
               &AddGraphicSwitch<GraphicChange::NoFold>},
    OptionSpec{"scale", 0, "N",
               "plot scale in promille of the maximum (kept in 0..1000) instead of the guess",
               &AddGraphicNumber<GraphicChange::Scale>},
    OptionSpec{"no-error-lines", 0, "", "plot without error lines",
               &AddGraphicSwitch<GraphicChange::NoErrorLines>},
    OptionSpec{"no-mean", 0, "", "plot without the running mean",
               &AddGraphicSwitch<GraphicChange::NoMean>},
    OptionSpec{"mean-width", 0, "N", "half-width of the plot's running mean (kept in 1..20)",
               &AddGraphicNumber<GraphicChange::MeanWidth>},
    // Header fields, applied in the order given, after the guess, the mode and the calibration.
    OptionSpec{"serial", 0, "TEXT", "Serial # (masked: HL0000  )", &AddField<Field::Serial>},
    OptionSpec{"description", 0, "TEXT", "Description (at most 58 characters are kept)",
               &AddField<Field::Description>},
    OptionSpec{"bfield", 0, "TEXT", "B-field (masked: 0.0T)", &AddField<Field::BField>},
    OptionSpec{"temperature", 0, "TEXT", "Temperature (masked: 000 K)",
               &AddField<Field::Temperature>},
    OptionSpec{"channels", 0, "TEXT", "# Channels", &AddField<Field::Channels>},
    OptionSpec{"ignore-left", 0, "TEXT", "Ignore left", &AddField<Field::IgnoreLeft>},
    OptionSpec{"ignore-right", 0, "TEXT", "Ignore right", &AddField<Field::IgnoreRight>},
    OptionSpec{"folding-channel", 0, "TEXT",
               "2xFolding channel (masked: 000.0000, or 0000.0000 after --mode 1024)",
               &AddField<Field::FoldingChannel>},
    OptionSpec{"counts-millions", 0, "TEXT", "# counts (10^6)", &AddField<Field::CountsMillions>},
    OptionSpec{"zero-speed", 0, "TEXT", "Zero speed Channel (masked: 000.00)",
               &AddField<Field::ZeroSpeedChannel>},
    OptionSpec{"calibration", 0, "TEXT", "Calibration constant (masked: 0.00009)",
               &AddField<Field::CalibrationConstant>},
    OptionSpec{"extra1", 0, "TEXT", "first ??? field (masked: 000.00)", &AddField<Field::Extra1>},
    OptionSpec{"extra2", 0, "TEXT", "second ??? field (masked: 0.00000)", &AddField<Field::Extra2>},
    OptionSpec{"extra3", 0, "TEXT", "third ??? field (masked: 000.00)", &AddField<Field::Extra3>},
    OptionSpec{"extra4", 0, "TEXT", "fourth ??? field (masked: 0.00000)", &AddField<Field::Extra4>},
};

const OptionSpec* FindLong(std::string_view name)
{
    for (const OptionSpec& option : kOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

const OptionSpec* FindShort(char c)
{
    for (const OptionSpec& option : kOptions) {
        if (option.shortName != 0 && option.shortName == c) return &option;
    }
    return nullptr;
}

// Options and files may be mixed; "--" ends the options. --help and --version stop parsing.
Options ParseArgs(const std::vector<std::string>& args)
{
    Options options;
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
            throw UsageError{"option '" + shown + "' needs a value (" + std::string(option->argName) +
                             ")"};
        }
        option->apply(options, value);
        if (options.help || options.version) return options;
    }
    if (options.files.empty()) throw UsageError{"no input files"};
    return options;
}

void AssignField(ExpHeader& header, const FieldAssignment& assignment)
{
    const std::string& text = assignment.text;
    switch (assignment.field) {
    case Field::Serial:
        header.Serial.Assign(text);
        break;
    case Field::Description:
        // The window's field holds at most this many characters.
        header.Description = text.substr(0, kDescriptionMaxLength);
        break;
    case Field::BField:
        header.BField.Assign(text);
        break;
    case Field::Temperature:
        header.Temperature.Assign(text);
        break;
    case Field::Channels:
        header.Channels = text;
        break;
    case Field::IgnoreLeft:
        header.IgnoreLeft = text;
        break;
    case Field::IgnoreRight:
        header.IgnoreRight = text;
        break;
    case Field::FoldingChannel:
        header.FoldingChannel.Assign(text);
        break;
    case Field::CountsMillions:
        header.CountsMillions = text;
        break;
    case Field::ZeroSpeedChannel:
        header.ZeroSpeedChannel.Assign(text);
        break;
    case Field::CalibrationConstant:
        header.CalibrationConstant.Assign(text);
        break;
    case Field::Extra1:
        header.Extra1.Assign(text);
        break;
    case Field::Extra2:
        header.Extra2.Assign(text);
        break;
    case Field::Extra3:
        header.Extra3.Assign(text);
        break;
    case Field::Extra4:
        header.Extra4.Assign(text);
        break;
    }
}

// The folder part of a path, with its trailing '/', or empty for a bare name.
std::string_view FolderPart(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

// A file as the file system knows it, whatever path spells it.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    auto operator<=>(const FileId&) const = default;
};

FileId IdOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

// What a path names now: the entry itself and, for a symbolic link, the file it leads to.
// Nothing for a path that names nothing.
void AddIdentities(const std::string& path, std::set<FileId>& ids)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0) return;
    ids.insert(IdOf(st));
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) == 0) ids.insert(IdOf(st));
}

// Folders and files in messages and on the terminal: control bytes from a name or a file
// must not break the one-line-per-file output or steer the terminal.
std::string Shown(std::string_view text)
{
    return EscapeControlBytes(text);
}

class Converter {
  public:
    // inputs: every file this run reads, which no output may replace.
    Converter(const Options& options, const LocaleFormats& locale,
              std::optional<CalibrationValues> calibration, std::set<FileId> inputs,
              std::ostream& out, std::ostream& err)
        : options_(options), locale_(locale), calibration_(std::move(calibration)),
          inputs_(std::move(inputs)), out_(out), err_(err)
    {
    }

    // Converts one file; false (after a message on err) when it failed.
    bool Convert(const std::string& path)
    {
        SpmSpectrum spectrum;
        try {
            const std::string bytes = ReadWholeFile(path);
            spectrum = ParseSpmImage(bytes, path, locale_);
        }
        catch (const AppError& e) {
            return Fail(path, e.what());
        }
        const SpmInfo& info = spectrum.info;

        if (options_.info || options_.findFold) {
            if (options_.info) {
                for (const std::string& line : SpmInfoCaptions(info, locale_))
                    out_ << Shown(line) << '\n';
            }
            if (options_.findFold) {
                const std::optional<std::string> channel = SuggestFoldingChannel(
                    spectrum.counts,
                    GraphicSettingsAfterOpen(spectrum.counts, options_.graphicSteps, false));
                if (!channel) {
                    return Fail(path, "no folding channel found: the plotted window holds no "
                                      "mirrored channels with counts");
                }
                out_ << Shown(path) << ": " << *channel << '\n';
            }
            return true;
        }

        ExpHeader header; // the initial texts of a fresh window
        if (!options_.noGuess) GuessExpData(header, info.FileName);
        int saveAsMode = kSave512Add; // as the open selects it, without the change reaction
        if (options_.saveAsMode) {
            saveAsMode = *options_.saveAsMode;
            ApplySaveAsModeChange(header, saveAsMode);
        }
        if (calibration_) ApplyCalibration(header, *calibration_);
        for (const FieldAssignment& assignment : options_.fields)
            AssignField(header, assignment);

        const std::string folder =
            options_.outputDir ? WithSlash(*options_.outputDir) : std::string(FolderPart(path));
        if (!options_.noExp) {
            const std::string target = folder + DefaultExpName(info.FileName);
            if (!Claim(folder, target, path)) return false;
            try {
                WriteFileAtomic(target,
                                FormatExpFile(header, spectrum.counts, info.ChannelCount,
                                              saveAsMode),
                                false);
            }
            catch (const AppError& e) {
                return Fail(target, e.what());
            }
        }
        if (options_.asciiAxis) {
            // Built whole before anything is written, so a field that is not a number
            // leaves no table file behind.
            std::string table;
            try {
                table =
                    BuildASCIITable(spectrum.counts, info.ChannelCount, saveAsMode,
                                    *options_.asciiAxis, header.ZeroSpeedChannel.Text(),
                                    header.CalibrationConstant.Text(), locale_.decimalSeparator);
            }
            catch (const AppError& e) {
                return Fail(path, e.what());
            }
            const std::string target = folder + ChangeFileExt(info.FileName, ".txt");
            if (!Claim(folder, target, path)) return false;
            try {
                WriteFileAtomic(target, table, false);
            }
            catch (const AppError& e) {
                return Fail(target, e.what());
            }
        }
        if (options_.plotSize) {
            // Drawn whole first: a plot that fails (a window of zeros) leaves no bitmap.
            std::string bitmap;
            try {
                const PlotSettings settings =
                    GraphicSettingsAfterOpen(spectrum.counts, options_.graphicSteps, true);
                bitmap = DrawPreviewBitmap(spectrum.counts, settings, info.FileName,
                                           options_.plotSize->first, options_.plotSize->second);
            }
            catch (const AppError& e) {
                return Fail(path, e.what());
            }
            const std::string target = folder + ChangeFileExt(info.FileName, ".bmp");
            if (!Claim(folder, target, path)) return false;
            try {
                WriteFileAtomic(target, bitmap, false);
            }
            catch (const AppError& e) {
                return Fail(target, e.what());
            }
        }
        return true;
    }

    // Everything written goes to the disk once, at the end of the batch.
    void Sync() const
    {
        std::vector<std::string> folders;
        for (const auto& [id, folder] : folders_)
            folders.push_back(folder);
        SyncFolders(folders);
    }

  private:
    // An output is refused when it would replace a file this run reads (a second run over
    // "*" names the first run's EXP files too), or an output written earlier in this run
    // (two inputs of the same name from different folders into one --output-dir, or one
    // file named twice). Both compare files, not spellings of paths.
    bool Claim(const std::string& folder, const std::string& target, const std::string& input)
    {
        std::set<FileId> replaced;
        AddIdentities(target, replaced);
        for (const FileId& id : replaced) {
            if (inputs_.contains(id))
                return Fail(input, "not converted: " + target + " is an input of this run");
        }
        const std::optional<FileId> folderId = FolderId(folder);
        // A folder that cannot be found fails the write anyway; its spelling stands in.
        const std::string name = target.substr(folder.size());
        if (!written_.insert({folderId.value_or(FileId{}), folderId ? "" : folder, name}).second) {
            return Fail(input, "not converted: " + target +
                                   " was already written for an earlier file of this run");
        }
        if (folderId) folders_.emplace(*folderId, folder);
        return true;
    }

    std::optional<FileId> FolderId(const std::string& folder)
    {
        const auto known = folderIds_.find(folder);
        if (known != folderIds_.end()) return known->second;
        struct stat st{};
        std::optional<FileId> id;
        if (::stat(folder.empty() ? "." : folder.c_str(), &st) == 0) id = IdOf(st);
        folderIds_.emplace(folder, id);
        return id;
    }

    static std::string WithSlash(const std::string& dir)
    {
        return dir.back() == '/' ? dir : dir + '/';
    }

    bool Fail(std::string_view file, std::string_view message)
    {
        err_ << Shown(file) << ": " << Shown(message) << '\n';
        return false;
    }

    struct Output {
        FileId folder;
        std::string folderText; // only when the folder could not be found
        std::string name;
        auto operator<=>(const Output&) const = default;
    };

    const Options& options_;
    const LocaleFormats& locale_;
    std::optional<CalibrationValues> calibration_;
    const std::set<FileId> inputs_;
    std::ostream& out_;
    std::ostream& err_;
    std::set<Output> written_;
    std::map<std::string, std::optional<FileId>> folderIds_;
    std::map<FileId, std::string> folders_; // one spelling per folder, for the sync
};

} // namespace

std::string ConvertUsage()
{
    constexpr std::size_t kHelpColumn = 32;
    constexpr std::size_t kLineWidth = 80;
    std::string text;
    text += "Usage: ";
    text += kProgram;
    text += " [OPTIONS] FILE.spm...\n"
            "Converts SPM spectrum files into EXP files, one after the other, as a fresh main\n"
            "window would open and save each of them.\n"
            "\nOptions:\n";
    for (const OptionSpec& option : kOptions) {
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
            "Exit status: 0 all files converted, 1 some file failed, 2 usage error.\n";
    return text;
}

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const LocaleFormats& locale)
{
    Options options;
    try {
        options = ParseArgs(args);
    }
    catch (const UsageError& e) {
        err << kProgram << ": " << Shown(e.message) << "\n\n" << ConvertUsage();
        return 2;
    }
    if (options.help) {
        out << ConvertUsage();
        return 0;
    }
    if (options.version) {
        out << kProgram << ' ' << TRV_VERSION << '\n';
        return 0;
    }

    // Read once: a bad calibration file would spoil every conversion, so nothing starts.
    std::optional<CalibrationValues> calibration;
    if (options.calibrationPath && !options.info) {
        try {
            calibration = ParseCalibration(ReadWholeFile(*options.calibrationPath, kMaxCalibrationFileSize));
        }
        catch (const AppError& e) {
            err << Shown(*options.calibrationPath) << ": " << Shown(e.what()) << '\n';
            return 2;
        }
    }

    std::set<FileId> inputs;
    if (!options.info && !options.findFold) {
        for (const std::string& file : options.files)
            AddIdentities(file, inputs);
        if (options.calibrationPath) AddIdentities(*options.calibrationPath, inputs);
    }
    Converter converter(options, locale, std::move(calibration), std::move(inputs), out, err);
    bool allConverted = true;
    for (const std::string& file : options.files) {
        bool converted = false;
        try {
            converted = converter.Convert(file);
        }
        catch (const std::exception& e) {
            // Whatever else goes wrong with one file must not end the batch.
            err << Shown(file) << ": " << Shown(e.what()) << '\n';
        }
        if (!converted) allConverted = false;
    }
    converter.Sync();
    out.flush();
    return allConverted ? 0 : 1;
}

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunConvert(args, out, err, LocaleFormats::System());
}

} // namespace trv
