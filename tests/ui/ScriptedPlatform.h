#pragma once

#include "platform/Platform.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace trv::test {

// A Platform that answers from queues and records what the window showed. Asking a dialog
// with nothing queued fails the test; so does an answer left over at the end (Verify).
class ScriptedPlatform : public Platform {
  public:
    // A chosen path makes its folder current, as the real dialogs do; nothing means Cancel.
    void QueueOpen(std::optional<QString> path, int filterIndex = 1)
    {
        openAnswers_.push_back(Result(path, filterIndex));
    }
    void QueueSave(std::optional<QString> path, int filterIndex = 1)
    {
        saveAnswers_.push_back(Result(path, filterIndex));
    }
    void QueueInput(std::optional<QString> text) { inputAnswers_.push_back(text); }
    void Verify();

    std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override
    {
        openRequests.push_back(request);
        return Answer(openAnswers_, "file-open");
    }
    std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override
    {
        saveRequests.push_back(request);
        return Answer(saveAnswers_, "file-save");
    }
    void MessageBox(const QString& text) override { messages << text; }
    void ErrorBox(const QString& text) override { errors << text; }
    std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    void ShellOpen(const QString& path) override { shellOpened << path; }
    // Without a printer it fails as the real one does; onPrint sees the widget first.
    void PrintWidget(QWidget* widget) override;
    void ProcessEvents() override { ++processEventsCalls; }

    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    QStringList messages;
    QStringList errors;
    QStringList shellOpened;
    QStringList inputPrompts;
    int printed = 0;
    bool hasPrinter = true;
    std::function<void(QWidget*)> onPrint;
    int processEventsCalls = 0;

  private:
    static std::optional<FileDialogResult> Result(const std::optional<QString>& path, int filter)
    {
        return path ? std::optional(FileDialogResult{*path, filter}) : std::nullopt;
    }
    std::optional<FileDialogResult> Answer(std::deque<std::optional<FileDialogResult>>& queue,
                                           const char* kind);

    std::deque<std::optional<FileDialogResult>> openAnswers_;
    std::deque<std::optional<FileDialogResult>> saveAnswers_;
    std::deque<std::optional<QString>> inputAnswers_;
};

} // namespace trv::test
