#include "UiTestSupport.h"

#include "platform/LocaleFormats.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTest>

namespace trv::test {

namespace {

void PutCount(std::string& bytes, std::size_t at, uint32_t v)
{
    for (int b = 0; b < 4; ++b)
        bytes[at + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
}

void PutText(std::string& bytes, std::size_t at, const std::string& text)
{
    bytes.replace(at, text.size(), text);
}

} // namespace

std::string MakePca2(int size, const std::function<uint32_t(int)>& count, const std::string& time,
                     const std::string& date)
{
    const int channels = size <= 3000 ? 512 : 1024;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    PutText(bytes, 362, time);
    PutText(bytes, 375, date);
    PutText(bytes, 388, time);
    PutText(bytes, 401, date);
    const std::size_t header = static_cast<std::size_t>(size - 4 * channels);
    for (int i = 0; i < channels; ++i)
        PutCount(bytes, header + 4 * i, count(i));
    return bytes;
}

std::string MakePca3(int channels, const std::function<uint32_t(int)>& count,
                     const std::string& stamp1, const std::string& stamp2)
{
    // 2498 bytes for 512 channels, 4546 for 1024: the count block ends the file.
    std::string bytes(static_cast<std::size_t>(450 + 4 * channels), '\0');
    PutText(bytes, 10, "pca3.exe");
    PutText(bytes, 386, stamp1);
    PutText(bytes, 399, stamp2);
    for (int i = 0; i < channels; ++i)
        PutCount(bytes, 450 + 4 * i, count(i));
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

TForm1& UiTest::Start()
{
    form_.reset();
    form_ = std::make_unique<TForm1>(platform_,
                                     std::make_unique<SettingsStore>(SettingsStore::DefaultPath()),
                                     LocaleFormats::Fixed());
    return *form_;
}

QString UiTest::Work(const QString& name) const
{
    return name.isEmpty() ? tmp_.path() + "/work" : tmp_.path() + "/work/" + name;
}

QString UiTest::SettingsFile() const
{
    return tmp_.path() + "/config/trevandel/settings.reg";
}

QString UiTest::WriteSpm(const QString& name, const std::string& bytes)
{
    const QString path = Work(name);
    WriteBytes(path, bytes);
    return path;
}

void UiTest::OpenViaDialog(const QString& path)
{
    platform_.QueueOpen(path);
    form_->aOpen->trigger();
}

void UiTest::ChooseSaveAsMode(int item)
{
    form_->cbSaveAsMode->setCurrentIndex(item);
    Q_EMIT form_->cbSaveAsMode->activated(item);
}

void UiTest::ShowActive()
{
    form_->show();
    QApplication::setActiveWindow(form_.get());
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
}

} // namespace trv::test
