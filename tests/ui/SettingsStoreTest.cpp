#include "platform/SettingsStore.h"
#include "platform/AppError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace trv {
namespace {

std::string Slurp(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
}

void Spit(const QString& path, const std::string& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), qint64(text.size()));
}

constexpr const char* kKey = "\\SoftWare\\Brolleck\\";

TEST(SettingsStore, DefaultPathFollowsXdgConfigHomeAndFallsBackToHome)
{
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("XDG_CONFIG_HOME", "/x/conf");
    EXPECT_EQ(SettingsStore::DefaultPath(), "/x/conf/trevandel/settings.reg");
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    qputenv("HOME", "/home/u");
    EXPECT_EQ(SettingsStore::DefaultPath(), "/home/u/.config/trevandel/settings.reg");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStore::DefaultPath(), "/home/u/.config/trevandel/settings.reg");
    qputenv("XDG_CONFIG_HOME", oldXdg);
    qputenv("HOME", oldHome);
}

TEST(SettingsStore, WritesAReadableFileAndReadsItBack)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + "/deep/er/settings.reg";
    SettingsStore store(file.toStdString());
    EXPECT_FALSE(store.OpenKeyReadOnly(kKey)) << "no file yet";
    ASSERT_TRUE(store.OpenKey(kKey, true));
    store.WriteString("InitialDir", "/home/user/spectra");
    EXPECT_EQ(Slurp(file), "; Trevandel settings\n\n[\\SoftWare\\Brolleck\\]\n"
                           "\"InitialDir\"=\"/home/user/spectra\"\n");

    SettingsStore again(file.toStdString());
    ASSERT_TRUE(again.OpenKeyReadOnly("\\software\\BROLLECK")); // names ignore case
    EXPECT_EQ(again.ReadString("initialdir"), "/home/user/spectra");
    EXPECT_EQ(again.ReadString("Absent"), "") << "an absent value reads empty";
    EXPECT_FALSE(again.OpenKeyReadOnly("\\SoftWare\\Other\\"));
}

TEST(SettingsStore, EscapesQuotesAndBackslashesAndKeepsOtherContent)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + "/settings.reg";
    Spit(file, "; by hand\r\n[\\Other\\Key]\r\n\"Count\"=dword:00000010\r\n\r\n"
               "[\\SoftWare\\Brolleck\\]\r\n\"Colour\"=\"blue\"\r\n");
    SettingsStore store(file.toStdString());
    ASSERT_TRUE(store.OpenKey(kKey, false));
    const std::string odd = "C:\\dir \"quoted\" \xe9";
    store.WriteString("InitialDir", odd);
    const std::string text = Slurp(file);
    EXPECT_NE(text.find("\"InitialDir\"=\"C:\\\\dir \\\"quoted\\\" \xe9\""), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Count\"=dword:00000010"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Colour\"=\"blue\""), std::string::npos) << text;

    SettingsStore again(file.toStdString());
    ASSERT_TRUE(again.OpenKeyReadOnly(kKey));
    EXPECT_EQ(again.ReadString("InitialDir"), odd);
    EXPECT_EQ(again.ReadString("Colour"), "blue");
}

TEST(SettingsStore, ValueOfAnotherTypeIsAnError)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + "/settings.reg";
    Spit(file, "[\\SoftWare\\Brolleck\\]\n\"InitialDir\"=dword:00000010\n");
    SettingsStore store(file.toStdString());
    ASSERT_TRUE(store.OpenKeyReadOnly(kKey));
    try {
        store.ReadString("InitialDir");
        FAIL() << "no error";
    }
    catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'InitialDir'");
    }
}

TEST(SettingsStore, UnwritableLocationFailsWithTheStoreText)
{
    QTemporaryDir tmp;
    Spit(tmp.path() + "/plainfile", "x");
    // A folder that can't exist: its parent is a regular file.
    SettingsStore store((tmp.path() + "/plainfile/trevandel/settings.reg").toStdString());
    ASSERT_TRUE(store.OpenKey(kKey, true));
    try {
        store.WriteString("InitialDir", "/x");
        FAIL() << "no error";
    }
    catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'InitialDir'");
    }
    EXPECT_FALSE(store.OpenKeyReadOnly(kKey));
    EXPECT_FALSE(store.OpenKey(kKey, false)) << "without create, a missing key does not open";
}

} // namespace
} // namespace trv
