#include "UiTestSupport.h"

#include "platform/LocaleFormats.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTest>

namespace trv::test {

namespace {

void PutCounts(std::string& bytes, std::size_t at, int channels,
               const std::function<uint32_t(int)>& count)
{
    for (int i = 0; i < channels; ++i)
        for (int b = 0; b < 4; ++b)
            bytes[at + 4 * i + b] = static_cast<char>(count(i) >> (8 * b));
}

} // namespace

std::string MakePca2(int size, const std::function<uint32_t(int)>& count)
{
    const int channels = size <= 3000 ? 512 : 1024;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (const std::size_t at : {362, 388}) {
        bytes.replace(at, 11, "12:34:56   ");
        bytes.replace(at + 13, 12, "Jan  5  2001");
    }
    PutCounts(bytes, static_cast<std::size_t>(size - 4 * channels), channels, count);
    return bytes;
}

// The marker in the header, stamps at 386 and 399, counts from 450 to the end of the file.
std::string MakePca3(int channels, const std::function<uint32_t(int)>& count,
                     const std::string& stamp1, const std::string& stamp2)
{
    std::string bytes(static_cast<std::size_t>(450 + 4 * channels), '\0');
    bytes.replace(10, 8, "pca3.exe");
    bytes.replace(386, stamp1.size(), stamp1);
    bytes.replace(399, stamp2.size(), stamp2);
    PutCounts(bytes, 450, channels, count);
    return bytes;
}

std::string ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing " + path.toStdString() + ">";
    return f.readAll().toStdString();
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void UiTest::SetUp()
{
    ASSERT_TRUE(tmp_.isValid());
    oldCwd_ = QDir::currentPath();
    QDir(tmp_.path()).mkpath("config");
    QDir(tmp_.path()).mkpath("work");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp_.path() + "/config"));
    QDir::setCurrent(Work());
    QApplication::clipboard();
}

void UiTest::TearDown()
{
    form_.reset();
    platform_.Verify();
    QDir::setCurrent(oldCwd_);
}

MainWindow& UiTest::Start()
{
    form_.reset();
    form_ = std::make_unique<MainWindow>(
        platform_, std::make_unique<SettingsStore>(SettingsStore::DefaultPath()),
        LocaleFormats::Fixed());
    return *form_;
}

void UiTest::ChooseSaveAsMode(int item)
{
    form_->saveAsModeCombo()->setCurrentIndex(item);
    Q_EMIT form_->saveAsModeCombo()->activated(item);
}

void UiTest::ShowActive()
{
    form_->show();
    QApplication::setActiveWindow(form_.get());
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
}

} // namespace trv::test
