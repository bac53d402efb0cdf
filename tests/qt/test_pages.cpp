// The crop pages, the enterprise and whole-farm page, the malting barley
// dialog and the Test dialog on a document of the demo database.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "rating/reports.h"
#include "ui/dialog_error_list.h"
#include "ui/dialog_malting_barley.h"
#include "ui/dialog_test_state.h"
#include "ui/numeric_controls.h"
#include "ui/property_page_crop.h"
#include "ui/property_page_whole_farm.h"
#include "ui/propsheet_calculator.h"
#include "window_fixture.h"

namespace zelmora {

using testing::database_copy;
using testing::text_of;

namespace {

// Illinois, Adams county: Corn rates exist for type 997 and practice 3.
insurance_unit corn_unit(double aph_yield) {
    insurance_unit unit;
    unit.type_code = 997;
    unit.practice_code = 3;
    unit.aph_yield = aph_yield;
    unit.rate_yield = aph_yield;
    unit.acres = 100.0;
    unit.share = 1.0;
    return unit;
}

}  // namespace

class pages_test : public QObject {
    Q_OBJECT

    std::unique_ptr<database_copy> data_;
    std::unique_ptr<doc_zelmora> document_;

    farm_model& model() { return *document_->model(); }
    const farm_inputs& inputs() { return model().current().inputs; }
    const farm_rating& rated() { return model().rating(); }
    const insurance_unit& corn(std::size_t n) { return inputs().units[0][n]; }
    // The figures of a rated unit; zeros for a unit without them, which no shown text matches.
    premium_figures figures_of(int crop_number, int unit_number) {
        const unit_rating* unit = rated().unit(crop_number, unit_number);
        return unit && unit->figures ? *unit->figures : premium_figures{};
    }
    void set_corn(unit_list units) {
        testing::change_farm(model(), [&units](farm& f) { f.inputs.units[0] = std::move(units); });
    }

private Q_SLOTS:
    void init() {
        testing::clear_settings();
        dialog_error_list::set_replacement([](const std::string&) {});
        set_message_hook([](const QString& text) { QFAIL(qPrintable(text)); });
        data_ = std::make_unique<database_copy>();
        document_ = std::make_unique<doc_zelmora>();
        QVERIFY(testing::open_in_illinois(*document_, *data_));
    }
    void cleanup() {
        document_.reset();
        data_.reset();
        dialog_error_list::set_replacement({});
        set_message_hook({});
        set_modal_hook({});
    }

    void crop_page_rates_on_every_keystroke() {
        set_corn({corn_unit(150.0)});
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        QVERIFY(page->loaded());
        QCOMPARE(text_of(page, 1122), QStringLiteral("150.0"));
        QCOMPARE(text_of(page, 1126), QStringLiteral("1.000"));
        const QString guarantee = text_of(page, 1127);
        QVERIFY(!guarantee.isEmpty());
        QCOMPARE(guarantee, testing::shown_as(figures_of(1, 1).revenue_guarantee, 2));

        auto* aph = find_control_as<QLineEdit>(page, 1122);
        aph->setFocus();
        QTest::keyClick(aph, Qt::Key_0);  // 150.00
        QCOMPARE(corn(0).aph_yield.to_double(), 150.0);
        aph->setText(QStringLiteral("1,800.0"));
        QCOMPARE(corn(0).aph_yield.to_double(), 1800.0);
        QVERIFY(text_of(page, 1127) != guarantee);
        QCOMPARE(text_of(page, 1127),
                 testing::shown_as(figures_of(1, 1).revenue_guarantee, 2));
        QCOMPARE(text_of(page, 1129), testing::shown_as(figures_of(1, 1).total_premium, 0));
        // The figures shown are those of the farm as it now stands, rated afresh.
        const farm_rating afresh = document_->session.rate(model().current());
        const unit_rating* fresh = afresh.unit(1, 1);
        QVERIFY(fresh && fresh->figures);
        QCOMPARE(text_of(page, 1131), testing::shown_as(fresh->figures->producer_premium, 0));
    }

    void failing_unit_and_unused_rows_show_empty_results() {
        insurance_unit no_rates = corn_unit(150.0);
        no_rates.practice_code = 2;  // no rates in the county for this practice
        set_corn({corn_unit(150.0), no_rates, corn_unit(120.0)});
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        QVERIFY(!text_of(page, 1127).isEmpty());
        for (int id : {1138, 1139, 1140, 1141, 1142}) QVERIFY2(text_of(page, id).isEmpty(), qPrintable(QString::number(id)));
        QVERIFY(!text_of(page, 1149).isEmpty());
        for (int r = 3; r < 7; ++r) {
            QVERIFY(text_of(page, 1127 + 11 * r).isEmpty());
            QVERIFY(!find_control(page, 1122 + 11 * r)->isEnabled());
            QVERIFY(!find_control(page, 1375 + r)->isEnabled());
        }
        QVERIFY(find_control(page, 1122)->isEnabled());

        // The crop's sums, its enterprise unit and the whole farm would leave the
        // unit out: they are blank, and their tooltips name the unit.
        const QString missing = QStringLiteral("Corn unit 2: no rate for type 997 and practice 2 in this county");
        auto* units_sum = page->findChild<QLabel*>(QStringLiteral("crop_total_0_0"));
        QVERIFY(units_sum);
        QVERIFY(units_sum->text().isEmpty());
        QCOMPARE(units_sum->toolTip(), missing);
        sheet.show_page(9);
        property_page_whole_farm* whole = sheet.whole_farm_page();
        for (int id : {1216, 1307}) {
            QVERIFY2(text_of(whole, id).isEmpty(), qPrintable(QString::number(id)));
            QCOMPARE(find_control(whole, id)->toolTip(), missing);
        }
        set_corn({corn_unit(150.0)});
        propsheet_calculator rated_sheet(&model());
        rated_sheet.show_page(9);
        QVERIFY(!text_of(rated_sheet.whole_farm_page(), 1216).isEmpty());
        QVERIFY(find_control(rated_sheet.whole_farm_page(), 1216)->toolTip().isEmpty());
    }

    void lists_without_selection_keep_the_units_codes() {
        insurance_unit unit = corn_unit(150.0);
        unit.practice_code = 2;  // not offered: the practice list shows no selection
        set_corn({unit});
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        auto* types = find_control_as<combo_code>(page, 1375);
        auto* practices = find_control_as<combo_code>(page, 1382);
        QCOMPARE(practices->selected_code(), -1);
        QVERIFY(practices->count() > 0);
        find_control_as<QLineEdit>(page, 1125)->setText(QStringLiteral("55"));
        QCOMPARE(corn(0).acres.to_double(), 55.0);
        QCOMPARE(corn(0).practice_code, 2);
        QCOMPARE(corn(0).type_code, types->selected_code() == -1 ? 997 : types->selected_code());
        practices->setCurrentIndex(0);
        QCOMPARE(corn(0).practice_code, practices->itemData(0).toInt());
    }

    void pages_never_touch_units_past_the_seventh() {
        unit_list nine;
        for (int i = 0; i < 9; ++i) nine.push_back(corn_unit(100.0 + i));
        set_corn(nine);
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        QCOMPARE(text_of(page, 1122 + 11 * 6), QStringLiteral("106.0"));
        find_control_as<QLineEdit>(page, 1125)->setText(QStringLiteral("77"));
        sheet.accept();
        QCOMPARE(inputs().units[0].size(), std::size_t{9});
        QCOMPARE(corn(7).aph_yield.to_double(), 107.0);
        QCOMPARE(corn(8).acres.to_double(), 100.0);
        QCOMPARE(corn(0).acres.to_double(), 77.0);
    }

    void leaving_a_tab_stores_the_page() {
        set_corn({corn_unit(150.0)});
        propsheet_calculator sheet(&model());
        auto* sections = find_control_as<QLineEdit>(sheet.crop_page(1), 1113);
        sections->setText(QStringLiteral("4"));  // no change event of its own
        QCOMPARE(inputs().sections[0], 1);
        sheet.show_page(1);
        QCOMPARE(inputs().sections[0], 4);
        QVERIFY(sheet.crop_page(2)->loaded());
        QVERIFY(!sheet.crop_page(3)->loaded());
    }

    void factor_columns_and_the_malting_barley_button() {
        propsheet_calculator sheet(&model());
        QCOMPARE(sheet.tabs()->count(), 11);
        QCOMPARE(sheet.tabs()->tabText(9), QStringLiteral("Enterprise and Whole Farm Units"));
        QCOMPARE(sheet.tabs()->tabText(10), QStringLiteral("Compare Coverage"));
        QCOMPARE(sheet.tabs()->currentIndex(), 0);
        QCOMPARE(sheet.windowTitle(), QStringLiteral("Parameters"));
        const struct {
            int crop;
            int factor_id;
            bool malting_button;
        } cases[] = {
            {1, 0, false}, {3, 1329, false}, {4, 1354, false}, {6, 1329, true},
            {7, 1322, false}, {8, 1329, false}, {9, 1329, false},
        };
        for (const auto& expected : cases) {
            sheet.show_page(expected.crop - 1);
            property_page_crop* page = sheet.crop_page(expected.crop);
            QCOMPARE(sheet.tabs()->tabText(expected.crop - 1), QString::fromLatin1(crop_display_name(expected.crop)));
            for (int id : {1329, 1354, 1322}) QCOMPARE(find_control(page, id) != nullptr, id == expected.factor_id);
            QWidget* button = find_control(page, 1336);
            QCOMPARE(button != nullptr && !button->isHidden(), expected.malting_button);
        }
    }

    void crop_copy_puts_the_worksheet_on_the_clipboard() {
        set_corn({corn_unit(150.0)});
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        QGuiApplication::clipboard()->clear();
        find_control_as<QPushButton>(page, 1206)->click();
        const std::string expected = single_crop_worksheet(document_->session, model().current(), 1, true);
        QVERIFY(!expected.empty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(expected));
        // The worksheet is of the unit the page shows: its guarantee is in it.
        QVERIFY(expected.find(figures_of(1, 1).revenue_guarantee.to_text(2)) != std::string::npos);
    }

    void whole_farm_coverage_needs_two_whole_farm_crops() {
        for (bool two_crops : {false, true}) {
            testing::change_farm(model(), [two_crops](farm& f) {
                f.inputs.indicated.fill(false);
                f.inputs.indicated[0] = true;
                f.inputs.indicated[1] = two_crops;
            });
            QVERIFY(rated().in_whole_farm[0]);
            propsheet_calculator sheet(&model());
            sheet.show_page(9);
            property_page_whole_farm* page = sheet.whole_farm_page();
            QCOMPARE(find_control(page, 1308)->isEnabled(), two_crops && rated().in_whole_farm[1]);
            QVERIFY(find_control(page, 1210)->isEnabled());
            QVERIFY(!find_control(page, 1230)->isEnabled());
            QVERIFY(text_of(page, 1272).isEmpty());  // Spring Wheat not selected: no total premium
            QCOMPARE(find_control_as<QComboBox>(page, 1308)->currentText(), QStringLiteral("0.65"));
        }
    }

    void whole_farm_choices_store_and_copy_is_the_library_text() {
        testing::change_farm(model(), [](farm& f) {
            f.inputs.units[0] = {corn_unit(150.0)};
            f.inputs.units[1] = {corn_unit(45.0)};
            f.inputs.units[1][0].practice_code = 3;
        });
        propsheet_calculator sheet(&model());
        sheet.show_page(9);
        property_page_whole_farm* page = sheet.whole_farm_page();
        const exact_decimal at_65 = rated().enterprise.enterprise_revenue_guarantee[0];
        find_control_as<QComboBox>(page, 1210)->setCurrentIndex(3);
        QCOMPARE(inputs().coverage_enterprise[0], 80);
        find_control_as<QCheckBox>(page, 1314)->click();
        QVERIFY(inputs().harvest_guarantee_whole_farm);
        QVERIFY(rated().enterprise.enterprise_revenue_guarantee[0] > at_65);  // rated at 80%
        QCOMPARE(text_of(page, 1216),
                 testing::shown_as(rated().enterprise.enterprise_revenue_guarantee[0], 2));
        QCOMPARE(text_of(page, 1317), QString::fromStdString(rated().limit_note));

        QGuiApplication::clipboard()->clear();
        find_control_as<QPushButton>(page, 1206)->click();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromStdString(whole_farm_copy_text(document_->session, model().current())));
    }

    // The Test report rates a copy of the farm in the state the dialog picks: Cancel copies nothing, and
    // neither answer moves the farm out of its own state.
    void test_button_reports_on_the_chosen_state_and_leaves_the_farm() {
        propsheet_calculator sheet(&model());
        sheet.show_page(9);
        const farm before = model().current();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        int listed_counties = 0;
        int county_shown = 0;
        set_modal_hook([&](QDialog& dialog) {
            // It opens on the farm's county.
            auto* counties = find_control_as<QComboBox>(&dialog, 1011);
            listed_counties = counties->count();
            county_shown = counties->currentData().toInt();
            auto* states = find_control_as<QComboBox>(&dialog, 1010);
            states->setCurrentIndex(states->findData(19));
            return int(QDialog::Rejected);
        });
        find_control_as<QPushButton>(sheet.whole_farm_page(), 1315)->click();
        QCOMPARE(listed_counties, static_cast<int>(model().state().counties().size()));
        QCOMPARE(county_shown, 1);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        QVERIFY(model().current() == before);

        set_modal_hook([](QDialog& dialog) {
            auto* states = find_control_as<QComboBox>(&dialog, 1010);
            states->setCurrentIndex(states->findData(19));
            find_control_as<QLineEdit>(&dialog, 1238)->setText(QStringLiteral("5"));
            find_control_as<QLineEdit>(&dialog, 1240)->setText(QStringLiteral("5"));
            dialog.accept();
            return int(QDialog::Accepted);
        });
        find_control_as<QPushButton>(sheet.whole_farm_page(), 1315)->click();
        const QString report = QGuiApplication::clipboard()->text();
        QVERIFY(report.startsWith(QStringLiteral("State FIPS\t19\r\n")));
        QVERIFY(report.contains(QStringLiteral("\t000R0R\r\n")));
        QVERIFY(model().current() == before);

        // OK without choosing a state: the report is of the farm's own state.
        set_modal_hook([](QDialog& dialog) {
            dialog.accept();
            return int(QDialog::Accepted);
        });
        find_control_as<QPushButton>(sheet.whole_farm_page(), 1315)->click();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("State FIPS\t17\r\n")));
        QVERIFY(model().current() == before);
    }

    void malting_barley_dialog() {
        testing::change_farm(model(), [](farm& f) {
            f.inputs.units[5] = {corn_unit(60.0), corn_unit(55.0)};
            f.inputs.units[5][0].malting_barley_price = 3.5;
            f.inputs.units[5][1].malting_barley_price = 3.0;
            f.inputs.units[5][1].malting_barley_approved_yield = 70.0;
            f.inputs.units[5][1].malting_barley_acres = 20.0;
        });
        dialog_malting_barley dialog(nullptr, &model());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Malting Barley Endorsement"));
        QCOMPARE(text_of(&dialog, 1404), QStringLiteral("3.50"));
        QCOMPARE(text_of(&dialog, 1411), QStringLiteral("60.0"));
        QCOMPARE(text_of(&dialog, 1397), QStringLiteral("1.000"));
        QVERIFY(find_control(&dialog, 1405)->isEnabled());
        QVERIFY(!find_control(&dialog, 1406)->isEnabled());
        QVERIFY(text_of(&dialog, 1413).isEmpty());
        auto* option = find_control_as<QComboBox>(&dialog, 1432);
        QCOMPARE(option->currentText(), QStringLiteral("Option B"));
        option->setCurrentIndex(0);
        QCOMPARE(inputs().malting_barley_option, 1);
        find_control_as<QLineEdit>(&dialog, 1418)->setText(QStringLiteral("40"));
        QCOMPARE(inputs().units[5][0].malting_barley_acres.to_double(), 40.0);
        // Each row shows the endorsement of its own unit, as the library rates the farm now.
        const std::vector<malting_barley_figures> expected = rate_malting_barley(document_->session, model().current());
        QCOMPARE(expected.size(), std::size_t{2});
        QVERIFY(expected[1].liability > 0.0);
        for (int r = 0; r < 2; ++r) {
            const malting_barley_figures& row = expected[static_cast<std::size_t>(r)];
            auto shown = [&](int first_id) { return text_of(&dialog, first_id + 11 * r); };
            QCOMPARE(shown(1127), testing::shown_as(row.liability, 2));
            QCOMPARE(shown(1129), testing::shown_as(row.base_premium, 0));
            QCOMPARE(shown(1130), testing::shown_as(row.subsidy, 0));
            QCOMPARE(shown(1131), testing::shown_as(row.producer_premium, 0));
        }
        QGuiApplication::clipboard()->clear();
        find_control_as<QPushButton>(&dialog, 1206)->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(dialog.copy_text()));
        QCOMPARE(dialog.copy_text(), malting_barley_worksheets(document_->session, model().current()));
        QVERIFY(!QGuiApplication::clipboard()->text().isEmpty());
    }

    void malting_barley_dialog_without_barley_units() {
        testing::change_farm(model(), [](farm& f) { f.inputs.units[5].clear(); });
        dialog_malting_barley dialog(nullptr, &model());
        for (int r = 0; r < 7; ++r) {
            QVERIFY(!find_control(&dialog, 1425 + r)->isEnabled());
            QVERIFY(text_of(&dialog, 1397 + r).isEmpty());
        }
        QVERIFY(dialog.copy_text().empty());
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_pages_test() { return std::make_unique<zelmora::pages_test>(); }

#include "test_pages.moc"
