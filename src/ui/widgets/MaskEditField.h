#pragma once

#include "exp/MaskedField.h"

#include <QLineEdit>

#include <string>
#include <string_view>

namespace trv {

// A one-line field governed by an edit mask. Its value is the header model's text: always at
// the mask's full width, unfilled positions reading as spaces and shown as '_'. Typing is
// accepted by position class, literals stay fixed, and assigned texts go through the fit rule.
// Qt's own input masks can't be used: their mask letters differ and they can't hold a text
// longer than the mask, which a change of mask may produce.
class MaskEditField : public QLineEdit {
    Q_OBJECT
  public:
    MaskEditField(std::string_view mask, std::string_view initialText, QWidget* parent = nullptr);

    const MaskedField& Model() const { return model_; }
    const std::string& Value() const { return model_.Text(); }
    const EditMask& Mask() const { return model_.Mask(); }
    // Assigns a text through the fit rule.
    void SetValue(std::string_view text);
    // Changes the mask and re-flows the characters into it.
    void SetMask(std::string_view mask);
    void SetModel(const MaskedField& model);

    // The text as shown: unfilled positions as '_'.
    static QString DisplayText(const MaskedField& model);

    // The standard edit operations, working on the model rather than on the shown text.
    bool CanUndo() const { return canUndo_; }
    void CopySelection() const;
    void CutSelection();
    void PasteClipboard();
    void DeleteSelection();
    void UndoLastChange();
    void SelectWholeText() { selectAll(); }

  Q_SIGNALS:
    // The user changed the value (typing, deleting, pasting, undo).
    void ValueEdited();

  protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    bool IsLiteralAt(int pos) const;
    void TypeText(const QString& text);
    bool TypeChar(char c, std::string& text, int& cursor) const;
    void ClearRange(std::string& text, int from, int to) const;
    void ApplyEdit(std::string text, int cursor);
    void Refresh(int cursor);

    MaskedField model_;
    std::string undoText_;
    bool canUndo_ = false;
};

} // namespace trv
