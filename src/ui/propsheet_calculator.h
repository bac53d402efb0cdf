#pragma once
// The "Parameters" sheet of "Show Crops": nine crop pages, the enterprise
// and whole-farm page and the Compare Coverage page, with OK and Cancel.
#include <array>

#include <QDialog>

#include "data/crops.h"

class QLabel;
class QTabWidget;

namespace zelmora {

class farm_model;
class number_field;
class property_page;
class property_page_compare;
class property_page_crop;
class property_page_whole_farm;

class propsheet_calculator : public QDialog {
    Q_OBJECT
public:
    explicit propsheet_calculator(farm_model* model, QWidget* parent = nullptr);

    // The tabs after the nine crop pages.
    static constexpr int whole_farm_index = crop_count;
    static constexpr int compare_index = crop_count + 1;

    property_page_crop* crop_page(int crop_number) const;
    property_page_whole_farm* whole_farm_page() const { return whole_farm_page_; }
    property_page_compare* compare_page() const { return compare_page_; }
    QTabWidget* tabs() const { return tabs_; }
    // Shows a page as its tab would: the page left is stored, the page shown is loaded once.
    void show_page(int index);

    // OK: a page's field that refuses its text keeps the sheet open on it and
    // says why; otherwise the page shown is stored and the sheet closes.
    void accept() override;
    // Edit > Copy's keys on a page: the page's worksheet, as its Copy button.
    void copy_current_page();

    // The line under the pages that says why a row has no figures or what was copied.
    QLabel* status_line() const { return status_line_; }

Q_SIGNALS:
    void status_message(const QString& text);
    // A page stored a change of the farm.
    void farm_changed();

private:
    void add_page_shortcuts();
    void step_page(int step);
    void show_status(const QString& text);
    void mark_unrated_tabs();
    void on_tab_changed(int index);
    property_page* page_at(int index) const;
    // Shows the first field of a loaded page that refuses its text (the page
    // shown first) and gives it the focus; nullptr when there is none.
    number_field* show_refused_field();

    std::array<property_page_crop*, crop_count> crop_pages_{};
    property_page_whole_farm* whole_farm_page_ = nullptr;
    property_page_compare* compare_page_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* status_line_ = nullptr;
    farm_model* model_ = nullptr;
    int current_ = -1;
};

}  // namespace zelmora
