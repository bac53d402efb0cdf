#pragma once
// A coverage comparison as the windows show it: a tab per table (each crop with
// units, then the farm), the table shown beside its chart, and a note under
// them. The Compare Coverage window and the Compare page of the Parameters
// sheet are each built around one.
#include <vector>

#include <QWidget>

#include "rating/coverage_comparison.h"

class QHBoxLayout;
class QLabel;
class QTabBar;
class QTextBrowser;

namespace zelmora {

class coverage_chart_widget;

class comparison_view : public QWidget {
    Q_OBJECT
public:
    explicit comparison_view(QWidget* parent = nullptr);

    // Shows these tables; the table shown stays shown when it is still there
    // (a crop, or the farm), and the table keeps its place when scrolled.
    void show_tables(const std::vector<comparison_table>& tables);
    const std::vector<comparison_table>& tables() const { return tables_; }

    // The table shown (and drawn in the chart); -1 when there is none.
    int current_table() const;
    void show_table(int index);
    QTextBrowser* table_view() const { return table_view_; }
    coverage_chart_widget* chart() const { return chart_; }
    // A widget (a Copy button) to the right of the note.
    void add_beside_note(QWidget* widget);

private:
    void show_current();

    std::vector<comparison_table> tables_;
    QTabBar* tabs_ = nullptr;
    QTextBrowser* table_view_ = nullptr;
    coverage_chart_widget* chart_ = nullptr;
    QLabel* note_ = nullptr;
    QHBoxLayout* bottom_ = nullptr;
};

}  // namespace zelmora
