#include "ui/widgets/MaskEditField.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace trv {

MaskEditField::MaskEditField(std::string_view mask, std::string_view initialText, QWidget* parent)
    : QLineEdit(parent), model_(mask, "")
{
    model_.SetRawText(std::string(initialText));
    setDragEnabled(false);
    setAcceptDrops(false);
    Refresh(0);
}

QString MaskEditField::DisplayText(const MaskedField& model)
{
    std::string shown = model.Text();
    const int width = model.Mask().Width();
    for (int i = 0; i < static_cast<int>(shown.size()) && i < width; ++i)
        if (!model.Mask().IsLiteral(i) && shown[i] == ' ') shown[i] = '_';
    return QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size()));
}

void MaskEditField::SetValue(std::string_view text)
{
    model_.Assign(text);
    canUndo_ = false;
    Refresh(0);
}

void MaskEditField::SetMask(std::string_view mask)
{
    model_.SetMask(EditMask(mask));
    canUndo_ = false;
    Refresh(0);
}

void MaskEditField::SetModel(const MaskedField& model)
{
    model_ = model;
    canUndo_ = false;
    Refresh(0);
}

bool MaskEditField::IsLiteralAt(int pos) const
{
    return pos < model_.Mask().Width() && model_.Mask().IsLiteral(pos);
}

void MaskEditField::Refresh(int cursor)
{
    const QString shown = DisplayText(model_);
    if (text() != shown) setText(shown);
    setCursorPosition(std::clamp(cursor, 0, static_cast<int>(shown.size())));
}

void MaskEditField::ApplyEdit(std::string text, int cursor)
{
    if (text != model_.Text()) {
        undoText_ = model_.Text();
        canUndo_ = true;
        model_.SetRawText(std::move(text));
        Refresh(cursor);
        Q_EMIT ValueEdited();
    }
    else {
        deselect();
        setCursorPosition(cursor);
    }
}

// Unfilled positions become blanks; characters a re-flow left beyond the mask are removed.
void MaskEditField::ClearRange(std::string& text, int from, int to) const
{
    const int width = model_.Mask().Width();
    to = std::min(to, static_cast<int>(text.size()));
    if (to > width) {
        const int cut = std::max(from, width);
        text.erase(static_cast<std::size_t>(cut), static_cast<std::size_t>(to - cut));
        to = cut;
    }
    for (int i = from; i < to; ++i)
        if (!IsLiteralAt(i)) text[static_cast<std::size_t>(i)] = ' ';
}

bool MaskEditField::TypeChar(char c, std::string& text, int& cursor) const
{
    const int width = std::min(model_.Mask().Width(), static_cast<int>(text.size()));
    // The literal that stands at the cursor, typed, is stepped over: what the user types is
    // what the field holds ("HB2002" into H + letter + four digits).
    if (cursor < width && IsLiteralAt(cursor) &&
        model_.Mask().Text()[static_cast<std::size_t>(cursor)] == c) {
        ++cursor;
        return true;
    }
    int pos = cursor;
    while (pos < width && IsLiteralAt(pos))
        ++pos;
    if (pos >= width || !model_.Mask().Accepts(pos, c)) {
        // Typing the next literal jumps over it, so "12.5" can be typed into "000.00".
        for (int q = cursor; q < width; ++q) {
            if (IsLiteralAt(q) && model_.Mask().Text()[static_cast<std::size_t>(q)] == c) {
                cursor = q + 1;
                return true;
            }
        }
        return false;
    }
    text[static_cast<std::size_t>(pos)] = c;
    cursor = pos + 1;
    while (cursor < width && IsLiteralAt(cursor))
        ++cursor;
    return true;
}

void MaskEditField::TypeText(const QString& typed)
{
    std::string text = model_.Text();
    int cursor = cursorPosition();
    if (hasSelectedText()) {
        cursor = selectionStart();
        ClearRange(text, cursor, cursor + selectionLength());
    }
    bool any = false;
    for (QChar qc : typed) {
        const char16_t u = qc.unicode();
        if (u < 0x20 || u > 0xFF) continue;
        any |= TypeChar(static_cast<char>(u), text, cursor);
    }
    if (!any && !hasSelectedText()) return;
    ApplyEdit(std::move(text), cursor);
}

void MaskEditField::CopySelection() const
{
    if (!hasSelectedText()) return;
    const std::string part = model_.Text().substr(static_cast<std::size_t>(selectionStart()),
                                                  static_cast<std::size_t>(selectionLength()));
    QApplication::clipboard()->setText(QString::fromLatin1(part.data(), qsizetype(part.size())));
}

void MaskEditField::CutSelection()
{
    if (!hasSelectedText() || isReadOnly()) return;
    CopySelection();
    DeleteSelection();
}

void MaskEditField::DeleteSelection()
{
    if (!hasSelectedText() || isReadOnly()) return;
    std::string text = model_.Text();
    const int from = selectionStart();
    ClearRange(text, from, from + selectionLength());
    ApplyEdit(std::move(text), from);
}

void MaskEditField::PasteClipboard()
{
    if (isReadOnly()) return;
    const QString clip = QApplication::clipboard()->text();
    if (!clip.isEmpty()) TypeText(clip);
}

void MaskEditField::UndoLastChange()
{
    if (!canUndo_ || isReadOnly()) return;
    // Like the platform's edit controls: undo swaps with the previous text, so a second undo
    // brings the change back.
    std::string previous = undoText_;
    undoText_ = model_.Text();
    model_.SetRawText(std::move(previous));
    Refresh(cursorPosition());
    Q_EMIT ValueEdited();
}

bool MaskEditField::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke == QKeySequence::Copy || ke == QKeySequence::Cut || ke == QKeySequence::Paste ||
            ke == QKeySequence::Undo || ke == QKeySequence::SelectAll ||
            ke->key() == Qt::Key_Delete || ke->key() == Qt::Key_Backspace) {
            if (!(ke->key() == Qt::Key_Backspace && (ke->modifiers() & Qt::AltModifier))) {
                e->accept();
                return true;
            }
        }
    }
    return QLineEdit::event(e);
}

void MaskEditField::keyPressEvent(QKeyEvent* e)
{
    if (e == QKeySequence::Copy) return CopySelection();
    if (e == QKeySequence::Cut) return CutSelection();
    if (e == QKeySequence::Paste) return PasteClipboard();
    if (e == QKeySequence::Undo) return UndoLastChange();
    if (e == QKeySequence::SelectAll) return selectAll();
    const auto mods = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QLineEdit::keyPressEvent(e); // cursor movement and selection only
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Delete: {
        if (isReadOnly() || mods != Qt::NoModifier) break;
        if (hasSelectedText()) return DeleteSelection();
        std::string text = model_.Text();
        int pos = cursorPosition();
        if (e->key() == Qt::Key_Backspace) {
            do
                --pos;
            while (pos >= 0 && IsLiteralAt(pos));
            if (pos < 0) return;
            ClearRange(text, pos, pos + 1);
            return ApplyEdit(std::move(text), pos);
        }
        const int start = pos;
        while (pos < static_cast<int>(text.size()) && IsLiteralAt(pos))
            ++pos;
        if (pos >= static_cast<int>(text.size())) return;
        ClearRange(text, pos, pos + 1);
        return ApplyEdit(std::move(text), start);
    }
    default:
        if (!isReadOnly() && mods == Qt::NoModifier && !e->text().isEmpty() &&
            e->text().at(0).isPrint()) {
            TypeText(e->text());
            return;
        }
        break;
    }
    e->ignore();
}

void MaskEditField::inputMethodEvent(QInputMethodEvent* e)
{
    if (!isReadOnly() && !e->commitString().isEmpty()) TypeText(e->commitString());
    e->accept();
}

void MaskEditField::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    const bool sel = hasSelectedText();
    menu.addAction(tr("&Undo"), this, &MaskEditField::UndoLastChange)->setEnabled(canUndo_);
    menu.addSeparator();
    menu.addAction(tr("Cu&t"), this, &MaskEditField::CutSelection)->setEnabled(sel);
    menu.addAction(tr("&Copy"), this, &MaskEditField::CopySelection)->setEnabled(sel);
    menu.addAction(tr("&Paste"), this, &MaskEditField::PasteClipboard)
        ->setEnabled(!QApplication::clipboard()->text().isEmpty());
    menu.addAction(tr("&Delete"), this, &MaskEditField::DeleteSelection)->setEnabled(sel);
    menu.addSeparator();
    menu.addAction(tr("Select &All"), this, &MaskEditField::SelectWholeText);
    menu.exec(e->globalPos());
}

// The middle button would paste the X selection past the mask rules.
void MaskEditField::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::MiddleButton) return e->accept();
    QLineEdit::mousePressEvent(e);
}

void MaskEditField::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::MiddleButton) return e->accept();
    QLineEdit::mouseReleaseEvent(e);
}

} // namespace trv
