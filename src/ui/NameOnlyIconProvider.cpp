#include "ui/NameOnlyIconProvider.h"

#include <QApplication>
#include <QDir>
#include <QMimeDatabase>
#include <QStyle>

namespace trv {

namespace {

bool IsRoot(const QFileInfo& info)
{
    return QDir(info.absoluteFilePath()).isRoot();
}

} // namespace

NameOnlyIconProvider::NameOnlyIconProvider()
{
    const QStyle* style = QApplication::style();
    computer_ = style->standardIcon(QStyle::SP_ComputerIcon);
    desktop_ = style->standardIcon(QStyle::SP_DesktopIcon);
    trash_ = style->standardIcon(QStyle::SP_TrashIcon);
    network_ = style->standardIcon(QStyle::SP_DriveNetIcon);
    drive_ = style->standardIcon(QStyle::SP_DriveHDIcon);
    folder_ = style->standardIcon(QStyle::SP_DirIcon);
    file_ = style->standardIcon(QStyle::SP_FileIcon);
}

QIcon NameOnlyIconProvider::icon(IconType type) const
{
    switch (type) {
    case Computer:
        return computer_;
    case Desktop:
        return desktop_;
    case Trashcan:
        return trash_;
    case Network:
        return network_;
    case Drive:
        return drive_;
    case Folder:
        return folder_;
    case File:
        break;
    }
    return file_;
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    if (IsRoot(info)) return drive_;
    return info.isDir() ? folder_ : file_;
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (IsRoot(info)) return QApplication::translate("QAbstractFileIconProvider", "Drive");
    if (info.isDir()) return QApplication::translate("QAbstractFileIconProvider", "Folder");
    if (!info.isFile()) {
        if (info.isSymLink())
            return QApplication::translate("QAbstractFileIconProvider", "Shortcut");
        return QApplication::translate("QAbstractFileIconProvider", "Unknown");
    }
    // The name's patterns only: never the file's contents.
    const QMimeDatabase mimes;
    const QList<QMimeType> byName = mimes.mimeTypesForFileName(info.fileName());
    const QMimeType mime =
        byName.isEmpty() ? mimes.mimeTypeForName("application/octet-stream") : byName.first();
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

} // namespace trv
