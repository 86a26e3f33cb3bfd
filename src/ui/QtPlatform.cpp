#include "ui/QtPlatform.h"

#include "platform/AppError.h"
#include "ui/NameOnlyIconProvider.h"
#include "ui/PrintLayout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QUrl>
#include <QWidget>

namespace trv {

namespace {

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

QString AppTitle()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Trevandel") : name;
}

// A native dialog that then fails to come up is replaced by Qt's own dialog while it is
// being shown, with Qt's type-guessing icon provider: ours is put back before it appears.
class OwnDialogIcons : public QObject {
  public:
    OwnDialogIcons(QFileDialog& dialog, QAbstractFileIconProvider& icons)
        : dialog_(dialog), icons_(icons)
    {
        dialog.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == &dialog_ && e->type() == QEvent::Show && dialog_.iconProvider() &&
            dialog_.iconProvider() != &icons_)
            dialog_.setIconProvider(&icons_);
        return false;
    }

  private:
    QFileDialog& dialog_;
    QAbstractFileIconProvider& icons_;
};

} // namespace

QStringList QtPlatform::QtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString patterns = parts[i + 1];
        QStringList qtPatterns = patterns.split(';', Qt::SkipEmptyParts);
        // "*.*" would hide files without an extension here.
        for (QString& p : qtPatterns)
            if (p.trimmed() == "*.*") p = "*";
        const QString inParens = "(" + patterns + ")";
        if (name.endsWith(inParens)) name.chop(inParens.size());
        out << name.trimmed() + " (" + qtPatterns.join(' ') + ")";
    }
    return out;
}

std::optional<FileDialogResult> QtPlatform::RunFileDialog(const FileDialogRequest& request,
                                                          bool save)
{
    // Declared first, so it outlives the dialog's file model. Set before the event loop runs:
    // the model asks it about every entry of the folder shown.
    NameOnlyIconProvider icons;
    // The desktop's own dialog where the platform theme offers one (Qt decides this when the
    // dialog is made), Qt's own dialog otherwise. The icon provider only reaches Qt's own.
    QFileDialog dialog(DialogParent(), request.title);
    dialog.setIconProvider(&icons);
    OwnDialogIcons keepIcons(dialog, icons);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A name that does not exist may be typed; opening it then reports "File not found".
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.overwritePrompt));
    dialog.setDirectory(QDir::currentPath());
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (request.filterIndex > 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
    if (!request.resizable) dialog.setSizeGripEnabled(false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    FileDialogResult result;
    result.path = dialog.selectedFiles().constFirst();
    result.filterIndex = std::max<int>(1, filters.indexOf(dialog.selectedNameFilter()) + 1);
    QDir::setCurrent(QFileInfo(result.path).absolutePath());
    return result;
}

std::optional<FileDialogResult> QtPlatform::OpenFileDialog(const FileDialogRequest& request)
{
    return RunFileDialog(request, false);
}

std::optional<FileDialogResult> QtPlatform::SaveFileDialog(const FileDialogRequest& request)
{
    return RunFileDialog(request, true);
}

void QtPlatform::MessageBox(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Ok, DialogParent());
    box.exec();
}

void QtPlatform::ErrorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, AppTitle(), text, QMessageBox::Ok, DialogParent());
    box.exec();
}

bool QtPlatform::Question(const QString& text)
{
    QMessageBox box(QMessageBox::Question, AppTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    DialogParent());
    // What the user asked for is the likely answer; Escape still declines.
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPlatform::InputBox(const QString& caption, const QString& prompt,
                                            const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(DialogParent(), caption, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

void QtPlatform::ShellOpen(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void QtPlatform::PrintWidget(QWidget* widget)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw AppError("There is no default printer currently selected");
    QPrinter printer(info, QPrinter::HighResolution);
    // Same size on paper as on the screen where that fits; a maximised preview is shrunk onto
    // the page instead of running off it.
    const int dpi = printer.resolution();
    QPageLayout page = printer.pageLayout();
    page.setOrientation(QPageLayout::Portrait);
    const QSizeF portrait = page.paintRectPixels(dpi).size();
    page.setOrientation(QPageLayout::Landscape);
    const QSizeF landscape = page.paintRectPixels(dpi).size();
    const PrintLayout layout =
        LayoutPrintPage(widget->size(), widget->logicalDpiX(), dpi, portrait, landscape);
    printer.setPageOrientation(layout.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer)) throw AppError("Printing failed");
    painter.scale(layout.Scale, layout.Scale);
    widget->render(&painter);
    painter.end();
}

void QtPlatform::ProcessEvents()
{
    QApplication::processEvents();
}

} // namespace trv
