#pragma once

#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace trv {

// A pair of arrow buttons bound to a text field. The field's text stays free; the position is
// the number in the field when it lies within the range, otherwise the last valid position.
// Setting the position announces the change first, then clamps it and rewrites the field.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);

    void SetAssociate(QLineEdit* edit);
    QLineEdit* Associate() const { return associate_; }
    void SetRange(int min, int max);
    int Min() const { return min_; }
    int Max() const { return max_; }

    int Position() const;
    void SetPosition(int position);
    // What an arrow click does: one step from the current position, kept within the range.
    void Step(int delta);

  Q_SIGNALS:
    // Raised before the position changes, while Position() still reads the old value.
    void Changing();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    QLineEdit* associate_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int min_ = 0;
    int max_ = 100;
    mutable int position_ = 0;
};

// An integer field with arrows beside it: a plain QLineEdit (named like the field) and an
// UpDown (named like the arrows) in one row.
class IntEditField : public QWidget {
    Q_OBJECT
  public:
    IntEditField(const QString& editName, const QString& upDownName, int min, int max, int initial,
                 QWidget* parent = nullptr);

    QLineEdit* Edit() const { return edit_; }
    UpDown* Arrows() const { return arrows_; }

  private:
    QLineEdit* edit_;
    UpDown* arrows_;
};

} // namespace trv
