#include "ui/dialog_malting_barley.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/crops.h"
#include "ui/clipboard.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"
#include "rating/reports.h"
#include "ui/farm_model.h"

namespace zelmora {

namespace {

constexpr std::array<int, 7> dollar_amount_ids = {1128, 1132, 1133, 1134, 1135, 1136, 1137};
int row_id(int first, int row) { return first + 11 * row; }

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    label->setWordWrap(true);
    return label;
}

}  // namespace

dialog_malting_barley::dialog_malting_barley(QWidget* parent, farm_model* model) : QDialog(parent), model_(model) {
    setWindowTitle(tr("Malting Barley Endorsement"));
    setSizeGripEnabled(true);

    auto* top = new QHBoxLayout;
    auto* option_label = new QLabel(tr("Endorsement &option:"), this);
    option_list_ = with_id(new QComboBox(this), 1432);
    option_label->setBuddy(option_list_);
    auto* option_note = new QLabel(
        tr("Option A insures a malting barley price up to $1.25 above the Barley RA price, option B up to $2.00 "
           "above it. A malting barley price below both limits gives the same figures under either option."),
        this);
    option_note->setWordWrap(true);
    top->addWidget(option_label);
    top->addWidget(option_list_);
    top->addSpacing(12);
    top->addWidget(option_note, 1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    const char* headings[] = {"Feed\nBarley\nAPH\nYield", "Malting\nBarley\nAPH\nYield", "Malting\nBarley\nAcres",
                              "Share", "Malting\nBarley\nPrice", "Dollar Amount of Insurance",
                              "MB\nEndorsement\nLiability", "Total\nPremium", "RA\nSubsidy", "Producer\nPremium"};
    for (int col = 0; col < 10; ++col) grid->addWidget(heading(tr(headings[col]), this), 0, col + 1);
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int row = r + 1;
        auto* number = new QLabel(QString::number(r + 1), this);
        number->setEnabled(false);
        grid->addWidget(number, row, 0);
        feed_aph_yield_[i] = with_id(new static_decimal(this), 1411 + r);
        malting_aph_yield_[i] = with_id(new edit_decimal(this), 1425 + r);
        malting_acres_[i] = with_id(new edit_decimal(this), 1418 + r);
        share_[i] = with_id(new static_decimal(this), 1397 + r);
        malting_price_[i] = with_id(new edit_decimal(this), 1404 + r);
        dollar_amount_[i] = with_id(new static_decimal(this), dollar_amount_ids[i]);
        liability_[i] = with_id(new static_decimal(this), row_id(1127, r));
        total_premium_[i] = with_id(new static_decimal(this), row_id(1129, r));
        ra_subsidy_[i] = with_id(new static_decimal(this), row_id(1130, r));
        producer_premium_[i] = with_id(new static_decimal(this), row_id(1131, r));
        QWidget* cells[] = {feed_aph_yield_[i], malting_aph_yield_[i], malting_acres_[i], share_[i],
                            malting_price_[i],  dollar_amount_[i],     liability_[i],     total_premium_[i],
                            ra_subsidy_[i],     producer_premium_[i]};
        for (int col = 0; col < 10; ++col) grid->addWidget(cells[col], row, col + 1);
        for (edit_decimal* field : {malting_aph_yield_[i], malting_acres_[i], malting_price_[i]}) {
            field->fit_to(QStringLiteral("00,000.00"));
        }
        malting_aph_yield_[i]->set_range(field_ranges::yield);
        malting_acres_[i]->set_range(field_ranges::acres);
        malting_price_[i]->set_range(field_ranges::price);
        const QString unit_name = tr("Barley unit %1 ").arg(r + 1);
        malting_aph_yield_[i]->set_field_name(unit_name + tr("malting barley APH yield"));
        malting_acres_[i]->set_field_name(unit_name + tr("malting barley acres"));
        malting_price_[i]->set_field_name(unit_name + tr("malting barley price"));
    }
    for (int col = 1; col <= 10; ++col) grid->setColumnStretch(col, 1);

    auto* buttons = new QHBoxLayout;
    copy_button_ = with_id(new QPushButton(tr("Copy"), this), 1206);
    copy_button_->setAutoDefault(false);
    copy_button_->setToolTip(tr("Copy the endorsement worksheet of every Barley unit to the clipboard"));
    auto* ok_button = with_id(new QPushButton(tr("Ok"), this), 1);
    ok_button->setDefault(true);
    auto* cancel_button = with_id(new QPushButton(tr("Cancel"), this), 2);
    cancel_button->setAutoDefault(false);
    buttons->addWidget(copy_button_);
    buttons->addStretch(1);
    buttons->addWidget(ok_button);
    buttons->addWidget(cancel_button);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        for (edit_decimal* field : {malting_aph_yield_[i], malting_acres_[i], malting_price_[i]}) {
            connect(field, &QLineEdit::textChanged, this, &dialog_malting_barley::on_change);
        }
    }
    connect(option_list_, &QComboBox::currentIndexChanged, this, &dialog_malting_barley::on_change);
    connect(copy_button_, &QPushButton::clicked, this, &dialog_malting_barley::on_copy);
    connect(ok_button, &QPushButton::clicked, this, &dialog_malting_barley::accept);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);

    exchange_lock lock(this);
    load_dialog();
    loaded_ = true;
}

const unit_list& dialog_malting_barley::barley_units() const {
    return model_->current().inputs.units[static_cast<std::size_t>(crop_barley - 1)];
}

int dialog_malting_barley::rows_in_use() const {
    const auto n = static_cast<int>(barley_units().size());
    return n < rows ? n : rows;
}

void dialog_malting_barley::load_dialog() {
    copy_button_->show();
    const int n = rows_in_use();
    for (int r = 0; r < n; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const insurance_unit& unit = barley_units()[i];
        share_[i]->set_value(unit.share, 3);
        feed_aph_yield_[i]->set_value(unit.aph_yield, 1);
        dollar_amount_[i]->set_value(exact_decimal(0.0), 2);
        malting_aph_yield_[i]->set_value(unit.malting_barley_approved_yield, 1);
        malting_acres_[i]->set_value(unit.malting_barley_acres, 2);
        malting_price_[i]->set_value(unit.malting_barley_price, 2);
    }
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        for (edit_decimal* field : {malting_aph_yield_[i], malting_acres_[i], malting_price_[i]}) {
            field->setEnabled(r < n);
        }
    }
    option_list_->clear();
    option_list_->addItem(tr("Option A"));
    option_list_->addItem(tr("Option B"));
    option_list_->setCurrentIndex(model_->current().inputs.malting_barley_option - 1);
    show_endorsement();
}

void dialog_malting_barley::store_dialog() {
    farm f = model_->current();
    f.inputs.malting_barley_option = option_list_->currentIndex() + 1;
    unit_list& units = f.inputs.units[static_cast<std::size_t>(crop_barley - 1)];
    const int n = rows_in_use();
    for (int r = 0; r < n; ++r) {
        const auto i = static_cast<std::size_t>(r);
        insurance_unit& unit = units[i];
        store_if_acceptable(malting_aph_yield_[i], unit.malting_barley_approved_yield);
        store_if_acceptable(malting_price_[i], unit.malting_barley_price);
        store_if_acceptable(malting_acres_[i], unit.malting_barley_acres);
    }
    model_->set(f);
}

void dialog_malting_barley::show_endorsement() {
    const int n = rows_in_use();
    const std::vector<malting_barley_figures> figures = rate_malting_barley(model_->session(), model_->current());
    for (int r = 0; r < n && static_cast<std::size_t>(r) < figures.size(); ++r) {
        const auto i = static_cast<std::size_t>(r);
        liability_[i]->set_value(figures[i].liability, 2);
        dollar_amount_[i]->set_value(figures[i].dollar_amount, 2);
        producer_premium_[i]->set_value(figures[i].producer_premium, 0);
        total_premium_[i]->set_value(figures[i].base_premium, 0);
        ra_subsidy_[i]->set_value(figures[i].subsidy, 0);
    }
    for (int r = n; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        for (static_decimal* text : {share_[i], feed_aph_yield_[i], dollar_amount_[i], liability_[i],
                                     producer_premium_[i], total_premium_[i], ra_subsidy_[i]}) {
            text->clear();
        }
    }
}

void dialog_malting_barley::on_change() {
    if (!loaded_) return;
    store_dialog();
    show_endorsement();
}

std::string dialog_malting_barley::copy_text() {
    return malting_barley_worksheets(model_->session(), model_->current());
}

void dialog_malting_barley::on_copy() { copy_text_to_clipboard(copy_text(), this, clipboard_wording::page); }

void dialog_malting_barley::accept() {
    // A text that is not taken is said, and the dialog stays open on its field.
    if (number_field* field = first_refused_field(this)) {
        field->setFocus();
        show_message(this, field->refusal_message());
        return;
    }
    {
        exchange_lock lock(this);
        store_dialog();
    }
    QDialog::accept();
}

}  // namespace zelmora
