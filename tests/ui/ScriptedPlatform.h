#pragma once

#include "platform/Platform.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace trv::test {

// A Platform that answers from queues and records what the window showed. A dialog asked
// with nothing queued fails the test; so does an answer left over at the end (Verify).
class ScriptedPlatform : public Platform {
  public:
    // A chosen path makes its folder current, as the real dialogs do; nothing means Cancel.
    void QueueOpen(const std::optional<QString>& path, int filterIndex = 1)
    {
        open_.push_back({path.value_or(QString()), filterIndex});
    }
    void QueueSave(const std::optional<QString>& path, int filterIndex = 1)
    {
        save_.push_back({path.value_or(QString()), filterIndex});
    }
    void QueueInput(const std::optional<QString>& text)
    {
        input_.emplace_back(text.has_value(), text.value_or(QString()));
    }
    // Yes (true) or No for the next question box.
    void QueueQuestion(bool yes) { question_.push_back(yes); }
    void Verify();

    std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override
    {
        openRequests.push_back(request);
        return Answer(open_, "file-open dialog");
    }
    std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override
    {
        saveRequests.push_back(request);
        return Answer(save_, "file-save dialog");
    }
    void MessageBox(const QString& text) override { messages << text; }
    void ErrorBox(const QString& text) override { errors << text; }
    bool Question(const QString& text) override;
    std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    void ShellOpen(const QString& path) override { shellOpened << path; }
    // Without a printer it fails as the real one does; onPrint sees the widget first.
    void PrintWidget(QWidget* widget) override;
    // Where a reaction gives way to other events.
    void ProcessEvents() override {}

    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    QStringList messages;
    QStringList errors;
    QStringList shellOpened;
    QStringList inputPrompts;
    QStringList questions;
    int printed = 0;
    bool hasPrinter = true;
    std::function<void(QWidget*)> onPrint;

  private:
    std::optional<FileDialogResult> Answer(std::deque<FileDialogResult>& queue, const char* kind);
    // The next answer of a queue; an empty queue fails the test and gives `none`.
    template <class T> static T Next(std::deque<T>& queue, const char* kind, T none);

    std::deque<FileDialogResult> open_, save_;   // an empty path cancels
    std::deque<std::pair<bool, QString>> input_; // false cancels
    std::deque<bool> question_;                  // true answers Yes
};

} // namespace trv::test
