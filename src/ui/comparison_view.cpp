#include "ui/comparison_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/compare_window.h"
#include "ui/coverage_chart.h"
#include "ui/window_services.h"

namespace zelmora {

comparison_view::comparison_view(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
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
    bottom_ = new QHBoxLayout;
    bottom_->addWidget(note_, 1);
    column->addLayout(bottom_);
    connect(tabs_, &QTabBar::currentChanged, this, &comparison_view::show_current);
    show_tables({});
}

void comparison_view::add_beside_note(QWidget* widget) { bottom_->addWidget(widget); }

int comparison_view::current_table() const {
    const int index = tabs_->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < tables_.size() ? index : -1;
}

void comparison_view::show_table(int index) { tabs_->setCurrentIndex(index); }

void comparison_view::show_tables(const std::vector<comparison_table>& tables) {
    const int shown = current_table();
    const int shown_crop = shown >= 0 ? tables_[static_cast<std::size_t>(shown)].crop_number : -1;
    tables_ = tables;
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

void comparison_view::show_current() {
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

}  // namespace zelmora
