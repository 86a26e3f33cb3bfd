#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace trv {

// What a file dialog is asked to do. The filter is a list of "Name|patterns" pairs joined by
// '|', e.g. "Exp-files (*.exp)|*.exp|All Files (*.*)|*.*".
struct FileDialogRequest {
    QString title;
    QString filter;
    QString proposedName; // pre-filled file name, empty for none
    bool overwritePrompt = false;
    bool hideReadOnly = false;
    bool resizable = true;
    int filterIndex = 1; // 1-based filter pair selected when the dialog opens
};

struct FileDialogResult {
    QString path;        // full path of the chosen file
    int filterIndex = 1; // 1-based index of the filter pair in force when the user chose
};

// Everything a window needs from the outside world that differs between a real run and a
// test. File dialogs open in the process's current folder, and choosing a file makes its
// folder the current one.
class Platform {
  public:
    virtual ~Platform() = default;

    virtual std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) = 0;
    // A plain message box with an OK button.
    virtual void MessageBox(const QString& text) = 0;
    // The general error report: the error's text with an OK button.
    virtual void ErrorBox(const QString& text) = 0;
    // A question with Yes and No buttons: true for Yes; closing the box (Escape) is No.
    virtual bool Question(const QString& text) = 0;
    // Returns the entered text, or nothing when the user cancelled.
    virtual std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                            const QString& defaultText) = 0;
    // The shell's "open" verb on a file; whether it succeeds is not reported.
    virtual void ShellOpen(const QString& path) = 0;
    // Prints an image of the widget on the default printer; throws AppError when there is none.
    virtual void PrintWidget(QWidget* widget) = 0;
    // Handles the window messages waiting in the queue, repaints included.
    virtual void ProcessEvents() = 0;
};

} // namespace trv
