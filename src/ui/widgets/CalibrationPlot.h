#pragma once

#include "calibration/VelocityFit.h"

#include <QWidget>

#include <vector>

namespace trv {

// Draws the folded reference spectrum with the fitted curve over it, the line positions, and
// the residuals in a strip below.
class CalibrationPlot : public QWidget {
  public:
    explicit CalibrationPlot(QWidget* parent = nullptr);
    void SetData(FoldedSpectrum folded, std::vector<double> lineVelocities);
    void Clear();
    QSize sizeHint() const override { return {560, 420}; }

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    FoldedSpectrum folded_;
    std::vector<double> lines_;
};

} // namespace trv
