#include "ui/propsheet_calculator.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QTabBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <vector>

#include "ui/crop_offer.h"
#include "ui/farm_model.h"
#include "ui/numeric_controls.h"
#include "ui/property_page_compare.h"
#include "ui/property_page_crop.h"
#include "ui/property_page_whole_farm.h"
#include "ui/window_services.h"

namespace zelmora {

namespace {

QScrollArea* scrolled(QWidget* page) {
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(page);
    return area;
}

}  // namespace

propsheet_calculator::propsheet_calculator(farm_model* model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(tr("Parameters"));
    setSizeGripEnabled(true);
    tabs_ = new QTabWidget(this);

    for (int c = 1; c <= crop_count; ++c) {
        property_page_crop* page = nullptr;
        switch (c) {
        case crop_spring_wheat:
        case crop_barley:
        case crop_cotton:
        case crop_rice:
            page = new property_page_crop_barley_spring_wheat(model, c);
            break;
        case crop_canola:
            page = new property_page_crop_canola(model, c);
            break;
        case crop_winter_wheat:
            page = new property_page_crop_winter_wheat(model, c);
            break;
        default:
            page = new property_page_crop(model, c);
            break;
        }
        crop_pages_[static_cast<std::size_t>(c - 1)] = page;
        connect(page, &property_page_crop::status_message, this, &propsheet_calculator::show_status);
        connect(page, &property_page_crop::farm_changed, this, &propsheet_calculator::farm_changed);
        tabs_->addTab(scrolled(page), QString::fromLatin1(crop_display_name(c)));
    }
    whole_farm_page_ = new property_page_whole_farm(model);
    tabs_->addTab(scrolled(whole_farm_page_), tr("Enterprise and Whole Farm Units"));
    connect(whole_farm_page_, &property_page_whole_farm::status_message, this, &propsheet_calculator::show_status);
    connect(whole_farm_page_, &property_page_whole_farm::farm_changed, this, &propsheet_calculator::farm_changed);
    // The comparison of the farm as the pages change it, in the modal sheet itself.
    compare_page_ = new property_page_compare(model);
    tabs_->addTab(scrolled(compare_page_), tr("Compare Coverage"));
    connect(compare_page_, &property_page_compare::status_message, this, &propsheet_calculator::show_status);
    // A text field with a selection copies its selection itself; elsewhere the keys copy the page's worksheet.
    auto* copy_keys = new QShortcut(QKeySequence::Copy, this);
    connect(copy_keys, &QShortcut::activated, this, &propsheet_calculator::copy_current_page);
    mark_unrated_tabs();
    add_page_shortcuts();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    set_control_id(buttons->button(QDialogButtonBox::Ok), 1);
    set_control_id(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &propsheet_calculator::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    status_line_ = new QLabel(this);
    status_line_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_line_->setMinimumWidth(0);
    status_line_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_line_, 1);
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(bottom);

    // Large enough for the widest page, within the screen.
    QSize wanted(0, 0);
    for (property_page_crop* page : crop_pages_) wanted = wanted.expandedTo(page->sizeHint());
    wanted = wanted.expandedTo(whole_farm_page_->sizeHint());
    wanted += QSize(40, 110);
    fit_to_screen(this, wanted);

    connect(tabs_, &QTabWidget::currentChanged, this, &propsheet_calculator::on_tab_changed);
    tabs_->setCurrentIndex(0);
    show_page(0);
}

property_page_crop* propsheet_calculator::crop_page(int crop_number) const {
    if (crop_number < 1 || crop_number > crop_count) return nullptr;
    return crop_pages_[static_cast<std::size_t>(crop_number - 1)];
}

property_page* propsheet_calculator::page_at(int index) const {
    if (index >= 0 && index < crop_count) return crop_pages_[static_cast<std::size_t>(index)];
    if (index == whole_farm_index) return whole_farm_page_;
    if (index == compare_index) return compare_page_;
    return nullptr;
}

void propsheet_calculator::show_page(int index) {
    if (tabs_->currentIndex() != index) {
        tabs_->setCurrentIndex(index);  // on_tab_changed does the rest
        return;
    }
    on_tab_changed(index);
}

void propsheet_calculator::on_tab_changed(int index) {
    if (index == current_) return;
    if (property_page* left = page_at(current_)) left->deactivate();
    current_ = index;
    if (property_page* shown = page_at(index)) shown->activate();
}

void propsheet_calculator::add_page_shortcuts() {
    // The pages' own lists would take Ctrl+PageDown as a selection change: the sheet takes these keys first.
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [key, step] : keys) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { step_page(step); });
    }
}

void propsheet_calculator::step_page(int step) {
    const int count = tabs_->count();
    if (count == 0) return;
    show_page((tabs_->currentIndex() + step + count) % count);
}

void propsheet_calculator::show_status(const QString& text) {
    status_line_->setText(text);
    status_line_->setToolTip(text);
    Q_EMIT status_message(text);
}

void propsheet_calculator::mark_unrated_tabs() {
    for (int c = 1; c <= crop_count; ++c) {
        const QString note = crop_offer_note(crop_offer_in_county(model_->session(), model_->current(), c));
        tabs_->setTabToolTip(c - 1, note);
        tabs_->tabBar()->setTabTextColor(c - 1, note.isEmpty() ? QColor() : QColor(0x80, 0x80, 0x80));
    }
}

void propsheet_calculator::copy_current_page() {
    const int index = tabs_->currentIndex();
    if (index == whole_farm_index) {
        whole_farm_page_->on_copy();
    } else if (index == compare_index) {
        compare_page_->on_copy();
    } else if (property_page_crop* page = crop_page(index + 1)) {
        page->on_copy();
    }
}

number_field* propsheet_calculator::show_refused_field() {
    // The page shown first, then the others in the order of their tabs.
    std::vector<int> order{current_};
    for (int index = 0; index < tabs_->count(); ++index)
        if (index != current_) order.push_back(index);
    for (const int index : order) {
        property_page* page = page_at(index);
        if (!page || !page->loaded()) continue;
        if (number_field* field = first_refused_field(page)) {
            show_page(index);
            field->setFocus();
            return field;
        }
    }
    return nullptr;
}

void propsheet_calculator::accept() {
    // A text that is not taken is not left behind unsaid: OK stays on its field.
    if (number_field* field = show_refused_field()) {
        show_status(field->refusal());
        show_message(this, field->refusal_message());
        return;
    }
    if (property_page* page = page_at(current_)) page->deactivate();
    QDialog::accept();
}

}  // namespace zelmora
