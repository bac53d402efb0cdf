#pragma once
// The Test dialog of the whole-farm page: a state, a county and the range
// of crop-combination codes of the Test report.
#include <string>

#include <QDialog>

class QComboBox;
class QLabel;

namespace zelmora {

class rating_session;

class edit_long;

// Six characters for the bits 32, 16, 8, 4, 2, 1 of `code`: 'C' (harvest option) or 'R' for a set bit, '0' for a clear one.
std::string combination_pattern(long code, bool harvest_guarantee);

class dialog_test_state : public QDialog {
    Q_OBJECT
public:
    // With OK the chosen state, county and codes go back to the four references;
    // Cancel leaves them as they were.
    dialog_test_state(QWidget* parent, const rating_session& session, int& state_fips, int& county_fips, int& low,
                      int& high, bool harvest_guarantee);

    // A state rated with the four crops Corn, Soybeans, Cotton and Rice: codes 0..15.
    void set_four_crop_state(bool four_crop);

    void accept() override;

private:
    void describe_codes();
    void load_dialog();
    void store_dialog();
    void on_low_changed();
    void on_high_changed();
    void on_test_state_changed(int position);

    QComboBox* state_list_ = nullptr;
    QComboBox* county_list_ = nullptr;
    QLabel* high_pattern_ = nullptr;  // 1244
    QLabel* low_pattern_ = nullptr;   // 1242
    edit_long* high_field_ = nullptr; // 1240
    edit_long* low_field_ = nullptr;  // 1238
    QLabel* pattern_note_ = nullptr;
    QLabel* low_label_ = nullptr;
    QLabel* high_label_ = nullptr;
    bool four_crop_ = false;
    const rating_session& session_;
    int shown_state_;  // the state whose counties the county list shows
    int& state_fips_;
    int& county_fips_;
    int& low_;
    int& high_;
    bool harvest_guarantee_;
};

}  // namespace zelmora
