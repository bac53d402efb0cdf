#include "ui/compare_window.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <array>

#include "data/crops.h"
#include "ui/farm_model.h"
#include "ui/clipboard.h"
#include "ui/comparison_view.h"
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
    const auto escaped = [](const std::string& text) {
        return QString::fromStdString(text).toHtmlEscaped().toStdString();
    };
    // A table whose structures would each leave out a unit without a rate says which.
    if (!table.has_figures() && !table.not_rated.empty()) return "<p>No figures: " + escaped(table.not_rated) + ".</p>\n";
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
    html += "</table>\n";
    if (const std::string note = outside_whole_farm_note(table); !note.empty()) html += "<p>" + escaped(note) + "</p>\n";
    return html;
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
    view_ = new comparison_view(this);
    column->addWidget(view_, 1);
    auto* copy_button = new QPushButton(tr("Copy"), this);
    copy_button->setAutoDefault(false);
    copy_button->setToolTip(tr("Copy the comparison tables (text and HTML) to the clipboard"));
    view_->add_beside_note(copy_button);
    connect(copy_button, &QPushButton::clicked, this, &compare_window::copy_to_clipboard);
    // A selection in the table copies itself; otherwise the keys copy the tables.
    auto* copy_keys = new QShortcut(QKeySequence::Copy, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(copy_keys, &QShortcut::activated, this, [this] {
        if (table_view()->textCursor().hasSelection()) {
            table_view()->copy();
        } else {
            copy_to_clipboard();
        }
    });
    refresh();
    fit_to_screen(this, QSize(1000, 640));
}

const std::vector<comparison_table>& compare_window::tables() const { return view_->tables(); }
int compare_window::current_table() const { return view_->current_table(); }
void compare_window::show_table(int index) { view_->show_table(index); }
QTextBrowser* compare_window::table_view() const { return view_->table_view(); }
coverage_chart_widget* compare_window::chart() const { return view_->chart(); }

void compare_window::refresh() {
    if (model_ != nullptr) view_->show_tables(model_->comparison());
}

bool compare_window::copy_to_clipboard() {
    if (tables().empty()) return false;
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setMimeData(comparison_mime_data(tables()).release());
    Q_EMIT status_message(copied_message(tr("Comparison table"), comparison_tsv(tables())));
    return true;
}

}  // namespace zelmora
