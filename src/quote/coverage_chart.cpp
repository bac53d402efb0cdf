#include "quote/coverage_chart.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace zelmora {

namespace {

// One colour and one marker per unit structure, readable in grey print too.
struct series_style {
    QColor colour;
    Qt::PenStyle line;
};
constexpr std::array<unit_structure, unit_structure_count> structures = {
    unit_structure::units_as_entered, unit_structure::enterprise_unit, unit_structure::whole_farm_unit};
const series_style& style_of(unit_structure s) {
    static const std::array<series_style, unit_structure_count> styles = {
        series_style{QColor(31, 91, 168), Qt::SolidLine}, series_style{QColor(200, 100, 20), Qt::DashLine},
        series_style{QColor(40, 140, 60), Qt::DotLine}};
    return styles[static_cast<std::size_t>(s)];
}

void draw_marker(QPainter& painter, unit_structure s, QPointF at, qreal size) {
    const QRectF box(at.x() - size / 2, at.y() - size / 2, size, size);
    switch (s) {
    case unit_structure::units_as_entered:
        painter.drawEllipse(box);
        break;
    case unit_structure::enterprise_unit:
        painter.drawRect(box);
        break;
    case unit_structure::whole_farm_unit: {
        QPainterPath triangle;
        triangle.moveTo(at.x(), box.top());
        triangle.lineTo(box.right(), box.bottom());
        triangle.lineTo(box.left(), box.bottom());
        triangle.closeSubpath();
        painter.drawPath(triangle);
        break;
    }
    }
}

// A round step for the value axis: 1, 2 or 5 times a power of ten, about five steps to the top.
double nice_step(double top) {
    if (top <= 0.0) return 1.0;
    const double raw = top / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power) return m * power;
    return 10.0 * power;
}

}  // namespace

void paint_coverage_chart(QPainter& painter, const QRectF& area, const comparison_table& table) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, Qt::white);
    std::vector<unit_structure> shown;
    for (const unit_structure s : structures)
        if (table.offers(s)) shown.push_back(s);

    // The title above and the legend below, one line each: the type shrinks (down
    // to 6 points) until both fit the width, and a title still too wide loses its
    // words after the table's name, which the axis titles repeat.
    QString title = QString::fromStdString(comparison_title(table)) +
                    QStringLiteral(": producer premium per acre by coverage level");
    QFont font = painter.font();
    QFont bold = font;
    bold.setBold(true);
    qreal size = std::max(6.0, std::min(9.0, area.height() / 28.0));
    auto legend_width_at = [&](const QFontMetricsF& m) {
        qreal width = 0.0;
        for (const unit_structure s : shown)
            width += m.height() * 3.2 + m.horizontalAdvance(QString::fromLatin1(unit_structure_name(s)));
        return width;
    };
    for (;; size -= 0.5) {
        font.setPointSizeF(size);
        bold.setPointSizeF(size);
        const QFontMetricsF m(font, painter.device());
        const QFontMetricsF mb(bold, painter.device());
        const bool fits = legend_width_at(m) <= area.width() && mb.horizontalAdvance(title) <= area.width();
        if (fits || size <= 6.0) break;
    }
    if (QFontMetricsF(bold, painter.device()).horizontalAdvance(title) > area.width())
        title = QString::fromStdString(comparison_title(table));
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const qreal line = metrics.height();
    double top = 0.0;
    for (const comparison_row& row : table.rows)
        for (const comparison_cell& cell : row.cells)
            if (cell.offered) top = std::max(top, cell.producer_premium_per_acre.to_double());
    const double step = nice_step(top);
    const double axis_top = std::max(step, std::ceil(top / step) * step);

    // Title above, the legend below, the value axis's title on the left.
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top() + line * 0.2, area.width(), line), Qt::AlignCenter, title);
    painter.setFont(font);

    QString widest_label;
    for (double v = 0.0; v <= axis_top + step / 2; v += step) {
        const QString label = QStringLiteral("$") + QString::number(v, 'f', step < 1.0 ? 2 : 0);
        if (label.size() > widest_label.size()) widest_label = label;
    }
    const qreal left = area.left() + line * 1.6 + metrics.horizontalAdvance(widest_label) + line * 0.4;
    const qreal right = area.right() - line;
    const qreal plot_top = area.top() + line * 1.8;
    const qreal legend_height = line * 1.4;
    const qreal bottom = area.bottom() - legend_height - line * 2.4;
    if (right - left < 40 || bottom - plot_top < 30) {
        painter.restore();
        return;
    }
    const QRectF plot(QPointF(left, plot_top), QPointF(right, bottom));

    // Grid and value labels.
    painter.setPen(QPen(QColor(210, 210, 210), 0));
    for (double v = 0.0; v <= axis_top + step / 2; v += step) {
        const qreal y = plot.bottom() - plot.height() * (v / axis_top);
        painter.setPen(QPen(QColor(215, 215, 215), 0));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        const QString label = QStringLiteral("$") + QString::number(v, 'f', step < 1.0 ? 2 : 0);
        painter.drawText(QRectF(area.left(), y - line / 2, left - area.left() - line * 0.4, line),
                         Qt::AlignRight | Qt::AlignVCenter, label);
    }
    // Levels along the bottom.
    const int first = comparison_levels.front();
    const int last = comparison_levels.back();
    auto x_of = [&](int level) { return plot.left() + plot.width() * (level - first) / double(last - first); };
    auto y_of = [&](double v) { return plot.bottom() - plot.height() * (v / axis_top); };
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    for (const int level : comparison_levels) {
        const qreal x = x_of(level);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + line * 0.25));
        painter.drawText(QRectF(x - line * 2, plot.bottom() + line * 0.3, line * 4, line), Qt::AlignCenter,
                         QString::number(level) + QStringLiteral("%"));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + line * 1.3, plot.width(), line), Qt::AlignCenter,
                     QStringLiteral("Coverage level"));
    painter.save();
    painter.translate(area.left() + line * 0.2, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, 0, plot.height(), line), Qt::AlignCenter,
                     QStringLiteral("Producer premium per acre"));
    painter.restore();

    // The series.
    const qreal marker = std::max(4.0, line * 0.45);
    for (const unit_structure s : shown) {
        const series_style& style = style_of(s);
        QPen pen(style.colour, std::max(1.5, line * 0.13), style.line);
        pen.setCapStyle(Qt::RoundCap);
        QPolygonF points;
        for (const comparison_row& row : table.rows) {
            const comparison_cell& cell = row.cell(s);
            if (cell.offered) points << QPointF(x_of(row.coverage_level), y_of(cell.producer_premium_per_acre.to_double()));
        }
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(points);
        painter.setPen(QPen(style.colour, 1));
        painter.setBrush(style.colour);
        for (const QPointF& p : points) draw_marker(painter, s, p, marker);
    }

    // The legend: one entry per series, centred under the plot.
    qreal legend_width = 0.0;
    for (const unit_structure s : shown)
        legend_width += line * 2.2 + metrics.horizontalAdvance(QString::fromLatin1(unit_structure_name(s))) + line;
    qreal x = area.center().x() - legend_width / 2;
    const qreal y = area.bottom() - legend_height / 2 - line * 0.2;
    for (const unit_structure s : shown) {
        const series_style& style = style_of(s);
        painter.setPen(QPen(style.colour, std::max(1.5, line * 0.13), style.line));
        painter.drawLine(QPointF(x, y), QPointF(x + line * 1.6, y));
        painter.setPen(QPen(style.colour, 1));
        painter.setBrush(style.colour);
        draw_marker(painter, s, QPointF(x + line * 0.8, y), marker);
        painter.setPen(Qt::black);
        const QString name = QString::fromLatin1(unit_structure_name(s));
        painter.drawText(QRectF(x + line * 2.0, y - line / 2, metrics.horizontalAdvance(name) + 2, line),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        x += line * 2.2 + metrics.horizontalAdvance(name) + line;
    }
    painter.restore();
}

QImage coverage_chart_image(const comparison_table& table, QSize size, qreal scale) {
    QImage image(size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint_coverage_chart(painter, QRectF(QPointF(0, 0), QSizeF(size)), table);
    return image;
}

}  // namespace zelmora
