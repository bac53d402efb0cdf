#pragma once
// The Outcomes window: what the farm's coverage pays. One outcome (a harvest
// price and a yield per crop, each a field with a slider) with its payout,
// producer premium and net under each structure and a Copy of its payout
// worksheet; the outcome table of the farm or a crop under one structure with
// the break-even points; and the expected figures of the comparison under the
// payout model, whose parameters are edited here and kept by the farm's
// document. It follows the farm (refresh()) and never changes it.
//
// The expected figures are drawn in the background: a change of the farm or
// of the parameters rates the farm at each level at once (quickly, on this
// thread, which owns the rating session) and hands the draws to a worker
// thread; the window stays usable and shows "Estimating..." until the figures
// of the latest farm and parameters arrive. Figures of a farm changed since
// are dropped.
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QWidget>

#include "rating/coverage_comparison.h"
#include "rating/payout.h"
#include "rating/payout_simulation.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QSlider;
class QTabWidget;
class QTextBrowser;
class QTimer;

namespace zelmora {

class edit_decimal;
class farm_model;

// The outcome table as an HTML table (a cell pays: shaded; its net beneath
// the payout), with the break-even points under it.
std::string outcome_table_html(const outcome_table& table);
// The payout, producer premium and net of one outcome per crop (units,
// enterprise unit) and for the farm (each structure offered).
std::string outcome_payout_html(const outcome_payout& paid);
// The comparison's lines with their expected figures, a table per crop and the farm.
std::string expected_comparison_html(const std::vector<comparison_table>& tables, const expected_payouts& expected);

class outcomes_window : public QWidget {
    Q_OBJECT
public:
    outcomes_window(farm_model* model, const payout_model& parameters, QWidget* parent = nullptr);
    // Waits for a draw still running (its figures are dropped).
    ~outcomes_window() override;
    outcomes_window(const outcomes_window&) = delete;
    outcomes_window& operator=(const outcomes_window&) = delete;

    // The farm changed: its payouts again, the chosen outcome kept where its crops are.
    void refresh();
    // The farm's window is going: this one keeps what it shows and rates no more.
    void detach();

    // The model's parameters as the window holds them.
    const payout_model& parameters() const { return parameters_; }
    // Parameters from the document (another farm opened): shown, and the figures drawn again.
    void set_parameters(const payout_model& parameters);
    // How many draws, from which seed, on how many threads (tests draw fewer).
    void set_simulation_settings(const simulation_settings& settings);

    // What the window shows.
    const payout_farm& farm() const { return farm_; }
    outcome chosen_outcome() const;
    const outcome_payout& payout() const { return payout_; }
    const outcome_table& table() const { return table_; }
    // The expected figures of the farm and parameters as they are; none while they are drawn.
    const std::optional<expected_payouts>& expected() const { return expected_; }
    const std::vector<comparison_table>& comparison() const { return comparison_; }
    bool estimating() const { return estimating_; }

    // The controls (for tests): a crop's harvest price and yield fields and
    // sliders (nullptr for a crop without units), the parameters' fields in the
    // order of payout_model_rules, the table's choices and the views.
    edit_decimal* price_field(int crop_number) const;
    edit_decimal* yield_field(int crop_number) const;
    QSlider* price_slider(int crop_number) const;
    QSlider* yield_slider(int crop_number) const;
    edit_decimal* parameter_field(std::size_t index) const { return parameter_fields_.at(index); }
    QLabel* parameter_note() const { return parameter_note_; }
    QComboBox* table_choice() const { return table_choice_; }
    QComboBox* structure_choice() const { return structure_choice_; }
    QTextBrowser* payout_view() const { return payout_view_; }
    QTextBrowser* table_view() const { return table_view_; }
    QTextBrowser* expected_view() const { return expected_view_; }
    QTabWidget* tabs() const { return tabs_; }
    // The band that says the rates are invented (shown on the demo database only).
    QLabel* demo_notice() const { return demo_notice_; }

    // Puts the payout worksheet of the outcome on the clipboard; false when there is none.
    bool copy_worksheet();
    // Puts the expected figures on the clipboard (tab-separated); false while there are none.
    bool copy_expected();
    // Every crop back at its RA price and APH yield.
    void reset_outcome();

Q_SIGNALS:
    // The user changed a parameter to a model the draws can use.
    void parameters_edited(const zelmora::payout_model& parameters);
    void status_message(const QString& text);
    // The expected figures of the farm and parameters as they are have arrived.
    void expected_ready();

private:
    // One crop's row of the outcome: its price and yield, a field and a slider each.
    struct crop_row {
        int crop_number = 0;
        exact_decimal ra_price;
        QLabel* name = nullptr;
        edit_decimal* price = nullptr;
        QSlider* price_change = nullptr;
        edit_decimal* yield = nullptr;
        QSlider* yield_percent = nullptr;
    };

    QWidget* make_outcome_side();
    QWidget* make_table_tab();
    QWidget* make_expected_tab();
    void rebuild_crop_rows();
    crop_row* row_of(int crop_number);
    const crop_row* row_of(int crop_number) const;
    void price_typed(crop_row& row);
    void price_slid(crop_row& row, int change);
    void yield_typed(crop_row& row);
    void yield_slid(crop_row& row, int percent);
    void parameter_typed();
    void show_parameters();
    void show_payout();
    void fill_table_choices();
    void show_table();
    // The figures shown are no longer those of the farm and parameters: drawn again shortly.
    void figures_outdated();
    // Rates the levels and starts the draws (or marks them wanted while others run).
    void estimate();
    void take_expected(expected_payouts figures, unsigned long generation);
    void show_expected();

    farm_model* model_;
    payout_model parameters_;
    simulation_settings settings_;
    payout_farm farm_;
    outcome_payout payout_;
    outcome_table table_;
    std::vector<comparison_table> comparison_;
    std::optional<expected_payouts> expected_;
    unsigned long generation_ = 0;  // of the farm and parameters; figures of another are dropped
    bool estimating_ = false;
    bool drawing_ = false;        // a worker is drawing
    bool syncing_ = false;        // the parameters' fields are being filled, not typed in
    std::jthread worker_;

    std::vector<crop_row> rows_;
    QWidget* crop_area_ = nullptr;
    QGridLayout* crop_grid_ = nullptr;
    QLabel* demo_notice_ = nullptr;
    QTextBrowser* payout_view_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QComboBox* table_choice_ = nullptr;
    QComboBox* structure_choice_ = nullptr;
    QTextBrowser* table_view_ = nullptr;
    std::vector<edit_decimal*> parameter_fields_;
    QLabel* parameter_note_ = nullptr;
    QLabel* expected_status_ = nullptr;
    QTextBrowser* expected_view_ = nullptr;
    QLabel* assumptions_ = nullptr;
    QTimer* estimate_timer_ = nullptr;
};

}  // namespace zelmora
