#include "cli/Watch.h"

#include "calibration/CalFileReader.h"
#include "cli/Convert.h"
#include "cli/ConvertOptions.h"
#include "cli/EndSignals.h"
#include "follow/FolderFollower.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QSocketNotifier>

#include <array>
#include <map>
#include <memory>
#include <ostream>
#include <signal.h>
#include <sstream>
#include <sys/signalfd.h>
#include <unistd.h>

namespace trv {

namespace {

// Beside the outputs: which versions of which inputs were converted, with which options.
constexpr const char* kStateName = ".trevandel-convert-watch";
constexpr std::string_view kStateHeader = "trevandel-convert --watch 1";

// The end signals are blocked from the start, in every thread started later too (the batch's
// workers), and come to the event loop through a descriptor: a conversion round is never cut
// short by them, except where the batch itself ends the process after its running writes.
class EndSignals {
  public:
    EndSignals()
    {
        sigemptyset(&set_);
        for (const int sig : kEndSignals) {
            // One ignored (nohup) stays ignored.
            if (EndsTheProcess(sig)) sigaddset(&set_, sig);
        }
        ::pthread_sigmask(SIG_BLOCK, &set_, &previous_);
        fd_ = ::signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
        if (fd_ < 0) ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); // they end it at once
    }
    // Only when the run could not start.
    ~EndSignals()
    {
        if (fd_ >= 0) ::close(fd_);
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    int Fd() const { return fd_; }

    // The signal that came, or 0.
    int Take() const
    {
        signalfd_siginfo info{};
        if (::read(fd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return 0;
        return static_cast<int>(info.ssi_signo);
    }

    [[noreturn]] static void EndBy(int sig) { EndProcessBy(sig); }

  private:
    sigset_t set_{};
    sigset_t previous_{};
    int fd_ = -1;
};

// What decides the outputs: every argument but the folder and --jobs, and the calibration
// file as it was read at the start.
std::string OptionsKey(const std::vector<std::string>& args, const std::string& calibration)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto add = [&](const std::string& text) {
        hash.addData(QByteArrayView(text.data(), static_cast<qsizetype>(text.size() + 1)));
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--watch" || arg == "--jobs") {
            ++i;
            continue;
        }
        if (arg.starts_with("--watch=") || arg.starts_with("--jobs=")) continue;
        add(arg);
    }
    add(calibration);
    return hash.result().toHex().toStdString();
}

// The versions converted, kept in a small file in the output folder, so that a restarted run
// does not convert again what it converted before. A version is the file's device, inode,
// size and modification time in ns: a save changes the time, a rename over the file the
// inode. The options key makes a run with other options convert everything again.
class WatchState {
  public:
    WatchState(std::string path, std::string key) : path_(std::move(path)), key_(std::move(key)) {}

    // The versions an earlier run with these options converted, of the files still in folder.
    std::map<std::string, FileVersion> Load(const std::string& folder)
    {
        std::string text;
        try {
            text = ReadWholeFile(path_);
        }
        catch (const AppError&) {
            return {}; // none yet
        }
        std::istringstream lines(text);
        std::string line;
        if (!std::getline(lines, line) || line != kStateHeader) return {};
        if (!std::getline(lines, line) || line != "options " + key_) return {};
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            FileVersion version;
            std::string encoded;
            if (!(fields >> version.device >> version.inode >> version.size >> version.mtimeNs >>
                  encoded))
                continue;
            const QByteArray name =
                QByteArray::fromPercentEncoding(QByteArray::fromStdString(encoded));
            if (StatFileVersion(folder + '/' + name.toStdString()))
                done_[name.toStdString()] = version;
        }
        return done_;
    }

    void Record(const std::string& name, const FileVersion& version)
    {
        done_[name] = version;
        changed_ = true;
    }

    // The state only spares work: a failed save is not worth a message.
    void Save()
    {
        if (!changed_) return;
        std::string text = std::string(kStateHeader) + "\noptions " + key_ + '\n';
        for (const auto& [name, v] : done_) {
            text += std::to_string(v.device) + ' ' + std::to_string(v.inode) + ' ' +
                    std::to_string(v.size) + ' ' + std::to_string(v.mtimeNs) + ' ' +
                    QByteArray::fromStdString(name).toPercentEncoding().toStdString() + '\n';
        }
        try {
            WriteFileAtomic(path_, text, false);
            changed_ = false;
        }
        catch (const AppError&) {
        }
    }

  private:
    std::string path_;
    std::string key_;
    std::map<std::string, FileVersion> done_;
    bool changed_ = false;
};

std::string WithoutTrailingSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

int RunWatch(const std::vector<std::string>& args, const ConvertOptions& options, std::ostream& out,
             std::ostream& err, const LocaleFormats& locale)
{
    EndSignals endSignals;
    const std::string folder = WithoutTrailingSlashes(*options.watchDir);

    // The calibration file is read once: every conversion of the run uses the same.
    std::string calibration;
    if (options.calibrationPath) {
        try {
            calibration = ReadWholeFile(*options.calibrationPath, kMaxCalibrationFileSize);
        }
        catch (const AppError& e) {
            err << EscapeControlBytes(*options.calibrationPath) << ": "
                << EscapeControlBytes(e.what()) << '\n';
            return 2;
        }
    }
    const std::map<std::string, const SettledFile*>* round = nullptr;
    const InputReader read = [&](const std::string& path) -> std::string {
        if (options.calibrationPath && path == *options.calibrationPath) return calibration;
        const SettledFile& file = *round->at(path);
        if (!file.error.empty()) throw AppError(file.error);
        return file.bytes;
    };
    ConvertOptions roundOptions = options;
    roundOptions.watchDir.reset();
    roundOptions.files.clear();
    // A calibration file that does not parse stops the run before it starts, as in a batch.
    if (ConvertFiles(roundOptions, out, err, locale, read) != 0) return 2;

    std::unique_ptr<QCoreApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "trevandel-convert";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    const std::string outputFolder =
        options.outputDir ? WithoutTrailingSlashes(*options.outputDir) : folder;
    WatchState state(outputFolder + '/' + kStateName, OptionsKey(args, calibration));
    FolderFollower follower(locale, kFolderWatchTiming);
    QObject::connect(
        &follower, &FolderFollower::FilesSettled, [&](const std::vector<SettledFile>& files) {
            std::map<std::string, const SettledFile*> byPath;
            roundOptions.files.clear();
            for (const SettledFile& file : files) {
                roundOptions.files.push_back(file.path);
                byPath.emplace(file.path, &file);
            }
            round = &byPath;
            ConvertFiles(roundOptions, out, err, locale, read, [&](std::size_t i, bool converted) {
                if (!converted) return;
                out << EscapeControlBytes(files[i].path) << ": converted\n";
                state.Record(files[i].name, files[i].version);
            });
            round = nullptr;
            out.flush();
            state.Save();
        });
    const auto sayPolling = [&](bool polling) {
        if (!polling) return;
        const char* why = !StatFileVersion(folder)   ? ": the folder is gone; looking for it"
                          : IsOnNetworkShare(folder) ? ": a network share; looking for changes"
                                                     : ": no change is told here; looking";
        err << EscapeControlBytes(folder) << why << " every "
            << kFolderWatchTiming.pollInterval.count() << " ms\n";
    };
    QObject::connect(&follower, &FolderFollower::PollingChanged, sayPolling);
    try {
        follower.Follow(folder, {}, ChangeDetection::Automatic, state.Load(folder));
    }
    catch (const AppError& e) {
        err << EscapeControlBytes(folder) << ": " << EscapeControlBytes(e.what()) << '\n';
        return 2;
    }
    sayPolling(follower.IsPolling());

    QEventLoop loop;
    int endedBy = 0;
    std::unique_ptr<QSocketNotifier> signalled;
    if (endSignals.Fd() >= 0) {
        signalled = std::make_unique<QSocketNotifier>(endSignals.Fd(), QSocketNotifier::Read);
        QObject::connect(signalled.get(), &QSocketNotifier::activated, [&] {
            endedBy = endSignals.Take();
            if (endedBy != 0) loop.quit();
        });
    }
    loop.exec();
    follower.Stop();
    out.flush();
    state.Save();
    EndSignals::EndBy(endedBy);
}

} // namespace trv
