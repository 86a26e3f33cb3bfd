// Following a file that a measurement saves again and again: whatever way it is saved, only
// complete versions come out, each exactly as it was saved, in order, the last one included.
#include "support/FaultFolders.h"
#include "support/SpmImages.h"

#include "follow/FileFollower.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace trv {
namespace {

using namespace std::chrono_literals;

void StartApp()
{
    static int argc = 1;
    static char name[] = "test_follow";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

enum class Saving { InPlace, RenameOver, DeleteAndRewrite };

constexpr int kVersions = 8;

// Written in pieces with pauses between them, as a slow writer would.
void WriteSlowly(int fd, const std::string& bytes)
{
    for (std::size_t at = 0; at < bytes.size(); at += 256) {
        const std::size_t n = std::min<std::size_t>(256, bytes.size() - at);
        ASSERT_EQ(::pwrite(fd, bytes.data() + at, n, static_cast<off_t>(at)),
                  static_cast<ssize_t>(n));
        std::this_thread::sleep_for(300us);
    }
}

void Save(Saving saving, const std::string& path, const std::string& bytes)
{
    const std::string target = saving == Saving::RenameOver ? path + ".part" : path;
    if (saving == Saving::DeleteAndRewrite) {
        ::unlink(path.c_str());
        std::this_thread::sleep_for(2ms);
    }
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    WriteSlowly(fd, bytes);
    ::close(fd);
    if (target != path) {
        ASSERT_EQ(::rename(target.c_str(), path.c_str()), 0);
    }
}

TEST(FileFollower, EachWayOfSavingGivesCompleteVersionsOnlyInOrderAndTheLast)
{
    StartApp();
    std::vector<std::vector<std::uint32_t>> versions; // each version's counts differ
    for (std::uint32_t k = 1; k <= kVersions; ++k)
        versions.push_back(test::SomeCounts(1024, k));
    const std::pair<Saving, const char*> savings[] = {
        {Saving::InPlace, "in place"},
        {Saving::RenameOver, "renamed over"},
        {Saving::DeleteAndRewrite, "deleted and written again"},
    };
    for (const ChangeDetection detection : {ChangeDetection::Automatic, ChangeDetection::Polling}) {
        for (const auto& [saving, savingName] : savings) {
            SCOPED_TRACE(std::string(savingName) +
                         (detection == ChangeDetection::Polling ? ", polling" : ""));
            faults::FaultyFolder folder;
            const std::string path = folder.File("run.spm");
            Save(Saving::InPlace, path, test::Pca2Image(versions[0]));

            FollowTiming timing;
            timing.pollInterval = 100ms;
            FileFollower follower(LocaleFormats::Fixed(), timing);
            std::vector<int> seen;
            std::vector<std::string> failures;
            QObject::connect(&follower, &FileFollower::NewVersion, [&](const SpmSpectrum& s) {
                const auto found = std::find(versions.begin(), versions.end(), s.counts);
                seen.push_back(found == versions.end() ? -1 : int(found - versions.begin()));
            });
            QObject::connect(&follower, &FileFollower::Failed,
                             [&](const std::string& message) { failures.push_back(message); });
            follower.Follow(path, detection);
            EXPECT_EQ(follower.IsPolling(), detection == ChangeDetection::Polling);

            std::atomic<bool> written{false};
            std::thread writer([&] {
                for (int k = 1; k < kVersions; ++k) {
                    std::this_thread::sleep_for(25ms);
                    Save(saving, path, test::Pca2Image(versions[static_cast<std::size_t>(k)]));
                }
                written = true;
            });
            QEventLoop loop;
            QTimer check;
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            QObject::connect(&check, &QTimer::timeout, [&] {
                const bool last = !seen.empty() && seen.back() == kVersions - 1;
                if ((written && last) || std::chrono::steady_clock::now() > deadline) loop.quit();
            });
            check.start(5ms);
            loop.exec();
            writer.join();

            EXPECT_TRUE(failures.empty()) << failures.front();
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back(), kVersions - 1);
            for (std::size_t i = 0; i < seen.size(); ++i) {
                EXPECT_GE(seen[i], 0) << "version " << i << " is none that was saved";
                if (i > 0) {
                    EXPECT_GT(seen[i], seen[i - 1]) << "reported twice or out of order";
                }
            }
        }
    }
}

} // namespace
} // namespace trv
