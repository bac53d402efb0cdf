// Numeric fields, code and coverage lists, the Test dialog's patterns, the
// error list and the clipboard.
#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

#include "data/state_record.h"
#include "rating/rating_session.h"
#include "rating/input_rules.h"
#include "ui/clipboard.h"
#include "ui/coverage_chart.h"
#include "ui/dialog_error_list.h"
#include "ui/dialog_test_state.h"
#include "ui/numeric_controls.h"
#include "ui/window_services.h"

namespace zelmora {

class controls_test : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void separators_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("millions with decimals") << "1234567.891" << "1,234,567.891";
        QTest::newRow("negative") << "-1234.5" << "-1,234.5";
        QTest::newRow("three digits") << "999" << "999";
        QTest::newRow("four digits") << "1000" << "1,000";
        QTest::newRow("decimals untouched") << "12.34567" << "12.34567";
        QTest::newRow("six digits") << "123456" << "123,456";
        QTest::newRow("empty") << "" << "";
    }
    void separators() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(insert_separators(text.toStdString())), expected);
        QCOMPARE(QString::fromStdString(remove_separators(expected.toStdString())), text);
    }

    void decimal_field_reads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("separators") << "1,234.5" << 1234.5;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("leading number") << "2.5x" << 2.5;
    }
    void decimal_field_reads() {
        QFETCH(QString, text);
        QFETCH(double, value);
        edit_decimal field;
        field.setText(text);
        QCOMPARE(field.get_value().to_double(), value);
    }

    void decimal_texts() {
        edit_decimal field;
        field.set_value(1234.5, 1);
        QCOMPARE(field.text(), QStringLiteral("1,234.5"));
        field.set_value(-0.5, 2);
        QCOMPARE(field.text(), QStringLiteral("-0.50"));
        static_decimal result;
        result.set_value(12345.4, 0);
        QCOMPARE(result.text(), QStringLiteral("12,345"));
        QVERIFY(result.alignment() & Qt::AlignRight);
        edit_integer count;
        count.set_value(12345, false);
        QCOMPARE(count.text(), QStringLiteral("12345"));
        count.set_value(12345, true);
        QCOMPARE(count.text(), QStringLiteral("12,345"));
        QCOMPARE(count.get_value(), 12345);
        count.setText(QStringLiteral("x"));
        QCOMPARE(count.get_value(), 0);
        edit_long code;
        code.setText(QStringLiteral("1,000"));
        QCOMPARE(code.get_value(), 1000L);
    }

    // Each kind of field takes the range of every input key it edits, read from the key's rule row.
    void field_ranges_are_those_of_the_keys_they_edit() {
        const struct {
            const field_range* range;
            std::vector<const char*> keys;
        } cases[] = {
            {&field_ranges::share, {"Crop Share"}},
            {&field_ranges::written_agreement, {"Written Agreement"}},
            {&field_ranges::acres, {"Crop Acres", "Malting Barley Acres"}},
            {&field_ranges::yield, {"APH Yield", "Rate Yield", "Malting Barley Approved Yield"}},
            {&field_ranges::price, {"Price", "Malting Barley"}},
            {&field_ranges::factor, {"Price Volatility", "PP Factor 5", "PP Factor 10", "FN or FO", "CR Option",
                                     "Short Rate"}},
        };
        for (const auto& c : cases) {
            for (const char* key : c.keys) {
                const input_rule* rule = find_input_rule(key);
                QVERIFY2(rule, key);
                QVERIFY2(c.range->low == rule->minimum && c.range->high == rule->maximum, key);
            }
        }
        QCOMPARE(QString::fromStdString(range_text(field_ranges::acres)), QStringLiteral("Acres: 0 to 1,000,000"));
        QCOMPARE(QString::fromStdString(range_text(field_ranges::factor)), QStringLiteral("Factor: 0 to 10"));
    }

    void code_list_widens_its_drop_down() {
        combo_code list;
        const QString long_text = QStringLiteral("43 Non-Irrigated Summer Fallow and a good deal more");
        list.add_code_item(QStringLiteral("2 Irrigated"), 2);
        list.add_code_item(long_text, 43);
        const int width = QFontMetrics(list.font()).horizontalAdvance(long_text);
        QCOMPARE(list.widest(), width);
        QCOMPARE(list.view()->minimumWidth(), width + 22);
        list.setCurrentIndex(1);
        QCOMPARE(list.selected_code(), 43);
        list.reset_content();
        QCOMPARE(list.widest(), 0);
        QCOMPARE(list.view()->minimumWidth(), 0);
        QCOMPARE(list.selected_code(), -1);
    }

    void coverage_lists() {
        QComboBox list;
        fill_coverage_combo(&list, 75);
        QCOMPARE(list.count(), 5);
        QCOMPARE(list.currentIndex(), 2);
        fill_coverage_combo(&list, 72);
        QCOMPARE(list.currentIndex(), -1);
        int level = 80;
        coverage_from_combo(&list, level);
        QCOMPARE(level, 80);  // no selection leaves the level
        list.setCurrentIndex(4);
        coverage_from_combo(&list, level);
        QCOMPARE(level, 85);

        // A county without high coverage: 0.65 to 0.75 and no selection for a saved 80.
        state_record state;
        state.set_state_fips(17);
        county_record county;
        county.state_fips = 17;
        county.county_fips = 1;
        county.county_name = "Adams";
        state.insert_county(county);
        fill_coverage_combo_limited(&list, 80, &state, 1, 1);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.currentIndex(), -1);
        fill_coverage_combo_limited(&list, 70, &state, 1, 1);
        QCOMPARE(list.currentIndex(), 1);
    }

    void combination_patterns_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("harvest");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("63") << "63" << false << "RRRRRR";
        QTest::newRow("63 with harvest") << "63" << true << "CCCCCC";
        QTest::newRow("0") << "0" << false << "000000";
        QTest::newRow("5") << "5" << false << "000R0R";
        QTest::newRow("1,000 reads as 1000, past the last code") << "1,000" << false << "R0R000";
    }
    void combination_patterns() {
        QFETCH(QString, typed);
        QFETCH(bool, harvest);
        QFETCH(QString, pattern);
        const rating_session closed;  // no database: the dialog has no states' counties to offer
        int state = 17, county = 1, low = 1, high = 63;
        dialog_test_state dialog(nullptr, closed, state, county, low, high, harvest);
        auto* low_field = find_control_as<QLineEdit>(&dialog, 1238);
        auto* high_field = find_control_as<QLineEdit>(&dialog, 1240);
        QVERIFY(low_field && high_field);
        QCOMPARE(low_field->text(), QStringLiteral("1"));
        QCOMPARE(find_control_as<QLabel>(&dialog, 1244)->text(),
                 QString::fromLatin1(harvest ? "CCCCCC" : "RRRRRR"));
        low_field->setText(typed);
        QCOMPARE(find_control_as<QLabel>(&dialog, 1242)->text(), pattern);
        high_field->setText(typed);
        QCOMPARE(find_control_as<QLabel>(&dialog, 1244)->text(), pattern);
        dialog.accept();
        if (find_control_as<edit_long>(&dialog, 1238)->get_value() > 63) {
            // A code past the last one is refused: nothing is stored and the dialog stays open.
            QCOMPARE(low, 1);
            QCOMPARE(high, 63);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            return;
        }
        QCOMPARE(low, find_control_as<edit_long>(&dialog, 1238)->get_value());
        QCOMPARE(high, low);
        QCOMPARE(county, 0);  // no state record: no county
        QCOMPARE(state, 17);
    }

    void error_list_copies_exactly_its_text() {
        const std::string text = "ERROR, first line.\r\nERROR, second line.\r\n";
        dialog_error_list dialog(nullptr, "", "", text);
        auto* field = find_control_as<QPlainTextEdit>(&dialog, 29);
        QVERIFY(field);
        QVERIFY(field->toPlainText().contains(QStringLiteral("second line.")));
        QCOMPARE(find_control_as<QPushButton>(&dialog, 1)->text(), QStringLiteral("OK"));
        QVERIFY(find_control(&dialog, 2));
        find_control_as<QPushButton>(&dialog, 36)->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(text));

        dialog_error_list renamed(nullptr, "", "Close", "");
        QCOMPARE(find_control_as<QPushButton>(&renamed, 1)->text(), QStringLiteral("Close"));
    }

    void clipboard_takes_the_text() {
        QVERIFY(copy_text_to_clipboard("a\tb\r\nc\r\n", nullptr));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\tb\r\nc\r\n"));
    }

    // The chart draws a series for each structure offered and none for one that
    // is not; the widget paints the same picture as the image the quote uses.
    void coverage_chart_draws_the_offered_structures() {
        comparison_table table;
        table.crop_number = 1;
        for (const int level : {65, 70, 75}) {
            comparison_row row{level, {}};
            for (const unit_structure s : {unit_structure::units_as_entered, unit_structure::enterprise_unit}) {
                comparison_cell& cell = row.cells[static_cast<std::size_t>(s)];
                cell.offered = true;
                cell.producer_premium_per_acre = level / (s == unit_structure::units_as_entered ? 5.0 : 8.0);
            }
            table.rows.push_back(row);
        }
        const QImage image = coverage_chart_image(table, QSize(400, 240), 1.0).convertToFormat(QImage::Format_RGB32);
        auto has_colour = [&image](QColor colour) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) == colour) return true;
            return false;
        };
        QVERIFY(has_colour(QColor(31, 91, 168)));   // units as entered
        QVERIFY(has_colour(QColor(200, 100, 20)));  // enterprise unit
        QVERIFY(!has_colour(QColor(40, 140, 60)));  // whole-farm unit: not offered

        coverage_chart_widget widget;
        widget.resize(400, 240);
        widget.set_table(table);
        QCOMPARE(widget.grab().toImage().convertToFormat(QImage::Format_RGB32), image);
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_controls_test() { return std::make_unique<zelmora::controls_test>(); }

#include "test_controls.moc"
