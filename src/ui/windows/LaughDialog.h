#pragma once

#include "ui/widgets/XorShape.h"
#include "ui/windows/ModalResult.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace trv {

// The Laugh window: a picture, two name labels and two "X-ray" rectangles switched by a
// check box. Each "Laugh!" builds a fresh one, so it always opens with "X-Ray" checked.
class LaughDialog : public QDialog, public ModalResult {
    Q_OBJECT

  public:
    explicit LaughDialog(QWidget* parent = nullptr);

    // Controls in painting order: later ones are drawn over earlier ones.
    QLabel* pictureLabel() const { return pictureLabel_; }
    QLabel* firstNameLabel() const { return firstNameLabel_; }
    QLabel* secondNameLabel() const { return secondNameLabel_; }
    XorShape* leftShape() const { return leftShape_; }
    XorShape* rightShape() const { return rightShape_; }
    QPushButton* closeButton() const { return closeButton_; }
    QCheckBox* xRayBox() const { return xRayBox_; }

    // The decoded picture shown by pictureLabel_.
    const QImage& Picture() const { return picture; }

  public Q_SLOTS:
    void OnXRayToggled();
    // Escape ends the window like "Close": result 2.
    void reject() override;

  private:
    QImage picture;

  private:
    // Controls
    QLabel* pictureLabel_ = nullptr;
    QLabel* firstNameLabel_ = nullptr;
    QLabel* secondNameLabel_ = nullptr;
    XorShape* leftShape_ = nullptr;
    XorShape* rightShape_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QCheckBox* xRayBox_ = nullptr;
};

} // namespace trv
