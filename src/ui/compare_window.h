#pragma once
// The Compare Coverage window: for the farm of a window, per crop with units and
// for the whole farm, the premiums at each coverage level under each unit
// structure, as a table and as a chart (a comparison_view). It rates copies of
// the farm (never changing it) through the farm's model; refresh() shows the
// comparison again after a change.
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "rating/coverage_comparison.h"

class QLabel;
class QMimeData;
class QTextBrowser;

namespace zelmora {

class comparison_view;
class coverage_chart_widget;
class farm_model;

// The comparison tables as an HTML document: one table per crop and for the
// farm, the cheapest structure at each level in bold on a shaded cell.
std::string comparison_html(const std::vector<comparison_table>& tables);
// One table as an HTML table (the window shows it under the table's tab).
std::string comparison_table_html(const comparison_table& table);

// What Copy puts on the clipboard: the tables as tab-separated text and as HTML.
std::unique_ptr<QMimeData> comparison_mime_data(const std::vector<comparison_table>& tables);

// The name of a table's tab and heading: the crop's name, or "Farm (all crops)".
QString comparison_table_name(const comparison_table& table);

class compare_window : public QWidget {
    Q_OBJECT
public:
    explicit compare_window(farm_model* model, QWidget* parent = nullptr);

    // Shows the comparison of the farm as it is now (rated once per change of
    // the farm, whatever else shows it).
    void refresh();
    // The farm's window is going: this one keeps its last tables and rates no more.
    void detach() { model_ = nullptr; }
    // Puts the tables on the clipboard (plain text and HTML); false when there are none.
    bool copy_to_clipboard();

    const std::vector<comparison_table>& tables() const;
    // The table shown (and drawn in the chart); -1 when there is none.
    int current_table() const;
    void show_table(int index);
    QTextBrowser* table_view() const;
    coverage_chart_widget* chart() const;
    comparison_view* view() const { return view_; }
    // The band that says the rates are invented (shown on the demo database only).
    QLabel* demo_notice() const { return demo_notice_; }

Q_SIGNALS:
    void status_message(const QString& text);

private:
    farm_model* model_;
    comparison_view* view_ = nullptr;
    QLabel* demo_notice_ = nullptr;
};

}  // namespace zelmora
