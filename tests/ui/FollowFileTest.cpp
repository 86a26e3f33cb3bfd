// Following the opened file while its measurement runs: every complete version a writer saves
// is shown (renamed over the file, truncated and rewritten), never a torn
// one; the header typed before stays, and nothing asks or warns.
#include "UiTestSupport.h"
#include "support/SpmImages.h"

#include "follow/FileFollower.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTableWidget>

#include <gmock/gmock.h>

#include <set>

#include <cstdio>

namespace trv::test {
namespace {

class FollowFile : public UiTest {
  protected:
    // Events until the window shows counts, or 5 s.
    bool WaitForCounts(MainWindow& f, const std::vector<std::uint32_t>& counts)
    {
        QElapsedTimer clock;
        clock.start();
        while (f.Counts() != counts && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            // Every state the window passes through is a whole spectrum of the writer's.
            EXPECT_TRUE(f.Counts().size() == 1024 && seen_.contains(f.Counts()[0]))
                << "a torn spectrum was shown";
        }
        return f.Counts() == counts;
    }
    // The writer's versions are told apart by channel 0.
    std::vector<std::uint32_t> Version(std::uint32_t n)
    {
        std::vector<std::uint32_t> counts = SomeCounts(1024, n);
        counts[0] = 100000 + n;
        seen_.insert(counts[0]);
        return counts;
    }
    std::set<std::uint32_t> seen_;
};

TEST_F(FollowFile, ShowsEachCompleteVersionAndKeepsTheHeader)
{
    MainWindow& f = Start();
    f.showDataBox()->click();
    const QString path = WriteSpm("run.spm", Pca2Image(Version(1)));
    f.OpenGivenFile(path);
    f.descriptionEdit()->setText("typed before");
    platform_.messages.clear(); // the first start's greeting
    f.followAction()->trigger();
    EXPECT_THAT(Str(f.followStatus()->text()), ::testing::HasSubstr("Following run.spm"));

    // A new file renamed over the old one.
    WriteBytes(Work("run.tmp"), Pca2Image(Version(3)));
    ASSERT_EQ(::rename(Str(Work("run.tmp")).c_str(), Str(path).c_str()), 0);
    ASSERT_TRUE(WaitForCounts(f, Version(3)));
    // Truncated, then rewritten whole.
    QFile(path).resize(0);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    WriteBytes(path, Pca2Image(Version(4)));
    ASSERT_TRUE(WaitForCounts(f, Version(4)));

    EXPECT_EQ(f.dataGrid()->item(0, 1)->text(), QString::number(Version(4)[0]));
    EXPECT_EQ(f.descriptionEdit()->text(), "typed before");
    EXPECT_TRUE(platform_.errors.isEmpty() && platform_.messages.isEmpty());

    // Off stops it, and the choice is remembered for the next start.
    Stop();
    MainWindow& again = Start();
    EXPECT_TRUE(again.followAction()->isChecked());
    again.followAction()->trigger();
    EXPECT_FALSE(again.Follower().IsFollowing());
}

} // namespace
} // namespace trv::test
