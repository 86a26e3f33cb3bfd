#pragma once

#include <QAbstractFileIconProvider>
#include <QIcon>

namespace trv {

// Icons and type names for the file dialogs, decided from the name and the file system's
// entry alone. Qt's own provider guesses a type from a file's first bytes, and reading those
// blocks for ever on some files (/proc/kmsg, a FIFO without a writer): the dialog would hang
// in such a folder. Built in the GUI thread; afterwards it only reads.
class NameOnlyIconProvider : public QAbstractFileIconProvider {
  public:
    NameOnlyIconProvider();

    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

  private:
    QIcon computer_, desktop_, trash_, network_, drive_, folder_, file_;
};

} // namespace trv
