#include "ui/compare_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTabBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <array>

#include "data/crops.h"
#include "ui/farm_model.h"
#include "ui/clipboard.h"
#include "ui/coverage_chart.h"
#include "ui/numeric_controls.h"
#include "ui/demo_notice.h"
#include "ui/window_services.h"

namespace zelmora {

namespace {

std::string dollars(const exact_decimal& value, int places) {
    return "$" + insert_separators(value.to_text(places));
}

// A table's structures that are offered at one level at least; the others have no column.
std::array<bool, unit_structure_count> offered_structures(const comparison_table& table) {
    std::array<bool, unit_structure_count> offered{};
    for (std::size_t s = 0; s < offered.size(); ++s) offered[s] = table.offers(static_cast<unit_structure>(s));
    return offered;
}

// One line of a level: its heading and the cell's text under each structure.
struct figure_line {
    const char* heading;
    std::string (*text)(const comparison_cell&);
};

const std::array<figure_line, 5> figure_lines = {{
    {"Guarantee", [](const comparison_cell& c) { return dollars(c.guarantee, 0); }},
    {"Producer premium", [](const comparison_cell& c) { return dollars(c.producer_premium, 0); }},
    {"Producer premium/acre", [](const comparison_cell& c) { return dollars(c.producer_premium_per_acre, 2); }},
    {"Premium per $1,000", [](const comparison_cell& c) { return dollars(c.premium_per_1000, 2); }},
    {"Added premium per added $",
     [](const comparison_cell& c) {
         return c.has_step ? c.added_premium_per_added_dollar.to_text(4) : std::string("-");
     }},
}};

}  // namespace

QString comparison_table_name(const comparison_table& table) {
    return QString::fromStdString(comparison_title(table));
}

std::string comparison_table_html(const comparison_table& table) {
    const std::array<bool, unit_structure_count> offered = offered_structures(table);
    std::string html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n<tr><th>Level</th><th></th>";
    for (std::size_t s = 0; s < offered.size(); ++s) {
        if (offered[s]) html += std::string("<th>") + unit_structure_name(static_cast<unit_structure>(s)) + "</th>";
    }
    html += "</tr>\n";
    for (const comparison_row& row : table.rows) {
        for (std::size_t line = 0; line < figure_lines.size(); ++line) {
            html += "<tr>";
            if (line == 0) {
                html += "<td rowspan=\"" + std::to_string(figure_lines.size()) + "\" align=\"center\"><b>" +
                        std::to_string(row.coverage_level) + "%</b></td>";
            }
            html += "<td style=\"white-space:nowrap\">" + QString::fromLatin1(figure_lines[line].heading).toHtmlEscaped().toStdString() +
                    "</td>";
            for (std::size_t s = 0; s < offered.size(); ++s) {
                if (!offered[s]) continue;
                const comparison_cell& cell = row.cells[s];
                if (!cell.offered) {
                    html += "<td align=\"center\">not offered</td>";
                } else if (cell.cheapest) {
                    html += "<td align=\"right\" bgcolor=\"#d8f0d0\"><b>" + figure_lines[line].text(cell) + "</b></td>";
                } else {
                    html += "<td align=\"right\">" + figure_lines[line].text(cell) + "</td>";
                }
            }
            html += "</tr>\n";
        }
    }
    return html + "</table>\n";
}

std::string comparison_html(const std::vector<comparison_table>& tables) {
    std::string html = "<html><body>\n";
    for (const comparison_table& table : tables) {
        html += "<h3>" + comparison_table_name(table).toHtmlEscaped().toStdString() + "</h3>\n";
        html += comparison_table_html(table);
    }
    html += "<p>Shaded: the lowest producer premium at the level. Estimates, not a policy.</p>\n</body></html>\n";
    return html;
}

std::unique_ptr<QMimeData> comparison_mime_data(const std::vector<comparison_table>& tables) {
    auto data = std::make_unique<QMimeData>();
    data->setText(to_qstring(comparison_tsv(tables)));
    data->setHtml(to_qstring(comparison_html(tables)));
    return data;
}

compare_window::compare_window(farm_model* model, QWidget* parent) : QWidget(parent), model_(model) {
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("Compare Coverage"));
    auto* column = new QVBoxLayout(this);
    demo_notice_ = make_demo_notice(this);
    show_demo_notice(demo_notice_, model_ != nullptr && model_->session().is_open() ? &model_->session().database() : nullptr);
    column->addWidget(demo_notice_);
    tabs_ = new QTabBar(this);
    tabs_->setExpanding(false);
    column->addWidget(tabs_);
    // The table and the chart side by side; the divider between them moves.
    auto* row = new QSplitter(Qt::Horizontal, this);
    row->setChildrenCollapsible(false);
    table_view_ = new QTextBrowser(this);
    table_view_->setOpenLinks(false);
    table_view_->setMinimumWidth(420);
    // The same picture as the printed quote's chart.
    chart_ = new coverage_chart_widget(this);
    chart_->setMinimumSize(360, 300);
    row->addWidget(table_view_);
    row->addWidget(chart_);
    // The table as wide as the farm's three structures need; the chart takes the rest.
    row->setStretchFactor(0, 0);
    row->setStretchFactor(1, 1);
    row->setSizes({575, 425});
    column->addWidget(row, 1);
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    auto* copy_button = new QPushButton(tr("Copy"), this);
    copy_button->setAutoDefault(false);
    copy_button->setToolTip(tr("Copy the comparison tables (text and HTML) to the clipboard"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(note_, 1);
    bottom->addWidget(copy_button);
    column->addLayout(bottom);
    connect(copy_button, &QPushButton::clicked, this, &compare_window::copy_to_clipboard);
    // A selection in the table copies itself; otherwise the keys copy the tables.
    auto* copy_keys = new QShortcut(QKeySequence::Copy, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(copy_keys, &QShortcut::activated, this, [this] {
        if (table_view_->textCursor().hasSelection()) {
            table_view_->copy();
        } else {
            copy_to_clipboard();
        }
    });
    connect(tabs_, &QTabBar::currentChanged, this, &compare_window::show_current);
    refresh();
    fit_to_screen(this, QSize(1000, 640));
}

int compare_window::current_table() const {
    const int index = tabs_->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < tables_.size() ? index : -1;
}

void compare_window::show_table(int index) { tabs_->setCurrentIndex(index); }

void compare_window::refresh() {
    // The table shown stays shown when it is still there (a crop, or the farm).
    const int shown = current_table();
    const int shown_crop = shown >= 0 ? tables_[static_cast<std::size_t>(shown)].crop_number : -1;
    tables_.clear();
    if (model_ != nullptr) tables_ = compare_coverage(model_->session(), model_->current(), model_->rating());
    {
        const QSignalBlocker quiet(tabs_);
        while (tabs_->count() > 0) tabs_->removeTab(0);
        int again = -1;
        for (const comparison_table& table : tables_) {
            const int index = tabs_->addTab(comparison_table_name(table));
            if (table.crop_number == shown_crop) again = index;
        }
        if (again >= 0) tabs_->setCurrentIndex(again);
    }
    if (tables_.empty()) {
        note_->setText(tr("No crop with units is rated in this county: there is nothing to compare."));
    } else {
        note_->setText(tr("The farm as entered, rated with every unit, every enterprise unit or the whole-farm unit "
                          "at each coverage level. Shaded: the cheapest structure at the level. Added premium per "
                          "added $: what each further dollar of guarantee costs over the level below."));
    }
    show_current();
}

void compare_window::show_current() {
    const int index = current_table();
    if (index < 0) {
        table_view_->clear();
        chart_->set_table(comparison_table{});
        return;
    }
    const comparison_table& table = tables_[static_cast<std::size_t>(index)];
    const int scroll = table_view_->verticalScrollBar() ? table_view_->verticalScrollBar()->value() : 0;
    table_view_->setHtml(to_qstring(comparison_table_html(table)));
    if (table_view_->verticalScrollBar()) table_view_->verticalScrollBar()->setValue(scroll);
    chart_->set_table(table);
}

bool compare_window::copy_to_clipboard() {
    if (tables_.empty()) return false;
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setMimeData(comparison_mime_data(tables_).release());
    Q_EMIT status_message(copied_message(tr("Comparison table"), comparison_tsv(tables_)));
    return true;
}

}  // namespace zelmora
