#pragma once

#include "platform/Platform.h"

#include <QStringList>

namespace trv {

// The real Platform: the desktop's file dialogs (Qt's own where it has none), message boxes,
// input box, the desktop's "open" and the default printer.
class QtPlatform : public Platform {
  public:
    std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override;
    void MessageBox(const QString& text) override;
    void ErrorBox(const QString& text) override;
    bool Question(const QString& text) override;
    std::optional<QString> InputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    void ShellOpen(const QString& path) override;
    void PrintWidget(QWidget* widget) override;
    void ProcessEvents() override;

    // "Spm-files (*.spm)|*.spm" -> {"Spm-files (*.spm)"}, in the form Qt's dialogs want.
    static QStringList QtNameFilters(const QString& filter);

  private:
    std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request, bool save);
};

} // namespace trv
