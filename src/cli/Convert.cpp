#include "cli/Convert.h"

#include "asciitable/AsciiExport.h"
#include "calibration/CalFileReader.h"
#include "calibration/CalFileWriter.h"
#include "calibration/VelocityFit.h"
#include "cli/Batch.h"
#include "cli/ConvertOptions.h"
#include "cli/FileIdentity.h"
#include "cli/OutputClaims.h"
#include "cli/PreviewPlot.h"
#include "cli/Watch.h"
#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <optional>
#include <ostream>
#include <set>
#include <string_view>

#include <sys/stat.h>

namespace trv {

namespace {

// The folder part of a path, with its trailing '/', or empty for a bare name.
std::string_view FolderPart(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

// Why outputs cannot go into --output-dir DIR, if they cannot: it is not there, or not a folder.
// Said before anything is written, instead of the write's own "File not found".
std::optional<std::string> OutputFolderRefusal(const std::string& dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return std::nullopt; // the write will say why
        return "the output folder " + dir + " does not exist";
    }
    if (!S_ISDIR(st.st_mode)) return "the output folder " + dir + " is not a folder";
    return std::nullopt;
}

// Smaller batches are over before threads would pay off.
constexpr std::size_t kParallelFrom = 32;

unsigned DefaultJobs()
{
    return std::min(AvailableProcessors(), kMaxConvertJobs);
}

// Folders and files in messages and on the terminal: control bytes from a name or a file
// must not break the one-line-per-file output or steer the terminal.
std::string Shown(std::string_view text)
{
    return EscapeControlBytes(text);
}

// One step of a file's conversion, in the order the converter takes them. The steps are
// worked out from the input alone; the outputs are claimed and written afterwards, in that
// order, and the first failure ends the file.
struct Step {
    enum class Kind { Print, Note, Fail, Save };
    Kind kind;
    std::string file;   // Fail: the file the message names; Save: the output's path
    std::string text;   // Print: the text for the output stream; Note: the text for the error
                        // stream; Fail: the message; Save: bytes
    std::string folder; // Save: the output's folder as spelled
    std::optional<std::string> error; // Save: the output could not be made (after its claim)
    bool replacesInput = false;       // Save: the output's path names a file this run reads
};

// One input file on its way through the batch.
struct FileWork {
    std::vector<Step> steps;
    std::vector<std::pair<bool, std::string>> shown; // (on err, text), in order
    bool executed = false;
    bool converted = true;
};

class Converter {
  public:
    // inputs: every file this run reads, which no output may replace.
    Converter(const ConvertOptions& options, const LocaleFormats& locale,
              std::optional<CalibrationValues> calibration, std::set<FileId> inputs,
              const InputReader& read)
        : options_(options), locale_(locale), calibration_(std::move(calibration)),
          claims_(std::move(inputs)), read_(read)
    {
    }

    // The steps of one file, from the input alone: safe on several threads at once.
    std::vector<Step> Prepare(const std::string& path) const
    {
        std::vector<Step> steps;
        try {
            PrepareSteps(path, steps);
        }
        catch (const std::exception& e) {
            // Whatever else goes wrong with one file must not end the batch.
            steps.push_back(Failure(path, e.what()));
        }
        return steps;
    }

    // Claims the outputs of the steps in order; a refused claim ends the file there.
    // True when outputs are left to write.
    bool Commit(const std::string& path, std::vector<Step>& steps)
    {
        bool saves = false;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            if (steps[i].kind == Step::Kind::Fail) break;
            if (steps[i].kind != Step::Kind::Save) continue;
            std::optional<std::string> refusal;
            try {
                refusal = claims_.Claim(steps[i].folder, steps[i].file, steps[i].replacesInput);
            }
            catch (const std::exception& e) {
                refusal = e.what();
            }
            if (refusal) {
                steps[i] = Failure(path, *refusal);
                steps.resize(i + 1);
                break;
            }
            saves = true;
        }
        return saves;
    }

    // Writes the claimed outputs and collects the messages, up to the first failure.
    static void Execute(const std::string& path, FileWork& work)
    {
        work.executed = true;
        try {
            for (Step& step : work.steps) {
                if (step.kind == Step::Kind::Print || step.kind == Step::Kind::Note) {
                    work.shown.emplace_back(step.kind == Step::Kind::Note, std::move(step.text));
                    continue;
                }
                if (step.kind == Step::Kind::Fail) {
                    work.shown.emplace_back(true,
                                            Shown(step.file) + ": " + Shown(step.text) + '\n');
                    work.converted = false;
                    break;
                }
                try {
                    if (step.error) throw AppError(*step.error);
                    WriteFileAtomic(step.file, step.text, false);
                }
                catch (const AppError& e) {
                    work.shown.emplace_back(true, Shown(step.file) + ": " + Shown(e.what()) + '\n');
                    work.converted = false;
                    break;
                }
                std::string().swap(step.text);
            }
        }
        catch (const std::exception& e) {
            work.shown.emplace_back(true, Shown(path) + ": " + Shown(e.what()) + '\n');
            work.converted = false;
        }
        work.steps.clear();
    }

    // Everything written goes to the disk once, at the end of the batch.
    void Sync() const
    {
        std::vector<std::string> folders;
        for (const auto& [id, folder] : claims_.Folders())
            folders.push_back(folder);
        SyncFolders(folders);
    }

  private:
    void PrepareSteps(const std::string& path, std::vector<Step>& steps) const
    {
        SpmSpectrum spectrum;
        try {
            const std::string bytes = read_ ? read_(path) : ReadWholeFile(path);
            spectrum = ParseSpmImage(bytes, path, locale_);
        }
        catch (const AppError& e) {
            steps.push_back(Failure(path, e.what()));
            return;
        }
        const SpmInfo& info = spectrum.info;

        if (options_.calibrate) return Calibrate(path, spectrum, steps);
        if (options_.info || options_.findFold) {
            if (options_.info) {
                std::string lines;
                for (const std::string& line : SpmInfoCaptions(info, locale_))
                    lines += Shown(line) + '\n';
                steps.push_back(Printed(std::move(lines)));
            }
            if (options_.findFold) {
                std::optional<std::string> channel;
                try {
                    channel = SuggestFoldingChannel(
                        spectrum.counts,
                        GraphicSettingsAfterOpen(spectrum.counts, options_.graphicSteps, false));
                }
                catch (const AppError& e) {
                    steps.push_back(Failure(path, e.what()));
                    return;
                }
                if (!channel) {
                    steps.push_back(Failure(path,
                                            "no folding channel found: the plotted window holds no "
                                            "mirrored channels with counts"));
                    return;
                }
                steps.push_back(Printed(Shown(path) + ": " + *channel + '\n'));
            }
            return;
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
            assignment.field->Assign(header, assignment.text);

        const std::string folder =
            options_.outputDir ? WithSlash(*options_.outputDir) : std::string(FolderPart(path));
        if (options_.outputDir) {
            if (auto refusal = OutputFolderRefusal(*options_.outputDir)) {
                steps.push_back(Failure(path, *refusal));
                return;
            }
        }
        if (!options_.noExp) {
            Step save = Saved(folder, folder + DefaultExpName(info.FileName));
            try {
                save.text = FormatExpFile(header, spectrum.counts, info.ChannelCount, saveAsMode);
            }
            catch (const AppError& e) {
                save.error = e.what();
            }
            steps.push_back(std::move(save));
        }
        if (options_.asciiAxis) {
            // Built whole before anything is written, so a field that is not a number
            // leaves no table file behind.
            Step save = Saved(folder, folder + ChangeFileExt(info.FileName, ".txt"));
            try {
                save.text =
                    BuildASCIITable(spectrum.counts, info.ChannelCount, saveAsMode,
                                    *options_.asciiAxis, header.ZeroSpeedChannel.Text(),
                                    header.CalibrationConstant.Text(), locale_.decimalSeparator);
            }
            catch (const AppError& e) {
                steps.push_back(Failure(path, e.what()));
                return;
            }
            steps.push_back(std::move(save));
        }
        if (options_.plotSize) {
            // Drawn whole first: a plot that fails (a window of zeros) leaves no bitmap.
            Step save = Saved(folder, folder + ChangeFileExt(info.FileName, ".bmp"));
            try {
                const PlotSettings settings =
                    GraphicSettingsAfterOpen(spectrum.counts, options_.graphicSteps, true);
                save.text = DrawPreviewBitmap(spectrum.counts, settings, info.FileName,
                                              options_.plotSize->first, options_.plotSize->second);
            }
            catch (const AppError& e) {
                steps.push_back(Failure(path, e.what()));
                return;
            }
            steps.push_back(std::move(save));
        }
    }

    // The velocity calibration of a reference spectrum in the chosen mode, as the window's
    // calibration makes it; with --write-cal also its calibration file, formatted for the
    // header's masks after that mode. What the user should know about the fit goes to stderr;
    // a poor fit fails the file unless it is accepted.
    void Calibrate(const std::string& path, const SpmSpectrum& spectrum,
                   std::vector<Step>& steps) const
    {
        const int saveAsMode = options_.saveAsMode.value_or(kSave512Add);
        ExpHeader header;
        if (options_.saveAsMode) ApplySaveAsModeChange(header, saveAsMode);
        const std::vector<double> lines = options_.referenceLines.value_or(DefaultReferenceLines());
        CalibrationOptions calibrationOptions;
        calibrationOptions.excludedChannels = options_.excludeChannels;
        std::string calFile;
        VelocityCalibration result;
        try {
            result = CalibrateSpectrum(spectrum.counts, spectrum.info.ChannelCount, saveAsMode,
                                       lines, calibrationOptions)
                         .result;
            if (options_.writeCal && (!result.poorFit || options_.acceptPoorFit)) {
                calFile = FormatCalibrationFile(
                    result, header.FoldingChannel.Mask(),
                    CalibrationSourceOf(spectrum.info, saveAsMode, locale_), lines);
            }
        }
        catch (const AppError& e) {
            steps.push_back(Failure(path, e.what()));
            return;
        }
        std::vector<std::string> notes = CalibrationNotes(result, lines);
        const bool refused = result.poorFit && !options_.acceptPoorFit;
        std::string poorFit;
        if (refused) { // its note is the last
            poorFit = std::move(notes.back());
            notes.pop_back();
        }
        for (const std::string& note : notes)
            steps.push_back(Noted(Shown(path) + ": " + Shown(note) + '\n'));
        if (refused) {
            steps.push_back(Failure(path, poorFit + "; not taken without --accept-poor-fit"));
            return;
        }
        steps.push_back(Printed(Shown(path) + ": " + CalibrationSummary(result) + '\n'));
        if (options_.writeCal) {
            const std::string& target = *options_.writeCal;
            Step save = Saved(std::string(FolderPart(target)), target);
            save.text = std::move(calFile);
            steps.push_back(std::move(save));
        }
    }

    static std::string WithSlash(const std::string& dir)
    {
        return dir.back() == '/' ? dir : dir + '/';
    }

    static Step Failure(std::string_view file, std::string_view message)
    {
        return {Step::Kind::Fail, std::string(file), std::string(message), {}, {}, false};
    }
    static Step Printed(std::string text)
    {
        return {Step::Kind::Print, {}, std::move(text), {}, {}, false};
    }
    static Step Noted(std::string text)
    {
        return {Step::Kind::Note, {}, std::move(text), {}, {}, false};
    }
    // Whether the output would replace an input is found out here, on the worker.
    Step Saved(std::string folder, std::string target) const
    {
        const bool replacesInput = claims_.ReplacesInput(target);
        return {Step::Kind::Save, std::move(target), {}, std::move(folder), {}, replacesInput};
    }

    const ConvertOptions& options_;
    const LocaleFormats& locale_;
    std::optional<CalibrationValues> calibration_;
    OutputClaims claims_;
    const InputReader& read_;
};

} // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const LocaleFormats& locale)
{
    ConvertOptions options;
    try {
        options = ParseConvertArgs(args);
    }
    catch (const UsageError& e) {
        err << kConvertProgram << ": " << Shown(e.message) << "\nTry '" << kConvertProgram
            << " --help'.\n";
        return 2;
    }
    if (options.help) {
        out << ConvertUsage();
        return 0;
    }
    if (options.version) {
        out << kConvertProgram << ' ' << TRV_VERSION << '\n';
        return 0;
    }
    if (options.watchDir) return RunWatch(args, options, out, err, locale);
    return ConvertFiles(options, out, err, locale);
}

int ConvertFiles(const ConvertOptions& options, std::ostream& out, std::ostream& err,
                 const LocaleFormats& locale, const InputReader& read,
                 const std::function<void(std::size_t file, bool converted)>& finished)
{
    // Read once: a bad calibration file would spoil every conversion, so nothing starts.
    std::optional<CalibrationValues> calibration;
    if (options.calibrationPath && !options.info) {
        try {
            const std::string& path = *options.calibrationPath;
            calibration =
                ParseCalibration(read ? read(path) : ReadWholeFile(path, kMaxCalibrationFileSize));
        }
        catch (const AppError& e) {
            err << Shown(*options.calibrationPath) << ": " << Shown(e.what()) << '\n';
            return 2;
        }
    }

    // A file is read ahead of the outputs of the files before it only where those cannot
    // change it: outputs never replace an input, but one could create a file named later
    // that did not exist yet, or replace a link.
    const std::size_t count = options.files.size();
    std::vector<bool> readAhead(count, true);
    std::set<FileId> inputs;
    if ((!options.info && !options.findFold) || options.writeCal) {
        for (std::size_t i = 0; i < count; ++i)
            readAhead[i] = AddIdentities(options.files[i], inputs);
        if (options.calibrationPath) AddIdentities(*options.calibrationPath, inputs);
    }
    Converter converter(options, locale, std::move(calibration), std::move(inputs), read);

    std::vector<FileWork> works(count);
    bool allConverted = true;
    BatchStages stages;
    stages.prepare = [&](std::size_t i) {
        works[i].steps = converter.Prepare(options.files[i]);
        std::size_t bytes = 0;
        for (const Step& step : works[i].steps)
            bytes += step.text.size();
        return bytes;
    };
    stages.commit = [&](std::size_t i) {
        return converter.Commit(options.files[i], works[i].steps);
    };
    stages.execute = [&](std::size_t i) { Converter::Execute(options.files[i], works[i]); };
    stages.finish = [&](std::size_t i) {
        FileWork work = std::move(works[i]);
        if (!work.executed) Converter::Execute(options.files[i], work); // messages only
        for (const auto& [onErr, text] : work.shown)
            (onErr ? err : out) << text;
        if (!work.converted) allConverted = false;
        if (finished) finished(i, work.converted);
    };
    stages.independent = [&](std::size_t i) { return bool(readAhead[i]); };
    // Mostly files to be read in turn (links, say): one thread does that best.
    const auto inTurn =
        static_cast<std::size_t>(std::count(readAhead.begin(), readAhead.end(), false));
    const unsigned jobs =
        count < kParallelFrom || inTurn > count / 2 ? 1u : options.jobs.value_or(DefaultJobs());
    RunBatch(count, jobs, stages);

    converter.Sync();
    out.flush();
    return allConverted ? 0 : 1;
}

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunConvert(args, out, err, LocaleFormats::System());
}

} // namespace trv
