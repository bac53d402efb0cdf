#include "quote/quote_document.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include "quote/coverage_chart.h"
#include "utility/atomic_file.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

// Layout units: pixels at 96 per inch, scaled to the device when painted.
constexpr qreal layout_dpi = 96.0;
const QSize chart_size(560, 260);
const QString chart_resource = QStringLiteral("quote-chart.png");

QString html_escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

// "1234567.891" -> "1,234,567.891".
QString separated(const exact_decimal& value, int places) {
    return QString::fromStdString(insert_separators(value.to_text(places)));
}

QString dollars(const exact_decimal& value) { return QStringLiteral("$") + separated(value, 0); }
QString cents(const exact_decimal& value) { return QStringLiteral("$") + separated(value, 2); }
QString percent(int level) { return QString::number(level) + QStringLiteral("%"); }

// The bytes as the file, whole or not at all (atomic_file).
bool write_quote_file(const QByteArray& bytes, const QString& path, QString& error) {
    std::string reason;
    if (write_file_atomically(path.toStdString(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                              existing_file::replace, reason))
        return true;
    error = QStringLiteral("cannot write \"%1\": %2").arg(path, QString::fromStdString(reason));
    return false;
}

QString cell(const QString& text, bool number = true) {
    return (number ? QStringLiteral("<td align=\"right\">") : QStringLiteral("<td>")) + text + QStringLiteral("</td>");
}
// A table's heading row, repeated at the top of the next page when the table breaks.
QString heading_row(const QStringList& headings) {
    QString row = QStringLiteral("<thead><tr class=\"head\">");
    for (const QString& h : headings) row += QStringLiteral("<th>") + h + QStringLiteral("</th>");
    return row + QStringLiteral("</tr></thead>");
}

const char* style_sheet =
    "body { font-family: 'DejaVu Sans', sans-serif; font-size: 8pt; color: #000; }"
    "h1 { font-size: 15pt; margin-bottom: 2px; }"
    "h2 { font-size: 11pt; margin-top: 12px; margin-bottom: 3px; color: #1f3f6f; }"
    "h3 { font-size: 9pt; margin-top: 8px; margin-bottom: 2px; }"
    "table.grid { border-collapse: collapse; font-size: 7pt; }"
    "table.grid td, table.grid th { border: 1px solid #b0b0b0; padding: 2px 4px; }"
    "tr.head th { background-color: #e4e9f0; font-weight: bold; }"
    "tr.total td { font-weight: bold; background-color: #f2f2f2; }"
    "tr.cheapest td { background-color: #e6f4e6; }"
    "p.note { font-size: 7pt; color: #444; }"
    "p.banner { font-size: 14pt; font-weight: bold; color: #ffffff; background-color: #c0161b; }";

QString farm_section(const quote_content& q) {
    QString html = QStringLiteral("<h1>Crop Revenue Insurance Quote, Crop Year 2004</h1>");
    html += QStringLiteral("<table cellpadding=\"2\">");
    auto line = [&html](const QString& label, const QString& value) {
        html += QStringLiteral("<tr><td><b>") + label + QStringLiteral("</b></td><td>") + value +
                QStringLiteral("</td></tr>");
    };
    line(QStringLiteral("Farm"), html_escaped(q.farm_name));
    line(QStringLiteral("State"), html_escaped(q.state_name));
    line(QStringLiteral("County"), html_escaped(q.county_name));
    line(QStringLiteral("Date"), html_escaped(q.date_text));
    line(QStringLiteral("Rating database"), html_escaped(q.database_file));
    html += QStringLiteral("</table>");

    // What the farm pays: its units, and the other structures beside them.
    html += QStringLiteral("<h2>Summary</h2><table class=\"grid\" cellspacing=\"0\">");
    html += heading_row({QStringLiteral("Unit structure"), QStringLiteral("Guarantee"), QStringLiteral("Total premium"),
                         QStringLiteral("Subsidy"), QStringLiteral("Producer premium")});
    html += QStringLiteral("<tr class=\"total\">") + cell(QStringLiteral("Farm total of the units as entered"), false) +
            cell(dollars(q.farm_totals.guarantee)) + cell(dollars(q.farm_totals.total_premium)) +
            cell(dollars(q.farm_totals.subsidy)) + cell(dollars(q.farm_totals.producer_premium)) +
            QStringLiteral("</tr>");
    for (const quote_crop& crop : q.crops)
        html += QStringLiteral("<tr>") +
                cell(html_escaped(crop.name) + QStringLiteral(" enterprise unit at ") +
                         percent(crop.enterprise_coverage_level),
                     false) +
                cell(dollars(crop.enterprise_guarantee)) + cell(dollars(crop.enterprise.total_premium)) +
                cell(dollars(crop.enterprise.subsidy)) + cell(dollars(crop.enterprise.producer_premium)) +
                QStringLiteral("</tr>");
    if (q.whole_farm_offered)
        html += QStringLiteral("<tr>") +
                cell(QStringLiteral("Whole-farm unit at ") + percent(q.whole_farm_coverage_level), false) +
                cell(dollars(q.whole_farm_guarantee)) + cell(dollars(q.whole_farm.total_premium)) +
                cell(dollars(q.whole_farm.subsidy)) + cell(dollars(q.whole_farm.producer_premium)) +
                QStringLiteral("</tr>");
    html += QStringLiteral("</table>");
    return html;
}

QString crop_section(const quote_crop& crop) {
    QString html = QStringLiteral("<h2>") + html_escaped(crop.name) + QStringLiteral(" (price ") + cents(crop.price) +
                   QStringLiteral(")</h2>");
    html += QStringLiteral("<table class=\"grid\" cellspacing=\"0\" width=\"100%\">");
    html += heading_row({QStringLiteral("Unit"), QStringLiteral("Type"), QStringLiteral("Practice"),
                         QStringLiteral("Acres"), QStringLiteral("Share"), QStringLiteral("APH<br>yield"),
                         QStringLiteral("Cover-<br>age"), QStringLiteral("Guarantee"),
                         QStringLiteral("Premium<br>per acre"), QStringLiteral("Total<br>premium"),
                         QStringLiteral("Subsidy"), QStringLiteral("Producer<br>premium")});
    for (const quote_unit& u : crop.units) {
        html += QStringLiteral("<tr>") +
                cell(QString::number(u.unit_number) +
                         (u.optional_unit ? QStringLiteral(" (optional)") : QStringLiteral(" (basic)")),
                     false) +
                cell(html_escaped(u.type_name), false) + cell(html_escaped(u.practice_name), false) +
                cell(separated(u.acres, 1)) + cell(separated(u.share, 3)) + cell(separated(u.aph_yield, 1)) +
                cell(percent(u.coverage_level));
        if (u.rated)
            html += cell(dollars(u.guarantee)) + cell(cents(u.figures.per_acre_premium)) +
                    cell(dollars(u.figures.total_premium)) + cell(dollars(u.figures.subsidy)) +
                    cell(dollars(u.figures.producer_premium));
        else
            html += QStringLiteral("<td colspan=\"5\">no rate for this unit in the county</td>");
        html += QStringLiteral("</tr>");
    }
    // The acres as the units list them; the dollar totals are on each unit's share.
    exact_decimal acres = 0.0;
    for (const quote_unit& u : crop.units) acres += u.acres;
    html += QStringLiteral("<tr class=\"total\">") + cell(QStringLiteral("Total"), false) + cell(QString(), false) +
            cell(QString(), false) + cell(separated(acres, 1)) + cell(QString()) + cell(QString()) +
            cell(QString()) + cell(dollars(crop.totals.guarantee)) + cell(QString()) +
            cell(dollars(crop.totals.total_premium)) + cell(dollars(crop.totals.subsidy)) +
            cell(dollars(crop.totals.producer_premium)) + QStringLiteral("</tr>");
    html += QStringLiteral("</table>");
    html += QStringLiteral("<p>Enterprise unit at ") + percent(crop.enterprise_coverage_level) +
            QStringLiteral(": guarantee ") + dollars(crop.enterprise_guarantee) + QStringLiteral(" (") +
            cents(crop.enterprise.revenue_guarantee) + QStringLiteral(" per acre), total premium ") +
            dollars(crop.enterprise.total_premium) + QStringLiteral(", subsidy ") + dollars(crop.enterprise.subsidy) +
            QStringLiteral(", producer premium <b>") + dollars(crop.enterprise.producer_premium) +
            QStringLiteral("</b>.</p>");
    if (!crop.malting_barley.empty()) {
        html += QStringLiteral("<h3>Malting barley endorsement</h3><table class=\"grid\" cellspacing=\"0\">");
        html += heading_row({QStringLiteral("Unit"), QStringLiteral("Malting acres"), QStringLiteral("Contract price"),
                             QStringLiteral("Coverage"), QStringLiteral("Liability"), QStringLiteral("Premium"),
                             QStringLiteral("Subsidy"), QStringLiteral("Producer premium")});
        for (const quote_malting_barley& m : crop.malting_barley)
            html += QStringLiteral("<tr>") + cell(QString::number(m.unit_number), false) +
                    cell(separated(m.acres, 1)) + cell(cents(m.contract_price)) + cell(percent(m.coverage_level)) +
                    cell(dollars(m.liability)) + cell(cents(m.total_premium)) + cell(cents(m.subsidy)) +
                    cell(cents(m.producer_premium)) + QStringLiteral("</tr>");
        html += QStringLiteral("</table>");
    }
    return html;
}

QString whole_farm_section(const quote_content& q) {
    if (!q.whole_farm_offered) return {};
    QString html = QStringLiteral("<h2>Whole-farm unit</h2><p>Coverage ") + percent(q.whole_farm_coverage_level) +
                   QStringLiteral(": guarantee ") + dollars(q.whole_farm_guarantee) + QStringLiteral(" (") +
                   cents(q.whole_farm.revenue_guarantee) + QStringLiteral(" per acre), premium per acre ") +
                   cents(q.whole_farm.per_acre_premium) + QStringLiteral(", total premium ") +
                   dollars(q.whole_farm.total_premium) + QStringLiteral(", subsidy ") + dollars(q.whole_farm.subsidy) +
                   QStringLiteral(", producer premium <b>") + dollars(q.whole_farm.producer_premium) +
                   QStringLiteral("</b>. Winter wheat is not part of the whole-farm unit.</p>");
    if (!q.whole_farm_note.empty())
        html += QStringLiteral("<p class=\"note\">The whole-farm premium rate was limited (") +
                html_escaped(q.whole_farm_note) + QStringLiteral(").</p>");
    return html;
}

QString comparison_section(const quote_content& q, bool embedded_images) {
    if (q.comparison.empty()) return {};
    QString html = QStringLiteral("<h2>Coverage levels and unit structures side by "
                                  "side</h2><p>Each line rates a copy of the farm with the coverage level set for "
                                  "that unit structure. <i>Added premium per added $</i> is what each further dollar "
                                  "of guarantee costs in producer premium when stepping up from the level above it "
                                  "in the table. The cheapest structure at each level is shaded.</p>");
    // The farm first with its chart, then each crop.
    std::vector<const comparison_table*> order;
    order.push_back(&q.comparison.back());
    for (std::size_t i = 0; i + 1 < q.comparison.size(); ++i) order.push_back(&q.comparison[i]);
    for (const comparison_table* table : order) {
        html += QStringLiteral("<h3>") + html_escaped(comparison_title(*table)) + QStringLiteral("</h3>");
        if (table->crop_number == 0) {
            QString source = chart_resource;
            if (embedded_images) {
                QByteArray png;
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                coverage_chart_image(*table, chart_size).save(&buffer, "PNG");
                source = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
            }
            html += QStringLiteral("<p><img src=\"") + source + QStringLiteral("\" width=\"") +
                    QString::number(chart_size.width()) + QStringLiteral("\" height=\"") +
                    QString::number(chart_size.height()) + QStringLiteral("\"></p>");
        }
        html += QStringLiteral("<table class=\"grid\" cellspacing=\"0\" width=\"100%\">");
        html += heading_row({QStringLiteral("Coverage"), QStringLiteral("Unit structure"), QStringLiteral("Guarantee"),
                             QStringLiteral("Producer premium"), QStringLiteral("Per acre"),
                             QStringLiteral("Per $1,000 of guarantee"), QStringLiteral("Added premium per added $")});
        for (const comparison_row& row : table->rows) {
            for (std::size_t s = 0; s < unit_structure_count; ++s) {
                const comparison_cell& c = row.cells[s];
                if (!c.offered) continue;
                html += c.cheapest ? QStringLiteral("<tr class=\"cheapest\">") : QStringLiteral("<tr>");
                html += cell(percent(row.coverage_level)) +
                        cell(QString::fromLatin1(unit_structure_name(static_cast<unit_structure>(s))) +
                                 (c.cheapest ? QStringLiteral(" (cheapest)") : QString()),
                             false) +
                        cell(dollars(c.guarantee)) + cell(dollars(c.producer_premium)) +
                        cell(cents(c.producer_premium_per_acre)) + cell(cents(c.premium_per_1000)) +
                        cell(c.has_step ? QStringLiteral("$") + separated(c.added_premium_per_added_dollar, 4)
                                        : QString());
                html += QStringLiteral("</tr>");
            }
        }
        html += QStringLiteral("</table>");
    }
    return html;
}

QString build_html(const quote_content& q, bool embedded_images, bool banner) {
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Crop Revenue Insurance Quote</title>"
                                  "<style>") +
                   QString::fromLatin1(style_sheet) + QStringLiteral("</style></head><body>");
    if (banner && q.demo_rates)
        html += QStringLiteral("<p class=\"banner\" align=\"center\">") + QString::fromLatin1(demo_rates_banner) +
                QStringLiteral("</p>");
    html += farm_section(q);
    for (const quote_crop& crop : q.crops) html += crop_section(crop);
    html += whole_farm_section(q);
    html += comparison_section(q, embedded_images);
    if (banner)
        html += QStringLiteral("<p class=\"note\">") + QString::fromLatin1(quote_footer) + QStringLiteral("</p>");
    return html + QStringLiteral("</body></html>");
}

}  // namespace

QString quote_html(const quote_content& quote, bool embedded_images) { return build_html(quote, embedded_images, true); }

bool render_quote(const quote_content& quote, QPagedPaintDevice& device, QString& error) {
    QPainter painter;
    if (!painter.begin(&device)) {
        error = QStringLiteral("cannot start painting on the output");
        return false;
    }
    // Lay out at 96 per inch; the painter scales to the device's resolution.
    const qreal scale = device.logicalDpiX() / layout_dpi;
    const QRect paint_pixels = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QRectF page(0, 0, paint_pixels.width() / scale, paint_pixels.height() / scale);
    painter.scale(scale, scale);

    QFont base(QStringLiteral("DejaVu Sans"));
    base.setPointSizeF(8.0);
    // Pixel sizes: the painter's units are the layout's, whatever the device's resolution.
    QFont footer_font = base;
    footer_font.setPixelSize(9);
    QFont banner_font = base;
    banner_font.setPixelSize(17);
    banner_font.setBold(true);

    const qreal banner_height = quote.demo_rates ? 30.0 : 0.0;
    const qreal footer_height = 40.0;
    const QRectF body(0, banner_height + (quote.demo_rates ? 8.0 : 0.0), page.width(),
                      page.height() - banner_height - (quote.demo_rates ? 8.0 : 0.0) - footer_height);

    QTextDocument document;
    document.setDefaultFont(base);
    document.setDocumentMargin(0);
    if (!quote.comparison.empty())
        document.addResource(QTextDocument::ImageResource, QUrl(chart_resource),
                             coverage_chart_image(quote.comparison.back(), chart_size, 3.0));
    document.setHtml(build_html(quote, false, false));
    document.setPageSize(body.size());
    const int pages = document.pageCount();

    for (int p = 0; p < pages; ++p) {
        if (p > 0) device.newPage();
        if (quote.demo_rates) {
            const QRectF band(0, 0, page.width(), banner_height);
            painter.fillRect(band, QColor(192, 22, 27));
            painter.setPen(Qt::white);
            painter.setFont(banner_font);
            painter.drawText(band, Qt::AlignCenter, QString::fromLatin1(demo_rates_banner));
        }
        painter.save();
        painter.translate(body.left(), body.top() - p * body.height());
        const QRectF visible(0, p * body.height(), body.width(), body.height());
        painter.setClipRect(visible);
        document.drawContents(&painter, visible);
        painter.restore();

        const QRectF footer(0, page.height() - footer_height + 6.0, page.width(), footer_height - 6.0);
        painter.setPen(QPen(QColor(150, 150, 150), 0));
        painter.drawLine(footer.topLeft(), footer.topRight());
        painter.setPen(Qt::black);
        painter.setFont(footer_font);
        const QString page_text = QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages);
        const qreal page_width = 60.0;
        painter.drawText(footer.adjusted(0, 3, -page_width - 8, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         QString::fromLatin1(quote_footer));
        painter.drawText(footer.adjusted(footer.width() - page_width, 3, 0, 0), Qt::AlignRight | Qt::AlignTop,
                         page_text);
    }
    if (!painter.end()) {
        error = QStringLiteral("the output could not be finished");
        return false;
    }
    return true;
}

bool write_quote_pdf(const quote_content& quote, const QString& path, QString& error) {
    // Laid out in memory, where nothing can fail part way, then written as a whole.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("Crop Revenue Insurance Quote"));
        writer.setCreator(QStringLiteral("Zelmora 2004"));
        if (!render_quote(quote, writer, error)) return false;
    }
    return write_quote_file(pdf.data(), path, error);
}

bool write_quote_html(const quote_content& quote, const QString& path, QString& error) {
    return write_quote_file(quote_html(quote, true).toUtf8(), path, error);
}

}  // namespace zelmora
