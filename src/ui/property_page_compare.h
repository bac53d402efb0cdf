#pragma once
// The Compare Coverage page of the property sheet, after the enterprise and
// whole-farm page: the comparison of the Compare Coverage window (its tables
// and chart), following every change the other pages make to the farm.
#include "ui/property_page.h"

class QLabel;

namespace zelmora {

class comparison_view;
class farm_model;

class property_page_compare : public property_page {
    Q_OBJECT
public:
    explicit property_page_compare(farm_model* model, QWidget* parent = nullptr);

    comparison_view* view() const { return view_; }
    // Puts the comparison on the clipboard (text and HTML), as the window's Copy.
    void on_copy();

Q_SIGNALS:
    // What Copy put on the clipboard.
    void status_message(const QString& text);

protected:
    void load_page() override;
    // Nothing to store: the page only shows the farm.
    void store_page() override {}
    void shown_again() override;

private:
    // The farm changed: shown at once when the page is the one shown, else when it is next shown.
    void on_farm_changed();
    void show_comparison();

    farm_model* model_;
    comparison_view* view_ = nullptr;
    QLabel* demo_notice_ = nullptr;
    bool stale_ = true;
};

}  // namespace zelmora
