#include "quote/quote_document.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <vector>

#include "quote/coverage_chart.h"
#include "rating/crop_units.h"
#include "rating/payout_texts.h"
#include "utility/atomic_file.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

// Layout units: pixels at 96 per inch, scaled to the device when painted.
constexpr qreal layout_dpi = 96.0;
const QSize chart_size(560, 260);
const QString chart_resource = QStringLiteral("quote-chart.png");
const QColor grid_color(0xb0, 0xb0, 0xb0);  // the tables' rules, as the style sheet draws them

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
    "p.continued { font-size: 9pt; font-weight: bold; color: #1f3f6f; margin-top: 0px; margin-bottom: 2px; }"
    "table.grid { border-collapse: collapse; font-size: 7pt; margin-bottom: 5px; }"
    "table.grid td, table.grid th { border: 1px solid #b0b0b0; padding: 2px 4px; }"
    "tr.head th { background-color: #e4e9f0; font-weight: bold; white-space: nowrap; }"
    "td.unbroken { white-space: nowrap; }"
    "tr.total td { font-weight: bold; background-color: #f2f2f2; }"
    "tr.cheapest td { background-color: #e6f4e6; }"
    "p.line { margin-top: 0px; margin-bottom: 3px; }"
    "p.note { font-size: 7pt; color: #444; }"
    "p.banner { font-size: 14pt; font-weight: bold; color: #ffffff; background-color: #c0161b; }";

// The quote's markup, and the name of each of its tables in the order they
// come: a table that goes on over a page break is named again on the next page.
struct quote_markup {
    QString html;
    QStringList table_names;

    void open_table(const QString& name, const QString& attributes) {
        table_names << name;
        html += QStringLiteral("<table ") + attributes + QStringLiteral(">");
    }
};

const QString grid_attributes = QStringLiteral("class=\"grid\" cellspacing=\"0\"");
const QString full_width_grid_attributes = QStringLiteral("class=\"grid\" cellspacing=\"0\" width=\"100%\"");

// A figure's cell, or a short label's: never broken over two lines.
QString number_cell(const QString& text) {
    return QStringLiteral("<td class=\"unbroken\" align=\"right\">") + text + QStringLiteral("</td>");
}
QString label_cell(const QString& text) { return QStringLiteral("<td class=\"unbroken\">") + text + QStringLiteral("</td>"); }
QString text_cell(const QString& text) { return QStringLiteral("<td>") + text + QStringLiteral("</td>"); }

QString unit_name(const quote_unit& u) {
    return QString::number(u.unit_number) + (u.optional_unit ? QStringLiteral(" optional") : QStringLiteral(" basic"));
}

QString prevented_planting(int selection) { return QString::fromLatin1(prevented_planting_text(selection)); }

void farm_section(const quote_content& q, quote_markup& m) {
    m.html += QStringLiteral("<h1>Crop Revenue Insurance Quote, Crop Year 2004</h1>");
    m.open_table(QStringLiteral("Farm"), QStringLiteral("cellpadding=\"2\""));
    auto line = [&m](const QString& label, const QString& value) {
        m.html += QStringLiteral("<tr><td><b>") + label + QStringLiteral("</b></td><td>") + value +
                  QStringLiteral("</td></tr>");
    };
    // Whose farm it is, when the farm says so; else the farm file's name.
    const farm_details& d = q.details;
    if (!d.producer.empty())
        line(QStringLiteral("Producer"), html_escaped(d.producer));
    else
        line(QStringLiteral("Farm"), html_escaped(q.farm_name));
    if (!d.agent.empty()) line(QStringLiteral("Agent"), html_escaped(d.agent));
    if (!d.agent_contact.empty()) line(QStringLiteral("Agent contact"), html_escaped(d.agent_contact));
    line(QStringLiteral("State"), html_escaped(q.state_name));
    line(QStringLiteral("County"), html_escaped(q.county_name));
    line(QStringLiteral("Date"), html_escaped(q.date_text));
    line(QStringLiteral("Rating database"), html_escaped(q.database_file));
    if (!d.note.empty())
        line(QStringLiteral("Note"), html_escaped(d.note).replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    m.html += QStringLiteral("</table>");

    // What the farm pays: its units, and the other structures beside them.
    m.html += QStringLiteral("<h2>Summary</h2>");
    m.open_table(QStringLiteral("Summary"), grid_attributes);
    m.html += heading_row({QStringLiteral("Unit structure"), QStringLiteral("Guarantee"), QStringLiteral("Total premium"),
                           QStringLiteral("Subsidy"), QStringLiteral("Producer premium")});
    // A structure that misses a unit it covers has no figures here, only the reason.
    const auto not_given = [](const std::string& reason) {
        return QStringLiteral("<td colspan=\"4\">not rated: ") + html_escaped(reason) + QStringLiteral("</td>");
    };
    m.html += QStringLiteral("<tr class=\"total\">") + text_cell(QStringLiteral("Farm total of the units as entered")) +
              (q.farm_totals.complete || q.unrated_units.empty()
                   ? number_cell(dollars(q.farm_totals.guarantee)) + number_cell(dollars(q.farm_totals.total_premium)) +
                         number_cell(dollars(q.farm_totals.subsidy)) + number_cell(dollars(q.farm_totals.producer_premium))
                   : not_given(q.unrated_units.front())) +
              QStringLiteral("</tr>");
    for (const quote_crop& crop : q.crops)
        m.html += QStringLiteral("<tr>") +
                  text_cell(html_escaped(crop.name) + QStringLiteral(" enterprise unit at ") +
                            percent(crop.enterprise_coverage_level)) +
                  (crop.enterprise_reason.empty()
                       ? number_cell(dollars(crop.enterprise_guarantee)) +
                             number_cell(dollars(crop.enterprise.total_premium)) +
                             number_cell(dollars(crop.enterprise.subsidy)) +
                             number_cell(dollars(crop.enterprise.producer_premium))
                       : not_given(crop.enterprise_reason)) +
                  QStringLiteral("</tr>");
    if (q.whole_farm_offered)
        m.html += QStringLiteral("<tr>") +
                  text_cell(QStringLiteral("Whole-farm unit at ") + percent(q.whole_farm_coverage_level)) +
                  (q.whole_farm_reason.empty()
                       ? number_cell(dollars(q.whole_farm_guarantee)) + number_cell(dollars(q.whole_farm.total_premium)) +
                             number_cell(dollars(q.whole_farm.subsidy)) +
                             number_cell(dollars(q.whole_farm.producer_premium))
                       : not_given(q.whole_farm_reason)) +
                  QStringLiteral("</tr>");
    m.html += QStringLiteral("</table>");
}

// Whether every unit of the crop has the same text in a column.
template <class Text>
bool all_alike(const quote_crop& crop, Text text) {
    for (const quote_unit& u : crop.units)
        if (text(u) != text(crop.units.front())) return false;
    return true;
}

void crop_section(const quote_crop& crop, quote_markup& m) {
    m.html += QStringLiteral("<h2>") + html_escaped(crop.name) + QStringLiteral(" (price $") +
              separated(crop.price, price_places(crop.crop_number)) + QStringLiteral(" per ") +
              QString::fromLatin1(yield_unit_of(crop.crop_number)) + QStringLiteral(")</h2>");
    // The type and practice get a column only where the units differ in them.
    const bool one_type = !crop.units.empty() && all_alike(crop, [](const quote_unit& u) { return u.type_name; });
    const bool one_practice =
        !crop.units.empty() && all_alike(crop, [](const quote_unit& u) { return u.practice_name; });
    const int coverage = crop.units.empty() ? 65 : crop.units.front().coverage_level;
    QString line = QStringLiteral("Units insured at ") + percent(coverage) +
                   QStringLiteral(" coverage; prevented planting coverage: ") +
                   prevented_planting(crop.prevented_planting) + QStringLiteral(".");
    if (one_type || one_practice) {
        line += QStringLiteral(" Every unit:");
        if (one_type) line += QStringLiteral(" type ") + html_escaped(crop.units.front().type_name);
        if (one_type && one_practice) line += QStringLiteral(",");
        if (one_practice) line += QStringLiteral(" practice ") + html_escaped(crop.units.front().practice_name);
        line += QStringLiteral(".");
    }
    m.html += QStringLiteral("<p class=\"line\">") + line + QStringLiteral("</p>");

    m.open_table(html_escaped(crop.name), full_width_grid_attributes);
    QStringList headings = {QStringLiteral("Unit")};
    if (!one_type) headings << QStringLiteral("Type");
    if (!one_practice) headings << QStringLiteral("Practice");
    headings << QStringLiteral("Acres") << QStringLiteral("Share") << QStringLiteral("APH<br>yield")
             << QStringLiteral("Guarantee") << QStringLiteral("Premium<br>per acre")
             << QStringLiteral("Total<br>premium") << QStringLiteral("Subsidy<br>rate") << QStringLiteral("Subsidy")
             << QStringLiteral("Producer<br>premium") << QStringLiteral("Producer<br>premium<br>per acre");
    m.html += heading_row(headings);
    constexpr int figure_columns = 7;
    for (const quote_unit& u : crop.units) {
        m.html += QStringLiteral("<tr>") + label_cell(unit_name(u));
        if (!one_type) m.html += text_cell(html_escaped(u.type_name));
        if (!one_practice) m.html += text_cell(html_escaped(u.practice_name));
        m.html += number_cell(separated(u.acres, 1)) + number_cell(separated(u.share, 3)) +
                  number_cell(separated(u.aph_yield, 1));
        if (u.rated)
            m.html += number_cell(dollars(u.guarantee)) + number_cell(cents(u.figures.per_acre_premium)) +
                      number_cell(dollars(u.figures.total_premium)) +
                      number_cell(QString::number(subsidy_percent(u)) + QStringLiteral("%")) +
                      number_cell(dollars(u.figures.subsidy)) + number_cell(dollars(u.figures.producer_premium)) +
                      number_cell(cents(producer_premium_per_acre(u)));
        else
            m.html += QStringLiteral("<td colspan=\"%1\">no rate for this unit in the county</td>").arg(figure_columns);
        m.html += QStringLiteral("</tr>");
    }
    // The acres as the units list them; the dollar totals are on each unit's share.
    exact_decimal acres = 0.0;
    for (const quote_unit& u : crop.units) acres += u.acres;
    m.html += QStringLiteral("<tr class=\"total\">") + text_cell(QStringLiteral("Total"));
    for (int blank = (one_type ? 0 : 1) + (one_practice ? 0 : 1); blank > 0; --blank) m.html += text_cell(QString());
    m.html += number_cell(separated(acres, 1)) + text_cell(QString()) + text_cell(QString());
    if (crop.totals.complete || crop.enterprise_reason.empty())
        m.html += number_cell(dollars(crop.totals.guarantee)) + text_cell(QString()) +
                  number_cell(dollars(crop.totals.total_premium)) + text_cell(QString()) +
                  number_cell(dollars(crop.totals.subsidy)) + number_cell(dollars(crop.totals.producer_premium)) +
                  text_cell(QString());
    else  // a total that leaves out a unit is not given
        m.html += QStringLiteral("<td colspan=\"7\">not rated: ") + html_escaped(crop.enterprise_reason) +
                  QStringLiteral("</td>");
    m.html += QStringLiteral("</tr>");
    m.html += QStringLiteral("</table>");
    if (!crop.enterprise_reason.empty()) {
        m.html += QStringLiteral("<p>Enterprise unit at ") + percent(crop.enterprise_coverage_level) +
                  QStringLiteral(": not rated, ") + html_escaped(crop.enterprise_reason) + QStringLiteral(".</p>");
    } else {
        m.html += QStringLiteral("<p>Enterprise unit at ") + percent(crop.enterprise_coverage_level) +
                  QStringLiteral(" (prevented planting coverage: ") +
                  prevented_planting(crop.enterprise_prevented_planting) + QStringLiteral("): guarantee ") +
                  dollars(crop.enterprise_guarantee) + QStringLiteral(" (") + cents(crop.enterprise.revenue_guarantee) +
                  QStringLiteral(" per acre), total premium ") + dollars(crop.enterprise.total_premium) +
                  QStringLiteral(", subsidy ") + dollars(crop.enterprise.subsidy) +
                  QStringLiteral(", producer premium <b>") + dollars(crop.enterprise.producer_premium) +
                  QStringLiteral("</b>.</p>");
    }
    if (!crop.malting_barley.empty()) {
        m.html += QStringLiteral("<h3>Malting barley endorsement</h3>");
        m.open_table(QStringLiteral("Malting barley endorsement"), grid_attributes);
        m.html += heading_row({QStringLiteral("Unit"), QStringLiteral("Malting acres"), QStringLiteral("Contract price"),
                               QStringLiteral("Coverage"), QStringLiteral("Liability"), QStringLiteral("Premium"),
                               QStringLiteral("Subsidy"), QStringLiteral("Producer premium")});
        for (const quote_malting_barley& b : crop.malting_barley)
            m.html += QStringLiteral("<tr>") + text_cell(QString::number(b.unit_number)) +
                      number_cell(separated(b.acres, 1)) + number_cell(cents(b.contract_price)) +
                      number_cell(percent(b.coverage_level)) + number_cell(dollars(b.liability)) +
                      number_cell(cents(b.total_premium)) + number_cell(cents(b.subsidy)) +
                      number_cell(cents(b.producer_premium)) + QStringLiteral("</tr>");
        m.html += QStringLiteral("</table>");
    }
}

void whole_farm_section(const quote_content& q, quote_markup& m) {
    if (!q.whole_farm_offered) return;
    if (!q.whole_farm_reason.empty()) {
        m.html += QStringLiteral("<h2>Whole-farm unit</h2><p>Coverage ") + percent(q.whole_farm_coverage_level) +
                  QStringLiteral(": not rated, ") + html_escaped(q.whole_farm_reason) + QStringLiteral(".</p>");
        return;
    }
    m.html += QStringLiteral("<h2>Whole-farm unit</h2><p>Coverage ") + percent(q.whole_farm_coverage_level) +
              QStringLiteral(" (prevented planting coverage: ") + prevented_planting(q.whole_farm_prevented_planting) +
              QStringLiteral("): guarantee ") + dollars(q.whole_farm_guarantee) + QStringLiteral(" (") +
              cents(q.whole_farm.revenue_guarantee) + QStringLiteral(" per acre), premium per acre ") +
              cents(q.whole_farm.per_acre_premium) + QStringLiteral(", total premium ") +
              dollars(q.whole_farm.total_premium) + QStringLiteral(", subsidy ") + dollars(q.whole_farm.subsidy) +
              QStringLiteral(", producer premium <b>") + dollars(q.whole_farm.producer_premium) +
              QStringLiteral("</b>. Winter wheat is not part of the whole-farm unit.</p>");
    if (!q.whole_farm_note.empty())
        m.html += QStringLiteral("<p class=\"note\">The whole-farm premium rate was limited (") +
                  html_escaped(q.whole_farm_note) + QStringLiteral(").</p>");
}

void comparison_section(const quote_content& q, bool embedded_images, quote_markup& m) {
    if (q.comparison.empty()) return;
    m.html += QStringLiteral("<h2>Coverage levels and unit structures side by "
                             "side</h2><p>Each line rates a copy of the farm with the coverage level set for "
                             "that unit structure. <i>Added premium per added $</i> is what each further dollar "
                             "of guarantee costs in producer premium when stepping up from the level above it "
                             "in the table. The cheapest structure at each level is shaded.</p>");
    // The farm first with its chart, then each crop.
    std::vector<const comparison_table*> order;
    order.push_back(&q.comparison.back());
    for (std::size_t i = 0; i + 1 < q.comparison.size(); ++i) order.push_back(&q.comparison[i]);
    for (const comparison_table* table : order) {
        const QString title = html_escaped(comparison_title(*table));
        m.html += QStringLiteral("<h3>") + title + QStringLiteral("</h3>");
        if (!table->has_figures()) {
            if (!table->not_rated.empty())
                m.html += QStringLiteral("<p>No figures: ") + html_escaped(table->not_rated) + QStringLiteral(".</p>");
            continue;
        }
        if (table->crop_number == 0) {
            QString source = chart_resource;
            if (embedded_images) {
                QByteArray png;
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                coverage_chart_image(*table, chart_size).save(&buffer, "PNG");
                source = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
            }
            m.html += QStringLiteral("<p><img src=\"") + source + QStringLiteral("\" width=\"") +
                      QString::number(chart_size.width()) + QStringLiteral("\" height=\"") +
                      QString::number(chart_size.height()) + QStringLiteral("\"></p>");
        }
        m.open_table(title, full_width_grid_attributes);
        m.html += heading_row({QStringLiteral("Coverage"), QStringLiteral("Unit structure"), QStringLiteral("Guarantee"),
                               QStringLiteral("Producer<br>premium"), QStringLiteral("Per acre"),
                               QStringLiteral("Per $1,000 of<br>guarantee"),
                               QStringLiteral("Added premium<br>per added $")});
        for (const comparison_row& row : table->rows) {
            for (std::size_t s = 0; s < unit_structure_count; ++s) {
                const comparison_cell& c = row.cells[s];
                if (!c.offered) continue;
                m.html += c.cheapest ? QStringLiteral("<tr class=\"cheapest\">") : QStringLiteral("<tr>");
                m.html += number_cell(percent(row.coverage_level)) +
                          text_cell(QString::fromLatin1(unit_structure_name(static_cast<unit_structure>(s))) +
                                    (c.cheapest ? QStringLiteral(" (cheapest)") : QString())) +
                          number_cell(dollars(c.guarantee)) + number_cell(dollars(c.producer_premium)) +
                          number_cell(cents(c.producer_premium_per_acre)) + number_cell(cents(c.premium_per_1000)) +
                          number_cell(c.has_step ? QStringLiteral("$") + separated(c.added_premium_per_added_dollar, 4)
                                                 : QString());
                m.html += QStringLiteral("</tr>");
            }
        }
        m.html += QStringLiteral("</table>");
    }
}

// A money figure with its sign before the dollar sign ("-$1,234").
QString signed_dollars(double value) {
    QString text = QString::fromStdString(insert_separators(signed_change_text(value, 0)));
    if (text.startsWith(QLatin1Char('+'))) text.remove(0, 1);
    return text.startsWith(QLatin1Char('-')) ? QStringLiteral("-$") + text.mid(1) : QStringLiteral("$") + text;
}

// A table of break-even points and expected figures: per crop its units and
// its enterprise unit, then the farm under each structure.
void payout_section(const quote_content& q, quote_markup& m) {
    const quote_payouts& p = q.payouts;
    if (p.rows.empty()) return;
    m.html += QStringLiteral("<h2>What this coverage pays</h2><p class=\"line\">A structure pays when the revenue "
                             "to count falls below its guarantee. The break-even points say where that starts: "
                             "the harvest price at which it starts to pay when every unit yields its APH yield, "
                             "and the yield at which it starts to pay at the RA price. ") +
              html_escaped(p.assumptions) + QStringLiteral("</p>");
    m.open_table(QStringLiteral("What this coverage pays"), full_width_grid_attributes);
    m.html += heading_row({QStringLiteral("Crop and<br>unit structure"), QStringLiteral("Coverage"),
                           QStringLiteral("Pays at APH yield<br>at a harvest price"),
                           QStringLiteral("Pays at the RA price<br>at a yield"), QStringLiteral("Producer<br>premium"),
                           QStringLiteral("Expected<br>payout"), QStringLiteral("Chance of<br>a payout"),
                           QStringLiteral("Expected<br>net"), QStringLiteral("Payout<br>per $ of<br>premium")});
    for (const quote_payout_row& row : p.rows) {
        const bool farm = row.crop_number == 0;
        m.html += farm ? QStringLiteral("<tr class=\"total\">") : QStringLiteral("<tr>");
        m.html += label_cell(html_escaped(payout_table_title(row.crop_number)) + QStringLiteral("<br>") +
                             QString::fromLatin1(payout_structure_name(row.structure))) +
                  number_cell(row.coverage_level > 0 ? percent(row.coverage_level) : QStringLiteral("as entered")) +
                  text_cell(html_escaped(break_even_price_text(row.break_evens))) +
                  text_cell(html_escaped(break_even_yield_text(row.break_evens)));
        const expected_cell& e = row.expected;
        if (e.offered) {
            const QString ratio = e.payout_to_premium
                                      ? QString::fromStdString(fixed_text(e.payout_to_premium->value, 2))
                                      : QStringLiteral("-");
            m.html += number_cell(dollars(e.producer_premium)) +
                      number_cell(signed_dollars(e.payout.value) + QStringLiteral(" \u00b1 ") +
                                  signed_dollars(e.payout.standard_error)) +
                      number_cell(QString::fromStdString(fixed_text(100.0 * e.probability.value, 1)) +
                                  QStringLiteral("%")) +
                      number_cell(signed_dollars(e.net.value)) + number_cell(ratio);
        } else {
            m.html += QStringLiteral("<td colspan=\"5\">no expected figures</td>");
        }
        m.html += QStringLiteral("</tr>");
    }
    m.html += QStringLiteral("</table>");
    QString note = html_escaped(p.problem.empty() ? p.draws_note : "No expected figures: " + p.problem + ".");
    if (!p.outside_note.empty()) note = html_escaped(p.outside_note) + QStringLiteral(" ") + note;
    m.html += QStringLiteral("<p class=\"note\">") + note + QStringLiteral("</p>");
}

quote_markup build_html(const quote_content& q, bool embedded_images, bool banner) {
    quote_markup m;
    m.html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Crop Revenue Insurance Quote</title>"
                            "<style>") +
             QString::fromLatin1(style_sheet) + QStringLiteral("</style></head><body>");
    if (banner && q.demo_rates)
        m.html += QStringLiteral("<p class=\"banner\" align=\"center\">") + QString::fromLatin1(demo_rates_banner) +
                  QStringLiteral("</p>");
    farm_section(q, m);
    for (const quote_crop& crop : q.crops) crop_section(crop, m);
    whole_farm_section(q, m);
    comparison_section(q, embedded_images, m);
    payout_section(q, m);
    if (banner)
        m.html += QStringLiteral("<p class=\"note\">") + QString::fromLatin1(quote_footer) + QStringLiteral("</p>");
    m.html += QStringLiteral("</body></html>");
    return m;
}

// A piece of the laid-out quote that a page break never cuts: a paragraph, a
// heading or a table's row, from the top of its content to the bottom.
struct band {
    qreal top = 0;
    qreal bottom = 0;
    qreal left = 0;   // a table row's width on the page
    qreal right = 0;
    bool keep_with_next = false;  // a heading, what leads into a table, a table's heading row
    int table = -1;               // the table it is a row of
    bool heading_row = false;
};

// The bands of a document laid out without pages, in order. Tables are cut
// between their rows, halfway between one row's text and the next one's.
std::vector<band> bands_of(QTextDocument& document) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    std::vector<band> bands;
    int table_count = 0;
    bool after_table = false;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            const QRectF frame_rect = layout->frameBoundingRect(frame);
            auto* table = qobject_cast<QTextTable*>(frame);
            // What leads into a table stays with its first rows.
            if (!bands.empty() && bands.back().table < 0) bands.back().keep_with_next = true;
            if (!table) {
                bands.push_back({frame_rect.top(), frame_rect.bottom(), 0, 0, false, -1, false});
                continue;
            }
            const int index = table_count++;
            std::vector<std::pair<qreal, qreal>> rows(static_cast<std::size_t>(table->rows()),
                                                      {frame_rect.bottom(), frame_rect.top()});
            // Its rules' left and right: the first and last cells' text areas with their padding.
            qreal left = frame_rect.right();
            qreal right = frame_rect.left();
            for (int r = 0; r < table->rows(); ++r) {
                auto& [top, bottom] = rows[static_cast<std::size_t>(r)];
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (!cell.isValid() || cell.row() != r) continue;
                    const QRectF first = layout->blockBoundingRect(cell.firstCursorPosition().block());
                    top = std::min(top, first.top());
                    const QTextTableCellFormat format = cell.format().toTableCellFormat();
                    left = std::min(left, first.left() - format.leftPadding());
                    right = std::max(right, first.right() + format.rightPadding());
                    bottom = std::max(bottom, layout->blockBoundingRect(cell.lastCursorPosition().block()).bottom());
                }
            }
            const int heading_rows = table->format().headerRowCount();
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const qreal top = r == 0 ? frame_rect.top() : (rows[r - 1].second + rows[r].first) / 2;
                const qreal bottom = r + 1 == rows.size() ? frame_rect.bottom() : (rows[r].second + rows[r + 1].first) / 2;
                const bool heading = static_cast<int>(r) < heading_rows;
                bands.push_back({top, bottom, left, right, heading, index, heading});
            }
            // The last row (a total) does not stand alone on a page.
            if (rows.size() > static_cast<std::size_t>(heading_rows) + 2) bands[bands.size() - 2].keep_with_next = true;
            after_table = true;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (block.length() <= 1) continue;  // the empty block that follows a table
        const QRectF rect = layout->blockBoundingRect(block);
        // What follows a table's last row (its enterprise unit) goes with it.
        if (after_table && block.blockFormat().headingLevel() == 0 && !bands.empty()) bands.back().keep_with_next = true;
        after_table = false;
        bands.push_back({rect.top(), rect.bottom(), 0, 0, block.blockFormat().headingLevel() > 0, -1, false});
    }
    return bands;
}

// One page: a slice of the document from `top` to `bottom`, led, when a table
// goes on from the page before, by the table's name and its heading row.
struct quote_page {
    int continued_table = -1;
    qreal top = 0;
    qreal bottom = 0;
};

// Fills pages of `height` with the bands: a break never falls after a band
// kept with the next one (unless that chain alone is longer than a page), and a
// table broken over pages starts the next page with `lead_height` (its name)
// and its heading row.
std::vector<quote_page> paginate(const std::vector<band>& bands, qreal height, qreal lead_height) {
    std::vector<quote_page> pages;
    auto heading_row_of = [&bands](int table) -> const band* {
        for (const band& b : bands)
            if (b.table == table && b.heading_row) return &b;
        return nullptr;
    };
    std::size_t i = 0;
    while (i < bands.size()) {
        quote_page page;
        qreal lead = 0;
        if (i > 0 && bands[i].table >= 0 && !bands[i].heading_row && bands[i - 1].table == bands[i].table) {
            page.continued_table = bands[i].table;
            lead = lead_height;
            if (const band* heading = heading_row_of(bands[i].table)) lead += heading->bottom - heading->top;
        }
        std::size_t end = i;  // one past the last band that fits
        while (end < bands.size() && lead + bands[end].bottom - bands[i].top <= height) ++end;
        if (end < bands.size()) {
            std::size_t kept = end;
            while (kept > i + 1 && bands[kept - 1].keep_with_next) --kept;
            if (kept > i + 1 || !bands[i].keep_with_next) end = std::max(kept, i + 1);
        }
        end = std::max(end, i + 1);  // a band taller than a page is cut by the page
        page.top = bands[i].top;
        page.bottom = std::min(bands[end - 1].bottom, bands[i].top + height - lead);
        pages.push_back(page);
        i = end;
    }
    if (pages.empty()) pages.push_back({});
    return pages;
}

// Paints the part of the document from `top` to `bottom` with its top at `y`.
void paint_slice(QPainter& painter, QTextDocument& document, qreal top, qreal bottom, qreal y, qreal width) {
    painter.save();
    painter.translate(0, y - top);
    const QRectF area(0, top, width, bottom - top);
    // A table's border lies across its lower edge: the half below the slice is painted too.
    painter.setClipRect(area.adjusted(0, 0, 0, 1.5));
    QAbstractTextDocumentLayout::PaintContext context;
    // Rows and paragraphs that only touch the slice are left out, not painted and clipped away.
    context.clip = area.adjusted(0, 0.5, 0, -0.5);
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

}  // namespace

QString quote_html(const quote_content& quote, bool embedded_images) {
    return build_html(quote, embedded_images, true).html;
}

QPageLayout quote_page_layout() {
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(15, 15, 15, 12),
                       QPageLayout::Millimeter);
}

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

    // The whole quote laid out as one long page, then cut into pages between its bands.
    QTextDocument document;
    document.setDefaultFont(base);
    document.setDocumentMargin(0);
    if (!quote.comparison.empty())
        document.addResource(QTextDocument::ImageResource, QUrl(chart_resource),
                             coverage_chart_image(quote.comparison.back(), chart_size, 3.0));
    const quote_markup markup = build_html(quote, false, false);
    document.setHtml(markup.html);
    document.setTextWidth(body.width());

    // "Corn (continued)" over a table that goes on from the page before.
    auto continued_caption = [&](int table) {
        auto caption = std::make_unique<QTextDocument>();
        caption->setDefaultFont(base);
        caption->setDocumentMargin(0);
        const QString name = table >= 0 && table < markup.table_names.size() ? markup.table_names.at(table) : QString();
        caption->setHtml(QStringLiteral("<html><head><style>") + QString::fromLatin1(style_sheet) +
                         QStringLiteral("</style></head><body><p class=\"continued\">") + name +
                         QStringLiteral(" (continued)</p></body></html>"));
        caption->setTextWidth(body.width());
        return caption;
    };
    const qreal caption_height = continued_caption(-1)->size().height();
    const std::vector<band> bands = bands_of(document);
    const std::vector<quote_page> pages = paginate(bands, body.height(), caption_height);
    const int page_count = static_cast<int>(pages.size());

    for (int p = 0; p < page_count; ++p) {
        const quote_page& slice = pages[static_cast<std::size_t>(p)];
        if (p > 0) device.newPage();
        if (quote.demo_rates) {
            const QRectF banner_area(0, 0, page.width(), banner_height);
            painter.fillRect(banner_area, QColor(192, 22, 27));
            painter.setPen(Qt::white);
            painter.setFont(banner_font);
            painter.drawText(banner_area, Qt::AlignCenter, QString::fromLatin1(demo_rates_banner));
        }
        qreal y = body.top();
        if (slice.continued_table >= 0) {
            const auto caption = continued_caption(slice.continued_table);
            painter.save();
            painter.translate(0, y);
            caption->drawContents(&painter);
            painter.restore();
            y += caption_height;
            for (const band& b : bands)
                if (b.table == slice.continued_table && b.heading_row) {
                    paint_slice(painter, document, b.top, b.bottom, y, body.width());
                    // The table's top rule, which the slice of its heading row leaves out.
                    painter.setPen(QPen(grid_color, 1.0));
                    painter.drawLine(QPointF(b.left, y + 0.5), QPointF(b.right, y + 0.5));
                    y += b.bottom - b.top;
                }
        }
        paint_slice(painter, document, slice.top, slice.bottom, y, body.width());

        const QRectF footer(0, page.height() - footer_height + 6.0, page.width(), footer_height - 6.0);
        painter.setPen(QPen(QColor(150, 150, 150), 0));
        painter.drawLine(footer.topLeft(), footer.topRight());
        painter.setPen(Qt::black);
        painter.setFont(footer_font);
        const QString page_text = QStringLiteral("Page %1 of %2").arg(p + 1).arg(page_count);
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
        writer.setPageLayout(quote_page_layout());
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
