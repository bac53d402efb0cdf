#include "ui/property_page_compare.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/clipboard.h"
#include "ui/compare_window.h"
#include "ui/comparison_view.h"
#include "ui/demo_notice.h"
#include "ui/farm_model.h"

namespace zelmora {

property_page_compare::property_page_compare(farm_model* model, QWidget* parent)
    : property_page(parent), model_(model) {
    auto* column = new QVBoxLayout(this);
    demo_notice_ = make_demo_notice(this);
    show_demo_notice(demo_notice_, model_->session().is_open() ? &model_->session().database() : nullptr);
    column->addWidget(demo_notice_);
    view_ = new comparison_view(this);
    column->addWidget(view_, 1);
    auto* copy_button = new QPushButton(tr("Copy"), this);
    copy_button->setAutoDefault(false);
    copy_button->setToolTip(tr("Copy the comparison tables (text and HTML) to the clipboard"));
    view_->add_beside_note(copy_button);
    connect(copy_button, &QPushButton::clicked, this, &property_page_compare::on_copy);
    connect(model_, &farm_model::changed, this, &property_page_compare::on_farm_changed);
}

void property_page_compare::load_page() { show_comparison(); }

void property_page_compare::shown_again() {
    if (stale_) show_comparison();
}

void property_page_compare::on_farm_changed() {
    // The page the sheet shows follows each change; a page not shown waits until it is.
    if (loaded() && isVisibleTo(window())) {
        show_comparison();
    } else {
        stale_ = true;
    }
}

void property_page_compare::show_comparison() {
    view_->show_tables(model_->comparison());
    stale_ = false;
}

void property_page_compare::on_copy() {
    if (stale_) show_comparison();
    const std::vector<comparison_table>& tables = view_->tables();
    QClipboard* clipboard = QApplication::clipboard();
    if (tables.empty() || !clipboard) return;
    clipboard->setMimeData(comparison_mime_data(tables).release());
    Q_EMIT status_message(copied_message(tr("Comparison table"), comparison_tsv(tables)));
}

}  // namespace zelmora
