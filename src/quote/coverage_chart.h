#pragma once
// The coverage chart: producer premium per acre against coverage level, one
// series per unit structure offered, with legend and axis titles. Drawn with
// QPainter only, so the window, the offscreen tests and the printed quote show
// the same picture.
#include <QImage>
#include <QPainter>
#include <QRectF>

#include "rating/coverage_comparison.h"

namespace zelmora {

void paint_coverage_chart(QPainter& painter, const QRectF& area, const comparison_table& table);

// The chart as an image of `size` pixels at `scale` times the painted size (for documents).
QImage coverage_chart_image(const comparison_table& table, QSize size, qreal scale = 2.0);

}  // namespace zelmora
