#pragma once
// The coverage chart in a window: a widget that paints one comparison table
// with the quote's chart painter (the same picture as on the printed quote).
#include <QWidget>

#include "quote/coverage_chart.h"
#include "rating/coverage_comparison.h"

namespace zelmora {

class coverage_chart_widget : public QWidget {
    Q_OBJECT
public:
    explicit coverage_chart_widget(QWidget* parent = nullptr);
    void set_table(const comparison_table& table);
    const comparison_table& table() const { return table_; }
    QSize sizeHint() const override { return {520, 300}; }
    QSize minimumSizeHint() const override { return {260, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    comparison_table table_;
};

}  // namespace zelmora
