#include "ui/property_page_whole_farm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "rating/farm_totals.h"
#include "rating/reports.h"
#include "ui/clipboard.h"
#include "ui/crop_offer.h"
#include "ui/dialog_test_state.h"
#include "ui/farm_model.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"

namespace zelmora {

namespace {

struct row_ids {
    int guarantee, coverage, loaded, total, subsidy, producer, ppcl;
};

// Crops in crop-number order, then the whole farm.
constexpr std::array<row_ids, property_page_whole_farm::rows> ids = {{
    {1216, 1210, 1211, 1212, 1213, 1214, 1215},
    {1226, 1220, 1221, 1222, 1223, 1224, 1225},
    {1236, 1230, 1271, 1272, 1273, 1274, 1275},
    {1246, 1240, 1241, 1242, 1243, 1244, 1245},
    {1266, 1260, 1261, 1262, 1263, 1264, 1265},
    {1256, 1250, 1251, 1252, 1253, 1254, 1255},
    {1276, 1270, 1281, 1320, 1321, 1282, 1285},
    {1296, 1290, 1291, 1292, 1293, 1294, 1295},
    {1306, 1300, 1301, 1302, 1303, 1304, 1305},
    {1307, 1308, 1309, 1310, 1311, 1312, 1313},
}};

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

}  // namespace

property_page_whole_farm::property_page_whole_farm(farm_model* model, QWidget* parent)
    : property_page(parent), model_(model) {
    auto* column = new QVBoxLayout(this);
    auto* note = new QLabel(
        tr("Note to user: Enter a dollar amount of insurance in the selected revenue guarantee column."), this);
    note->setWordWrap(true);
    column->addWidget(note);
    column->addSpacing(4);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->addWidget(heading(tr("Selected\nRevenue\nGuarantee"), this), 0, 1);
    grid->addWidget(heading(tr("Coverage\nLevel"), this), 0, 2);
    grid->addWidget(heading(tr("Loaded\nPer-Acre\nPremium"), this), 0, 3);
    grid->addWidget(heading(tr("Total\nPremium"), this), 0, 4);
    grid->addWidget(heading(tr("RA\nSubsidy"), this), 0, 5);
    grid->addWidget(heading(tr("Producer\nPremium"), this), 0, 6);
    grid->addWidget(heading(tr("Prevented\nPlanting\nCoverage Level"), this), 0, 7);
    const char* units_line[] = {"Enterprise Coverage", "$/acre", "$/acre", "$", "$", "$"};
    const int units_columns[] = {0, 1, 3, 4, 5, 6};
    for (int k = 0; k < 6; ++k) {
        auto* label = heading(tr(units_line[k]), this);
        if (k == 0) label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(label, 1, units_columns[k]);
    }
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int row = r + 2;
        const QString label = r == whole_farm_row ? tr("Whole Farm") : QString::fromLatin1(crop_display_name(r + 1));
        auto* name = new QLabel(label, this);
        if (r == whole_farm_row) {
            QFont bold = name->font();
            bold.setBold(true);
            name->setFont(bold);
        }
        grid->addWidget(name, row, 0);
        guarantee_[i] = with_id(new static_decimal(this), ids[i].guarantee);
        coverage_[i] = with_id(new QComboBox(this), ids[i].coverage);
        loaded_premium_[i] = with_id(new static_decimal(this), ids[i].loaded);
        total_premium_[i] = with_id(new static_decimal(this), ids[i].total);
        ra_subsidy_[i] = with_id(new static_decimal(this), ids[i].subsidy);
        producer_premium_[i] = with_id(new static_decimal(this), ids[i].producer);
        ppcl_[i] = with_id(new QComboBox(this), ids[i].ppcl);
        name->setBuddy(coverage_[i]);
        coverage_[i]->setAccessibleName(label + tr(" coverage level"));
        ppcl_[i]->setAccessibleName(label + tr(" prevented planting coverage level"));
        grid->addWidget(guarantee_[i], row, 1);
        grid->addWidget(coverage_[i], row, 2);
        grid->addWidget(loaded_premium_[i], row, 3);
        grid->addWidget(total_premium_[i], row, 4);
        grid->addWidget(ra_subsidy_[i], row, 5);
        grid->addWidget(producer_premium_[i], row, 6);
        grid->addWidget(ppcl_[i], row, 7);
        guarantee_[i]->fit_to(QStringLiteral("0,000,000.00"));
        connect(coverage_[i], &QComboBox::currentIndexChanged, this, &property_page_whole_farm::on_change);
        connect(ppcl_[i], &QComboBox::currentIndexChanged, this, &property_page_whole_farm::on_change);
    }
    for (int c = 1; c <= 7; ++c) grid->setColumnStretch(c, 1);
    grid->setColumnStretch(8, 1);
    column->addLayout(grid);
    column->addSpacing(6);

    // The basic and optional units summed, to set against the enterprise and whole-farm rows above.
    auto* sums = new QGridLayout;
    sums->setHorizontalSpacing(8);
    sums->setVerticalSpacing(2);
    auto* sums_title = new QLabel(tr("Basic and optional units, summed"), this);
    QFont bold_title = sums_title->font();
    bold_title.setBold(true);
    sums_title->setFont(bold_title);
    sums->addWidget(sums_title, 0, 0);
    const char* sum_headings[] = {"Guarantee\n$", "Total\nPremium $", "RA\nSubsidy $", "Producer\nPremium $"};
    for (int k = 0; k < 4; ++k) sums->addWidget(heading(tr(sum_headings[k]), this), 0, k + 1);
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        unit_sum_names_[i] =
            new QLabel(r == whole_farm_row ? tr("Farm") : QString::fromLatin1(crop_display_name(r + 1)), this);
        sums->addWidget(unit_sum_names_[i], r + 1, 0);
        for (std::size_t k = 0; k < 4; ++k) {
            unit_sums_[i][k] = new static_decimal(this);
            unit_sums_[i][k]->setObjectName(QStringLiteral("unit_sum_%1_%2").arg(r).arg(k));
            unit_sums_[i][k]->fit_to(QStringLiteral("00,000,000"));
            sums->addWidget(unit_sums_[i][k], r + 1, static_cast<int>(k) + 1);
        }
    }
    sums->setColumnStretch(5, 1);
    column->addLayout(sums);
    column->addSpacing(6);

    harvest_guarantee_ = with_id(new QCheckBox(tr("Harvest Guarantee Option for Whole Farm"), this), 1314);
    limit_note_ = with_id(new QLabel(this), 1317);
    auto* harvest_row = new QHBoxLayout;
    harvest_row->addWidget(harvest_guarantee_);
    harvest_row->addSpacing(24);
    harvest_row->addWidget(limit_note_);
    harvest_row->addStretch(1);
    column->addLayout(harvest_row);

    auto* buttons = new QHBoxLayout;
    copy_button_ = with_id(new QPushButton(tr("Copy"), this), 1206);
    copy_button_->setToolTip(tr("Copy the whole-farm worksheet to the clipboard"));
    test_button_ = with_id(new QPushButton(tr("Test"), this), 1315);
    test_button_->setToolTip(tr("Rate a range of crop combinations and copy the report to the clipboard"));
    acreage_button_ = with_id(new QPushButton(tr("Acreage Loop Test"), this), 1316);
    acreage_button_->setToolTip(tr("Copy the acreage loop report to the clipboard"));
    dump_button_ = with_id(new QPushButton(tr("B Value Dump"), this), 1318);
    dump_button_->setToolTip(tr("Copy the state's b values to the clipboard"));
    for (QPushButton* button : {copy_button_, test_button_, acreage_button_, dump_button_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addStretch(1);

    connect(harvest_guarantee_, &QCheckBox::clicked, this, &property_page_whole_farm::on_change);
    connect(copy_button_, &QPushButton::clicked, this, &property_page_whole_farm::on_copy);
    connect(test_button_, &QPushButton::clicked, this, &property_page_whole_farm::on_test);
    connect(acreage_button_, &QPushButton::clicked, this, &property_page_whole_farm::on_acreage_loop_test);
    connect(dump_button_, &QPushButton::clicked, this, &property_page_whole_farm::on_b_value_dump);
}

void property_page_whole_farm::load_page() {
    for (QPushButton* button : {copy_button_, test_button_, acreage_button_, dump_button_}) button->show();
    const farm_inputs& in = model_->current().inputs;
    const farm_rating& rated = model_->rating();
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        fill_coverage_combo(coverage_[i], in.coverage_enterprise[i]);
        coverage_[i]->setEnabled(rated.selected[i]);
    }
    fill_coverage_combo(coverage_[whole_farm_row], in.coverage_whole_farm);
    int whole_farm_crops = 0;
    for (const bool in_whole_farm : rated.in_whole_farm) {
        if (in_whole_farm) ++whole_farm_crops;
    }
    coverage_[whole_farm_row]->setEnabled(whole_farm_crops > 1);
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        fill_prevented_planting_combo(ppcl_[i], in.ppcl_select_enterprise[i]);
    }
    fill_prevented_planting_combo(ppcl_[whole_farm_row], in.ppcl_select_whole_farm);
    harvest_guarantee_->setChecked(in.harvest_guarantee_whole_farm);
    show_totals();
}

void property_page_whole_farm::store_page() {
    farm f = model_->current();
    farm_inputs& in = f.inputs;
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        coverage_from_combo(coverage_[i], in.coverage_enterprise[i]);
    }
    coverage_from_combo(coverage_[whole_farm_row], in.coverage_whole_farm);
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        in.ppcl_select_enterprise[i] = ppcl_[i]->currentIndex();
    }
    in.ppcl_select_whole_farm = ppcl_[whole_farm_row]->currentIndex();
    in.harvest_guarantee_whole_farm = harvest_guarantee_->isChecked();
    model_->set(f);
}

void property_page_whole_farm::show_totals() {
    const farm_rating& rated = model_->rating();
    limit_note_->setText(to_qstring(rated.limit_note));
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        const premium_figures enterprise = rated.enterprise_figures(c);
        guarantee_[i]->set_value(enterprise.revenue_guarantee, 2);
        loaded_premium_[i]->set_value(enterprise.per_acre_premium, 2);
        producer_premium_[i]->set_value(enterprise.producer_premium, 0);
        if (rated.selected[i]) {
            total_premium_[i]->set_value(enterprise.total_premium, 0);
        } else {
            total_premium_[i]->clear();
        }
        ra_subsidy_[i]->set_value(enterprise.subsidy, 0);
    }
    const auto w = static_cast<std::size_t>(whole_farm_row);
    const premium_figures whole_farm = rated.whole_farm_figures();
    guarantee_[w]->set_value(whole_farm.revenue_guarantee, 2);
    loaded_premium_[w]->set_value(whole_farm.per_acre_premium, 2);
    total_premium_[w]->set_value(whole_farm.total_premium, 0);
    ra_subsidy_[w]->set_value(whole_farm.subsidy, 0);
    producer_premium_[w]->set_value(whole_farm.producer_premium, 0);
    // Figures that leave out a unit without a rate are not shown; the tooltip says which unit.
    const QString whole_farm_missing = to_qstring(rated.whole_farm_reason);
    for (static_decimal* result :
         {guarantee_[w], loaded_premium_[w], total_premium_[w], ra_subsidy_[w], producer_premium_[w]}) {
        if (!whole_farm_missing.isEmpty()) result->clear();
        result->setToolTip(whole_farm_missing);
    }
    clear_unrated_rows();
    show_unit_sums();
}

void property_page_whole_farm::show_unit_sums() {
    const farm_rating& rated = model_->rating();
    const farm_unit_totals totals = unit_totals_of(model_->current(), rated);
    for (int r = 0; r < rows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        // Only the crops ticked on the form have a row; the farm's row is always there.
        const bool shown = r == whole_farm_row || rated.selected[i];
        const unit_totals& sum = r == whole_farm_row ? totals.farm : totals.crops[i];
        const std::array<exact_decimal, 4> figures = {sum.guarantee, sum.total_premium, sum.subsidy,
                                                      sum.producer_premium};
        // Sums that leave out a unit without a rate are not shown; the tooltip says which unit.
        QString missing;
        if (!sum.complete) {
            const std::vector<std::string> unrated = rated.unrated_units();
            missing = r == whole_farm_row ? (unrated.empty() ? QString() : to_qstring(unrated.front()))
                                          : to_qstring(rated.enterprise_reason[i]);
        }
        unit_sum_names_[i]->setVisible(shown);
        for (std::size_t k = 0; k < figures.size(); ++k) {
            unit_sums_[i][k]->setVisible(shown);
            if (sum.complete)
                unit_sums_[i][k]->set_value(figures[k], 0);
            else
                unit_sums_[i][k]->clear();
            unit_sums_[i][k]->setToolTip(missing);
        }
    }
}

void property_page_whole_farm::clear_unrated_rows() {
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        QString note = crop_offer_note(crop_offer_in_county(model_->session(), model_->current(), c));
        // An enterprise unit that leaves out a unit without a rate is not shown either.
        if (note.isEmpty() && model_->rating().selected[i]) note = to_qstring(model_->rating().enterprise_reason[i]);
        for (static_decimal* result :
             {guarantee_[i], loaded_premium_[i], total_premium_[i], ra_subsidy_[i], producer_premium_[i]}) {
            if (!note.isEmpty()) result->clear();
            result->setToolTip(note);
        }
    }
}

void property_page_whole_farm::copied(const QString& what, const std::string& text) {
    Q_EMIT status_message(copied_message(what, text));
}

void property_page_whole_farm::on_change() {
    if (!loaded()) return;
    store_page();
    show_totals();
    Q_EMIT farm_changed();
}

void property_page_whole_farm::on_copy() {
    const std::string text = whole_farm_copy_text(model_->session(), model_->current());
    if (copy_text_to_clipboard(text, this, clipboard_wording::page)) copied(tr("Whole-farm worksheet"), text);
}

void property_page_whole_farm::on_test() {
    // The report rates a copy of the farm in the state and county the dialog chooses; the farm stays where it is.
    farm tested = model_->current();
    const bool four_crop = is_four_crop_state_fips(tested.state_fips);
    int low = 1;
    int high = four_crop ? 15 : 63;
    dialog_test_state dialog(window(), model_->session(), tested.state_fips, tested.inputs.county_fips, low, high,
                             tested.inputs.harvest_guarantee_whole_farm);
    dialog.set_four_crop_state(four_crop);
    if (run_modal(dialog) != QDialog::Accepted) return;
    const std::string text = test_report(model_->session(), tested, low, high);
    if (copy_text_to_clipboard(text, this, clipboard_wording::page)) copied(tr("Test report"), text);
}

void property_page_whole_farm::on_acreage_loop_test() {
    std::string text;
    {
        wait_cursor busy;
        text = acreage_loop_report(model_->session(), model_->current());
    }
    if (copy_text_to_clipboard(text, this, clipboard_wording::page)) copied(tr("Acreage loop report"), text);
}

void property_page_whole_farm::on_b_value_dump() {
    std::string text;
    {
        wait_cursor busy;
        text = b_value_dump(model_->session(), model_->current());
    }
    if (copy_text_to_clipboard(text, this, clipboard_wording::page)) copied(tr("B value dump"), text);
}

}  // namespace zelmora
