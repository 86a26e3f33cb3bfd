#include "cli/Convert.h"

#include "calibration/CalFile.h"
#include "calibration/VelocityFit.h"
#include "cli/ConvertOptions.h"
#include "cli/PreviewPlot.h"
#include "exp/Calibration.h"
#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "export/AsciiExport.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"

#include <compare>
#include <exception>
#include <map>
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
    Converter(const ConvertOptions& options, const LocaleFormats& locale,
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

        if (options_.calibrate) return Calibrate(path, spectrum);
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
            assignment.field->Assign(header, assignment.text);

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
    // The velocity calibration of a reference spectrum in the chosen mode, as the window's
    // calibration makes it; with --write-cal also its calibration file, formatted for the
    // header's masks after that mode.
    bool Calibrate(const std::string& path, const SpmSpectrum& spectrum)
    {
        const int saveAsMode = options_.saveAsMode.value_or(kSave512Add);
        ExpHeader header;
        if (options_.saveAsMode) ApplySaveAsModeChange(header, saveAsMode);
        const std::vector<double> lines = DefaultReferenceLines();
        std::string calFile;
        VelocityCalibration result;
        try {
            result = CalibrateSpectrum(spectrum.counts, spectrum.info.ChannelCount, saveAsMode,
                                       lines)
                         .result;
            if (options_.writeCal) {
                calFile = FormatCalibrationFile(
                    result, header.FoldingChannel.Mask(),
                    CalibrationSourceOf(spectrum.info, saveAsMode, locale_), lines);
            }
        }
        catch (const AppError& e) {
            return Fail(path, e.what());
        }
        out_ << Shown(path) << ": " << CalibrationSummary(result) << '\n';
        if (options_.writeCal) {
            const std::string& target = *options_.writeCal;
            if (!Claim(std::string(FolderPart(target)), target, path)) return false;
            try {
                WriteFileAtomic(target, calFile, false);
            }
            catch (const AppError& e) {
                return Fail(target, e.what());
            }
        }
        return true;
    }

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

    const ConvertOptions& options_;
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

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const LocaleFormats& locale)
{
    ConvertOptions options;
    try {
        options = ParseConvertArgs(args);
    }
    catch (const UsageError& e) {
        err << kConvertProgram << ": " << Shown(e.message) << "\n\n" << ConvertUsage();
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
    if ((!options.info && !options.findFold) || options.writeCal) {
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
