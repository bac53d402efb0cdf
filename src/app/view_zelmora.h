#pragma once
// The input form of a rating database: state and county, the crops grown,
// the harvest guarantee options, and per crop the RA price, the price
// volatility, the number of units and the prevented planting factors; and
// the five maintenance buttons, whose commands the document carries out.
#include <array>

#include <QString>
#include <QWidget>

#include "data/crops.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace zelmora {

class doc_zelmora;
class edit_decimal;
class edit_integer;
class farm_model;

class view_zelmora : public QWidget {
    Q_OBJECT
public:
    explicit view_zelmora(doc_zelmora* document, QWidget* parent = nullptr);
    ~view_zelmora() override;

    // First display: takes the document's farm and loads the form (once).
    void initial_update();
    // After the property sheet: re-selects the farm's state and county.
    void on_update();
    // Another farm was put into the window: every field shows it.
    void reload_form();
    // Writes the form's fields into the farm.
    void store_inputs();
    // The document is going: the form no longer reaches it.
    void detach();

    doc_zelmora* document() const { return document_; }
    // The band that says the rates are invented (shown on the demo database only).
    QLabel* demo_notice() const { return demo_notice_; }

Q_SIGNALS:
    void status_message(const QString& text);
    // A field, box or list of the form was changed (not yet stored into the farm).
    void inputs_changed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build_form();
    void load_form();
    void update_crop_boxes();
    void update_crop_rows();
    void enable_crop_row(int crop_number, bool enabled);
    void apply_state_and_county();
    // What the status line says after a change of state: the county now
    // selected and the one whose place in the list it took, or to choose one.
    QString county_after_state_change(const QString& county_before) const;
    void show_state_and_counties();
    void on_state_changed();
    void on_county_changed();
    void on_crop_clicked();
    void note_edit();

    template <class T>
    using per_crop = std::array<T*, crop_count>;

    QPushButton* write_county_list_ = nullptr;              // 1422
    QPushButton* write_column_lookup_ = nullptr;            // 1420
    QPushButton* write_column_lookup_all_states_ = nullptr; // 1421
    QPushButton* show_state_inputs_ = nullptr;              // 1419
    QPushButton* write_all_county_lists_ = nullptr;         // 1423
    per_crop<edit_decimal> ppcl_factor_5_{};
    per_crop<edit_decimal> ppcl_factor_10_{};
    per_crop<edit_decimal> price_volatility_{};
    per_crop<edit_integer> units_{};
    per_crop<edit_decimal> price_{};
    per_crop<QCheckBox> harvest_guarantee_{};
    per_crop<QCheckBox> crop_box_{};
    QComboBox* state_list_ = nullptr;   // 1010
    QComboBox* county_list_ = nullptr;  // 1011
    QLabel* demo_notice_ = nullptr;

    doc_zelmora* document_;
    farm_model* model_ = nullptr;
    bool loaded_ = false;
};

}  // namespace zelmora
