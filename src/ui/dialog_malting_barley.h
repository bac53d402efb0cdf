#pragma once
// The malting barley endorsement of the Barley units: per unit the feed
// barley APH yield and share, the endorsement's three inputs and its
// results; option A or B; Copy puts every unit's worksheet on the clipboard.
#include <array>
#include <string>

#include <QDialog>

#include "rating/farm.h"

class QComboBox;
class QPushButton;

namespace zelmora {

class edit_decimal;
class farm_model;
class static_decimal;

class dialog_malting_barley : public QDialog {
    Q_OBJECT
public:
    static constexpr int rows = max_units_per_crop;

    // Every change goes into the model's farm at once.
    dialog_malting_barley(QWidget* parent, farm_model* model);

    void accept() override;
    std::string copy_text();

private:
    void load_dialog();
    void store_dialog();
    void show_endorsement();
    void on_change();
    void on_copy();
    int rows_in_use() const;
    const unit_list& barley_units() const;

    QComboBox* option_list_ = nullptr;  // 1432
    std::array<static_decimal*, rows> liability_{};
    std::array<static_decimal*, rows> producer_premium_{};
    std::array<static_decimal*, rows> total_premium_{};
    std::array<static_decimal*, rows> ra_subsidy_{};
    std::array<static_decimal*, rows> dollar_amount_{};
    std::array<static_decimal*, rows> share_{};
    std::array<static_decimal*, rows> feed_aph_yield_{};
    std::array<edit_decimal*, rows> malting_aph_yield_{};
    std::array<edit_decimal*, rows> malting_price_{};
    std::array<edit_decimal*, rows> malting_acres_{};
    QPushButton* copy_button_ = nullptr;  // 1206

    farm_model* model_;
    bool loaded_ = false;
};

}  // namespace zelmora
