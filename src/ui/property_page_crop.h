#pragma once
// The crop pages of the property sheet: a crop's coverage, prevented
// planting coverage and sections farmed, and a grid of seven unit rows with
// their inputs and their rating results.
#include <array>
#include <string>

#include "rating/farm.h"
#include "ui/property_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace zelmora {

class combo_code;
class edit_decimal;
class edit_integer;
class farm_model;
class static_decimal;

inline constexpr int unit_rows = max_units_per_crop;

// What sets the four page classes apart.
struct crop_page_layout {
    const char* factor_heading = nullptr;  // the extra factor column, "FN or FO\nFactor" and the like
    const char* factor_name = nullptr;     // its fields in a refusal, "FN or FO factor"
    std::array<int, unit_rows> factor_ids{};
    exact_decimal insurance_unit::* factor_field = nullptr;
    bool recompute_before_copy = true;
    bool labels_with_colon = true;
};

class property_page_crop : public property_page {
    Q_OBJECT
public:
    property_page_crop(farm_model* model, int crop_number, QWidget* parent = nullptr);

    int crop_number() const { return crop_number_; }

    // Writes the page into the farm and shows the farm's rating.
    void on_change();
    void on_copy();
    // The text Copy puts on the clipboard.
    std::string copy_text();

Q_SIGNALS:
    // A short line for the status bar: why a row has no figures, what was copied.
    void status_message(const QString& text);
    // An input of the page went into the farm.
    void farm_changed();

protected:
    property_page_crop(farm_model* model, int crop_number, const crop_page_layout& layout, QWidget* parent);

    void load_page() override;
    void store_page() override;
    void show_results();
    void clear_result_row(int row);
    // The crop's units summed, and its enterprise unit, in dollars.
    void show_crop_totals();
    // Tooltips on the result texts of rows without figures, and one line for the status bar.
    void explain_rows(const std::array<bool, unit_rows>& rated);
    void show_crop_offer();
    // Room below the grid for a page's own buttons.
    void add_below_grid(QWidget* widget);

    int unit_rows_in_use() const;

    std::array<combo_code*, unit_rows> type_lists_{};
    std::array<combo_code*, unit_rows> practice_lists_{};
    std::array<edit_decimal*, unit_rows> written_agreement_{};
    std::array<static_decimal*, unit_rows> ra_subsidy_{};
    QPushButton* copy_button_ = nullptr;
    std::array<static_decimal*, unit_rows> loaded_premium_{};
    std::array<static_decimal*, unit_rows> total_premium_{};
    std::array<static_decimal*, unit_rows> revenue_guarantee_{};
    std::array<static_decimal*, unit_rows> producer_premium_{};
    std::array<edit_decimal*, unit_rows> share_{};
    std::array<edit_decimal*, unit_rows> aph_yield_{};
    std::array<edit_decimal*, unit_rows> rate_yield_{};
    std::array<edit_decimal*, unit_rows> acres_{};
    std::array<edit_decimal*, unit_rows> factor_{};
    std::array<QCheckBox*, unit_rows> optional_unit_{};
    QComboBox* ppcl_list_ = nullptr;      // 1114
    QComboBox* coverage_list_ = nullptr;  // 1105
    edit_integer* sections_ = nullptr;    // 1113
    QLabel* sections_label_ = nullptr;    // 1423
    QLabel* offer_note_ = nullptr;        // "No rates in this county" and the like
    // Guarantee, total premium, RA subsidy and producer premium of the units summed ([0]) and of the
    // enterprise unit ([1]).
    std::array<std::array<static_decimal*, 4>, 2> crop_totals_{};

    // The crop's units as the farm holds them.
    const unit_list& units() const;

    int crop_number_;
    farm_model* model_;
    crop_page_layout layout_;

private:
    void build_page();
    QVBoxLayout* column_ = nullptr;
    bool said_problem_ = false;  // the status line was last told of a row without figures
};

// Spring Wheat, Barley, Cotton and Rice: the FN or FO factor column and, on
// the Barley page, the malting barley endorsement.
class property_page_crop_barley_spring_wheat : public property_page_crop {
    Q_OBJECT
public:
    property_page_crop_barley_spring_wheat(farm_model* model, int crop_number, QWidget* parent = nullptr);
    void on_malting_barley();

protected:
    void load_page() override;

private:
    QPushButton* malting_barley_button_ = nullptr;  // 1336
};

// Canola: the CR option factor column.
class property_page_crop_canola : public property_page_crop {
    Q_OBJECT
public:
    property_page_crop_canola(farm_model* model, int crop_number, QWidget* parent = nullptr);
};

// Winter Wheat: the short rate factor column.
class property_page_crop_winter_wheat : public property_page_crop {
    Q_OBJECT
public:
    property_page_crop_winter_wheat(farm_model* model, int crop_number, QWidget* parent = nullptr);
};

}  // namespace zelmora
