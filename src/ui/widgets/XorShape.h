#pragma once

#include <QWidget>

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

} // namespace trv
