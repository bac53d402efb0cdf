#pragma once
// The last tab of the property sheet: enterprise units per crop and the
// whole-farm unit, with the whole-farm worksheet and three diagnostic reports.
#include <array>
#include <string>

#include "data/crops.h"
#include "ui/property_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace zelmora {

class farm_model;
class static_decimal;

class property_page_whole_farm : public property_page {
    Q_OBJECT
public:
    static constexpr int rows = crop_count + 1;  // nine crops, then the whole farm
    static constexpr int whole_farm_row = crop_count;

    explicit property_page_whole_farm(farm_model* model, QWidget* parent = nullptr);

    void on_change();
    void on_copy();
    void on_test();
    void on_acreage_loop_test();
    void on_b_value_dump();

Q_SIGNALS:
    // A short line for the status bar: what a button copied.
    void status_message(const QString& text);
    // An input of the page went into the farm.
    void farm_changed();

protected:
    void load_page() override;
    void store_page() override;
    void show_totals();
    // Per crop and for the farm, the basic and optional units summed, in dollars.
    void show_unit_sums();
    // Empties the figures of crops the county does not rate (left from another state or county).
    void clear_unrated_rows();
    void copied(const QString& what, const std::string& text);

private:
    std::array<static_decimal*, rows> guarantee_{};
    std::array<QComboBox*, rows> coverage_{};
    std::array<static_decimal*, rows> loaded_premium_{};
    std::array<static_decimal*, rows> total_premium_{};
    std::array<static_decimal*, rows> ra_subsidy_{};
    std::array<static_decimal*, rows> producer_premium_{};
    std::array<QComboBox*, rows> ppcl_{};
    QCheckBox* harvest_guarantee_ = nullptr;  // 1314
    QPushButton* copy_button_ = nullptr;      // 1206
    QPushButton* test_button_ = nullptr;      // 1315
    QPushButton* acreage_button_ = nullptr;   // 1316
    QPushButton* dump_button_ = nullptr;      // 1318
    QLabel* limit_note_ = nullptr;            // 1317
    // Guarantee, total premium, RA subsidy and producer premium of the units summed, per row.
    std::array<std::array<static_decimal*, 4>, rows> unit_sums_{};
    std::array<QLabel*, rows> unit_sum_names_{};

    farm_model* model_;
};

}  // namespace zelmora
