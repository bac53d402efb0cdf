#include "app/view_zelmora.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/doc_zelmora.h"
#include "rating/crop_units.h"
#include "ui/crop_offer.h"
#include "ui/farm_model.h"
#include "ui/demo_notice.h"
#include "ui/field_rules.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"
#include "utility/dropped_errors.h"

namespace zelmora {

namespace {

struct crop_row_ids {
    int crop_box, harvest_box, price, volatility, units, ppcl_5, ppcl_10;
};

constexpr std::array<crop_row_ids, crop_count> row_ids = {{
    {1007, 1092, 1000, 1006, 1004, 1014, 1017},
    {1008, 1094, 1001, 1009, 1005, 1019, 1024},
    {1025, 1096, 1002, 1036, 1106, 1022, 1027},
    {1029, 1098, 1039, 1054, 1107, 1057, 1060},
    {1031, 1100, 1041, 1062, 1108, 1065, 1068},
    {1035, 1102, 1044, 1070, 1109, 1073, 1076},
    {1090, 1104, 1079, 1084, 1110, 1086, 1088},
    {1012, 1097, 1080, 1085, 1111, 1089, 1093},
    {1013, 1099, 1081, 1087, 1112, 1091, 1095},
}};

}  // namespace

view_zelmora::view_zelmora(doc_zelmora* document, QWidget* parent) : QWidget(parent), document_(document) {
    build_form();
    if (document_) document_->attach_view(this);
}

view_zelmora::~view_zelmora() {
    if (document_) document_->detach_view(this);
}

void view_zelmora::build_form() {
    setWindowTitle(tr("Zelmora"));
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);

    // On the demo database, a band over everything says that its rates are invented.
    demo_notice_ = make_demo_notice(content);
    column->addWidget(demo_notice_);

    // State and county.
    auto* place = new QHBoxLayout;
    auto* state_label = new QLabel(tr("State"), content);
    state_list_ = with_id(new QComboBox(content), 1010);
    state_list_->setMinimumContentsLength(16);
    state_list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    state_label->setBuddy(state_list_);
    auto* county_label = new QLabel(tr("County"), content);
    county_list_ = with_id(new QComboBox(content), 1011);
    county_list_->setMinimumContentsLength(24);
    county_list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    county_list_->setMaxVisibleItems(20);
    county_label->setBuddy(county_list_);
    place->addWidget(state_label);
    place->addWidget(state_list_);
    place->addSpacing(24);
    place->addWidget(county_label);
    place->addWidget(county_list_);
    place->addStretch(1);
    column->addLayout(place);

    // Crops: Corn to Winter Wheat in one column, Cotton and Rice to their right.
    auto* crops = new QGroupBox(content);
    auto* crop_grid = new QGridLayout(crops);
    crop_grid->setHorizontalSpacing(18);
    for (int c = 1; c <= crop_count; ++c) {
        const auto& ids = row_ids[static_cast<std::size_t>(c - 1)];
        const QString name = QString::fromLatin1(crop_display_name(c));
        auto* box = with_id(new QCheckBox(name, crops), ids.crop_box);
        auto* harvest = with_id(new QCheckBox(tr("Harvest Guarantee Option for ") + name, crops), ids.harvest_box);
        crop_box_[static_cast<std::size_t>(c - 1)] = box;
        harvest_guarantee_[static_cast<std::size_t>(c - 1)] = harvest;
        const int row = c <= crop_winter_wheat ? c - 1 : c - crop_cotton;
        const int left = c <= crop_winter_wheat ? 0 : 2;
        crop_grid->addWidget(box, row, left);
        crop_grid->addWidget(harvest, row, left + 1);
        connect(box, &QCheckBox::clicked, this, &view_zelmora::on_crop_clicked);
    }
    crop_grid->setColumnStretch(4, 1);
    column->addWidget(crops);

    // Prices: one column per crop, one row per input; tab order runs along the rows.
    auto* prices = new QGroupBox(tr("PRICES"), content);
    auto* price_grid = new QGridLayout(prices);
    // Each column's own unit under its heading: the row label keeps its "$/bushel".
    for (int c = 1; c <= crop_count; ++c) {
        const QString unit = QString::fromLatin1(yield_unit(c));
        const QString tip = tr("%1 is priced in dollars per %2").arg(QString::fromLatin1(crop_display_name(c)), unit);
        auto* heading = new QLabel(QString::fromLatin1(crop_display_name(c)), prices);
        heading->setAlignment(Qt::AlignCenter);
        heading->setToolTip(tip);
        price_grid->addWidget(heading, 0, c);
        auto* unit_line = new QLabel(QStringLiteral("$/") + unit, prices);
        unit_line->setAlignment(Qt::AlignCenter);
        unit_line->setToolTip(tip);
        QFont small = unit_line->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        unit_line->setFont(small);
        unit_line->setEnabled(false);
        price_grid->addWidget(unit_line, 1, c);
    }
    const char* row_labels[] = {"RA Price ($/bushel):", "Price Volatility", "Number of Units", "PP Factor +5%",
                                "PP Factor +10%"};
    // What a refusal calls each row's field, after the crop's name.
    const char* field_names[] = {"price", "price volatility", "number of units", "PP factor +5%", "PP factor +10%"};
    for (int row = 0; row < 5; ++row) {
        price_grid->addWidget(new QLabel(tr(row_labels[row]), prices), row + 2, 0);
        for (int c = 1; c <= crop_count; ++c) {
            const auto i = static_cast<std::size_t>(c - 1);
            const auto& ids = row_ids[i];
            QWidget* field = nullptr;
            switch (row) {
            case 0:
                field = price_[i] = with_id(new edit_decimal(prices), ids.price);
                price_[i]->set_range(field_ranges::price);
                break;
            case 1:
                field = price_volatility_[i] = with_id(new edit_decimal(prices), ids.volatility);
                price_volatility_[i]->set_range(field_ranges::factor);
                break;
            case 2:
                field = units_[i] = with_id(new edit_integer(prices), ids.units);
                field->setToolTip(tr("0 to 7 units; the units are entered with Show Crops"));
                units_[i]->set_range(field_ranges::units);
                break;
            case 3:
                field = ppcl_factor_5_[i] = with_id(new edit_decimal(prices), ids.ppcl_5);
                ppcl_factor_5_[i]->set_range(field_ranges::factor);
                break;
            default:
                field = ppcl_factor_10_[i] = with_id(new edit_decimal(prices), ids.ppcl_10);
                ppcl_factor_10_[i]->set_range(field_ranges::factor);
                break;
            }
            field->setAccessibleName(QString::fromLatin1(crop_display_name(c)) + QLatin1Char(' ') +
                                     tr(row_labels[row]));
            static_cast<number_field*>(field)->set_field_name(QString::fromLatin1(crop_display_name(c)) +
                                                              QLatin1Char(' ') + tr(field_names[row]));
            // Nine columns side by side must fit a 1024-pixel screen.
            if (auto* number = qobject_cast<edit_decimal*>(field)) {
                number->fit_to(row == 0 ? QStringLiteral("00,000.00") : QStringLiteral("000.00"));
            }
            if (row == 0) {
                field->setToolTip(tr("RA price in dollars per %1").arg(QString::fromLatin1(yield_unit(c))));
            }
            price_grid->addWidget(field, row + 2, c);
        }
    }
    for (int c = 1; c <= crop_count; ++c) price_grid->setColumnStretch(c, 1);
    column->addWidget(prices);

    // Maintenance of the rating database.
    auto* maintenance = new QHBoxLayout;
    show_state_inputs_ = with_id(new QPushButton(tr("Show State Inputs"), content), 1419);
    write_column_lookup_ = with_id(new QPushButton(tr("Write Column Lookup"), content), 1420);
    write_column_lookup_all_states_ =
        with_id(new QPushButton(tr("Write Column Lookup\nAll States"), content), 1421);
    write_county_list_ = with_id(new QPushButton(tr("Write County List"), content), 1422);
    write_all_county_lists_ = with_id(new QPushButton(tr("Write All County Lists"), content), 1423);
    maintenance->addStretch(1);
    for (QPushButton* button : {show_state_inputs_, write_column_lookup_, write_column_lookup_all_states_,
                                write_county_list_, write_all_county_lists_}) {
        button->setAutoDefault(false);
        button->setMinimumHeight(write_column_lookup_all_states_->sizeHint().height());
        maintenance->addWidget(button);
    }
    column->addLayout(maintenance);
    column->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(state_list_, &QComboBox::currentIndexChanged, this, &view_zelmora::on_state_changed);
    connect(county_list_, &QComboBox::currentIndexChanged, this, &view_zelmora::on_county_changed);
    // Whoever follows the farm (the Compare window) hears of an input once it is entered.
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        for (QLineEdit* field : std::initializer_list<QLineEdit*>{price_[i], price_volatility_[i], units_[i],
                                                                  ppcl_factor_5_[i], ppcl_factor_10_[i]}) {
            connect(field, &QLineEdit::editingFinished, this, &view_zelmora::inputs_changed);
        }
        connect(crop_box_[i], &QCheckBox::clicked, this, &view_zelmora::inputs_changed);
        connect(harvest_guarantee_[i], &QCheckBox::clicked, this, &view_zelmora::inputs_changed);
    }
    connect(state_list_, &QComboBox::currentIndexChanged, this, &view_zelmora::inputs_changed);
    connect(county_list_, &QComboBox::currentIndexChanged, this, &view_zelmora::inputs_changed);
    // Every change of a field marks the farm edited (a load blocks these signals).
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        for (QLineEdit* field : std::initializer_list<QLineEdit*>{price_[i], price_volatility_[i], units_[i],
                                                                 ppcl_factor_5_[i], ppcl_factor_10_[i]})
            connect(field, &QLineEdit::textChanged, this, &view_zelmora::note_edit);
        connect(harvest_guarantee_[i], &QCheckBox::toggled, this, &view_zelmora::note_edit);
        connect(crop_box_[i], &QCheckBox::toggled, this, &view_zelmora::note_edit);
    }
    if (document_) {
        doc_zelmora* doc = document_;
        connect(show_state_inputs_, &QPushButton::clicked, doc, [doc] { doc->on_show_state_inputs(); });
        connect(write_column_lookup_, &QPushButton::clicked, doc, [doc] { doc->on_write_column_lookup(); });
        connect(write_column_lookup_all_states_, &QPushButton::clicked, doc,
                [doc] { doc->on_write_column_lookup_all_states(); });
        connect(write_county_list_, &QPushButton::clicked, doc, [doc] { doc->on_write_county_list(); });
        connect(write_all_county_lists_, &QPushButton::clicked, doc, [doc] { doc->on_write_all_county_lists(); });
    }
}

void view_zelmora::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    initial_update();
}

void view_zelmora::initial_update() {
    if (loaded_ || !document_) return;
    model_ = document_->model();
    if (!model_) return;
    loaded_ = true;
    show_demo_notice(demo_notice_, document_->session.is_open() ? &document_->session.database() : nullptr);
    {
        exchange_lock lock(this);
        load_form();
    }
    // The farm as the form holds it is the one the window started with.
    document_->take_farm_as_opened();
}

void view_zelmora::reload_form() {
    if (!loaded_ || !model_) return;
    exchange_lock lock(this);
    load_form();
}

void view_zelmora::note_edit() {
    if (document_) document_->note_edit();
}

void view_zelmora::detach() {
    exchange_lock lock(this);
    if (document_) document_->detach_view(this);
    document_ = nullptr;
    model_ = nullptr;
    setEnabled(false);
}

void view_zelmora::load_form() {
    for (QPushButton* button : {write_county_list_, write_column_lookup_, write_column_lookup_all_states_,
                                show_state_inputs_}) {
        button->show();
    }
    state_list_->clear();
    for (int fips : rated_states) state_list_->addItem(to_qstring(state_name(fips)), fips);
    const farm_inputs& in = model_->current().inputs;
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        crop_box_[i]->setChecked(in.indicated[i]);
        harvest_guarantee_[i]->setChecked(in.harvest_guarantee[i]);
        price_[i]->set_value(in.price[i], price_places(static_cast<int>(i) + 1));
        price_volatility_[i]->set_value(in.price_volatility[i], 2);
        units_[i]->set_value(static_cast<int>(in.units[i].size()), true);
        ppcl_factor_5_[i]->set_value(in.ppcl_factor[0][i], 2);
        ppcl_factor_10_[i]->set_value(in.ppcl_factor[1][i], 2);
    }
    update_crop_boxes();
    show_state_and_counties();
}

void view_zelmora::store_inputs() {
    if (!model_ || !loaded_) return;
    farm f = model_->current();
    farm_inputs& in = f.inputs;
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        in.indicated[i] = crop_box_[i]->isChecked();
        // A field whose text is not a number within its range keeps the value it had before the edit.
        store_if_acceptable(price_[i], in.price[i]);
        store_if_acceptable(price_volatility_[i], in.price_volatility[i]);
        // The crop pages have seven unit rows: a count past them is refused like any
        // text out of range, and the crop keeps its units.
        if (units_[i]->acceptable()) set_unit_count(f, c, units_[i]->get_value());
        in.harvest_guarantee[i] = harvest_guarantee_[i]->isChecked();
        store_if_acceptable(ppcl_factor_5_[i], in.ppcl_factor[0][i]);
        store_if_acceptable(ppcl_factor_10_[i], in.ppcl_factor[1][i]);
    }
    // A price far from what the crop's unit makes plausible (a rice price per
    // hundredweight where the rates count pounds) is rated, with a warning.
    QString warning;
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        const auto implausible = implausible_price_warning(c, in.price[i]);
        if (implausible && in.indicated[i] && in.price[i] != model_->current().inputs.price[i] && warning.isEmpty())
            warning = QString::fromStdString(*implausible);
    }
    model_->set(f);
    if (!warning.isEmpty()) Q_EMIT status_message(warning);
}

void view_zelmora::on_update() {
    if (!model_) return;
    show_state_and_counties();
}

void view_zelmora::update_crop_boxes() {
    const farm& f = model_->current();
    const county_record* county = model_->state().find_county(f.inputs.county_fips);
    for (int c = 1; c <= crop_count; ++c) {
        const bool offered =
            county && model_->session().b_value_set_exists(f.state_fips, county->region_flag == -1, c);
        crop_box_[static_cast<std::size_t>(c - 1)]->setEnabled(offered);
        // A disabled box may show a tick of another county; an enabled one may still have no rates here.
        crop_box_[static_cast<std::size_t>(c - 1)]->setToolTip(
            crop_offer_note(crop_offer_in_county(model_->session(), f, c)));
    }
    update_crop_rows();
}

void view_zelmora::update_crop_rows() {
    const farm& f = model_->current();
    const county_record* county = model_->state().find_county(f.inputs.county_fips);
    for (int c = 1; c <= crop_count; ++c) {
        const bool enabled = county &&
                             model_->session().b_value_set_exists(f.state_fips, county->region_flag == -1, c) &&
                             crop_box_[static_cast<std::size_t>(c - 1)]->isChecked();
        enable_crop_row(c, enabled);
    }
}

void view_zelmora::enable_crop_row(int crop_number, bool enabled) {
    const auto i = static_cast<std::size_t>(crop_number - 1);
    for (QWidget* control : std::initializer_list<QWidget*>{price_[i], units_[i], price_volatility_[i],
                                                           harvest_guarantee_[i], ppcl_factor_5_[i],
                                                           ppcl_factor_10_[i]}) {
        control->setEnabled(enabled);
    }
}

void view_zelmora::apply_state_and_county() {
    const int position = state_list_->currentIndex();
    if (position < 0 || position >= rated_state_count) return;
    farm f = model_->current();
    f.state_fips = rated_states[static_cast<std::size_t>(position)];
    const state_record& state = model_->session().state(f.state_fips);
    // The county list still holds the previous state's counties: the position carries over
    // (county 1 when none is selected). A place the new state's list does not reach leaves
    // the farm without a county, never with a county its state lacks.
    const int county_position = county_list_->currentIndex();
    const int county_fips = county_position < 0 ? 1 : state.county_fips_at(county_position);
    f.inputs.county_fips = state.find_county(county_fips) ? county_fips : 0;
    model_->set(f);
}

QString view_zelmora::county_after_state_change(const QString& county_before) const {
    const farm& f = model_->current();
    const QString state = to_qstring(state_name(f.state_fips));
    const county_record* county = model_->state().find_county(f.inputs.county_fips);
    if (!county) {
        return county_before.isEmpty()
                   ? tr("%1: choose a county").arg(state)
                   : tr("%1: choose a county (its list has no county at the place of %2)").arg(state, county_before);
    }
    const QString now = to_qstring(county->county_name);
    return county_before.isEmpty()
               ? tr("%1: county %2 is selected").arg(state, now)
               : tr("%1: county %2 is selected, at the place of %3 in the county list").arg(state, now, county_before);
}

void view_zelmora::show_state_and_counties() {
    const farm& f = model_->current();
    QSignalBlocker quiet_state(state_list_);
    QSignalBlocker quiet_county(county_list_);
    for (int position = 0; position < state_list_->count() && position < rated_state_count; ++position) {
        if (state_list_->itemData(position).toInt() == f.state_fips) {
            state_list_->setCurrentIndex(position);
            break;
        }
    }
    fill_county_combo(&model_->state(), county_list_, f.inputs.county_fips);
}

void view_zelmora::on_state_changed() {
    if (!model_) return;
    const county_record* before = model_->state().find_county(model_->current().inputs.county_fips);
    const QString county_before = before ? to_qstring(before->county_name) : QString();
    apply_state_and_county();
    show_state_and_counties();
    update_crop_boxes();
    note_edit();
    // A county of the same place in the list is another county: the status line names it.
    Q_EMIT status_message(county_after_state_change(county_before));
}

void view_zelmora::on_county_changed() {
    if (!model_) return;
    apply_state_and_county();
    update_crop_boxes();
    note_edit();
}

void view_zelmora::on_crop_clicked() {
    if (!model_) return;
    store_inputs();
    update_crop_rows();
}

}  // namespace zelmora
