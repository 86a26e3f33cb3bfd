#pragma once

#include "ScriptedPlatform.h"
#include "ui/windows/MainWindow.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace trv::test {

// Bytes of a PCA2 file of `size` bytes (512 channels up to 3000 bytes), counts from `count`,
// both stamps 12:34:56 on 5 Jan 2001.
std::string MakePca2(int size, const std::function<uint32_t(int)>& count);
// Bytes of a PCA3 file: marker in the header, stamps at 386 and 399, counts from 450.
std::string MakePca3(int channels, const std::function<uint32_t(int)>& count,
                     const std::string& stamp1, const std::string& stamp2);

std::string ReadBytes(const QString& path);
void WriteBytes(const QString& path, const std::string& bytes);

// Every test gets its own configuration folder and working folder, and the window is started
// with fixed locale formats and the scripted platform.
class UiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A program start: a new main window with the default settings store.
    MainWindow& Start();
    // The program ends: the window is destroyed.
    void Stop() { form_.reset(); }
    MainWindow& Form() { return *form_; }

    QString Work(const QString& name = QString()) const
    {
        return tmp_.path() + "/work" + (name.isEmpty() ? "" : "/" + name);
    }
    QString SettingsFile() const { return tmp_.path() + "/config/trevandel/settings.reg"; }
    // Writes an SPM file into the working folder and returns its full path.
    QString WriteSpm(const QString& name, const std::string& bytes)
    {
        WriteBytes(Work(name), bytes);
        return Work(name);
    }
    // Opens through the "Open spm" action with a scripted answer.
    void OpenViaDialog(const QString& path)
    {
        platform_.QueueOpen(path);
        form_->openAction()->trigger();
    }
    // What the user does when choosing an item of the save-as mode list.
    void ChooseSaveAsMode(int item);
    // Shows the window and makes it the active one, so focus and shortcuts work.
    void ShowActive();

    ScriptedPlatform platform_;
    QTemporaryDir tmp_;
    QString oldCwd_;
    std::unique_ptr<MainWindow> form_;
};

inline std::string Str(const QString& s)
{
    return s.toStdString();
}

} // namespace trv::test
