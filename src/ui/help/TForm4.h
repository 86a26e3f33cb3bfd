#pragma once

#include "ui/ModalResult.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace trv {

// A rectangle drawn in XOR mode over whatever lies beneath it: its white fill turns the
// pixels inside the outline into their negative, its black one-pixel outline leaves the
// pixels under it unchanged. It holds no pixels of its own, so each repaint starts from the
// freshly painted widgets below and never inverts an area twice.
class XorShape : public QWidget {
    Q_OBJECT

  public:
    explicit XorShape(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// The Laugh window: a picture, two name labels and two "X-ray" rectangles switched by a
// check box. Each "Laugh!" builds a fresh one, so it always opens with "X-Ray" checked.
class TForm4 : public QDialog, public ModalResult {
    Q_OBJECT

  public:
    explicit TForm4(QWidget* parent = nullptr);

    // Controls in painting order: later ones are drawn over earlier ones.
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    XorShape* Shape1;
    XorShape* Shape2;
    QPushButton* Button1;
    QCheckBox* CheckBox1;

    // The decoded picture shown by Image1.
    const QImage& Picture() const { return picture; }

  public Q_SLOTS:
    void CheckBox1Click();
    // Escape ends the window like "Close": result 2.
    void reject() override;

  private:
    QImage picture;
};

} // namespace trv
