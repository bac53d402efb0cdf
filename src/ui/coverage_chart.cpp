#include "ui/coverage_chart.h"

#include <QPainter>

namespace zelmora {

coverage_chart_widget::coverage_chart_widget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void coverage_chart_widget::set_table(const comparison_table& table) {
    table_ = table;
    update();
}

void coverage_chart_widget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint_coverage_chart(painter, QRectF(rect()), table_);
}

}  // namespace zelmora
