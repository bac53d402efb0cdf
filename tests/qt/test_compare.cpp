// The farm totals on the pages, the Compare Coverage window (the library's
// figures, a farm left as it was, following the pages and the form) and
// Edit > Copy on a page and in Compare.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <cmath>
#include <memory>
#include <string>

#include "rating/coverage_comparison.h"
#include "ui/compare_window.h"
#include "ui/comparison_view.h"
#include "ui/coverage_chart.h"
#include "ui/dialog_error_list.h"
#include "ui/numeric_controls.h"
#include "ui/property_page_compare.h"
#include "ui/property_page_crop.h"
#include "ui/property_page_whole_farm.h"
#include "ui/propsheet_calculator.h"
#include "window_fixture.h"

namespace zelmora {

using testing::database_copy;

namespace {

insurance_unit unit_of(double aph, double acres, double share, bool optional) {
    insurance_unit unit;
    unit.type_code = 997;
    unit.practice_code = 3;
    unit.aph_yield = aph;
    unit.rate_yield = aph;
    unit.acres = acres;
    unit.share = share;
    unit.optional_unit = optional;
    return unit;
}

// A number as a page shows it ("12,345.67"); 0 for an empty text.
double number_of(const QString& text) { return QString(text).remove(QLatin1Char(',')).toDouble(); }

QString label_text(QWidget* page, const QString& name) {
    auto* label = page->findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

QAction* action_named(QWidget& window, const QString& text) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (QString(action->text()).remove(QLatin1Char('&')) == text) return action;
    }
    return nullptr;
}

}  // namespace

class compare_test : public QObject {
    Q_OBJECT

    std::unique_ptr<database_copy> data_;
    std::unique_ptr<doc_zelmora> document_;

    farm_model& model() { return *document_->model(); }
    const farm_inputs& inputs() { return model().current().inputs; }

    // Corn with three units (one optional, one on half shares) and soybeans with one, in Illinois county 1.
    static void two_crop_farm(farm_model& model) {
        testing::change_farm(model, [](farm& f) {
            f.state_fips = 17;
            f.inputs.county_fips = 1;
            f.inputs.indicated.fill(false);
            f.inputs.indicated[0] = true;
            f.inputs.indicated[1] = true;
            f.inputs.units[0] = {unit_of(150.0, 100.0, 1.0, false), unit_of(160.0, 80.5, 0.5, true),
                                 unit_of(140.0, 40.0, 1.0, false)};
            f.inputs.units[1] = {unit_of(45.0, 120.0, 1.0, false)};
        });
    }

private Q_SLOTS:
    // A table without figures names the unit it would leave out; the farm's table
    // says which crops its whole-farm structure counts under their units.
    void tables_say_what_they_leave_out_and_count_outside() {
        comparison_table unrated{crop_corn, {}, {}, "Corn unit 2: no rate for type 998 and practice 3 in this county"};
        QCOMPARE(QString::fromStdString(comparison_table_html(unrated)),
                 QStringLiteral("<p>No figures: Corn unit 2: no rate for type 998 and practice 3 in this county.</p>\n"));
        comparison_table farm{0, {}, {crop_winter_wheat}, {}};
        comparison_row row{65, {}};
        row.cells[static_cast<std::size_t>(unit_structure::whole_farm_unit)].offered = true;
        row.cells[static_cast<std::size_t>(unit_structure::whole_farm_unit)].guarantee = 1000.0;
        farm.rows.push_back(row);
        QVERIFY(QString::fromStdString(comparison_table_html(farm))
                    .contains(QStringLiteral("Whole-farm unit: Winter Wheat is outside it and counted under its units as entered.")));
    }

    void init() {
        testing::clear_settings();
        dialog_error_list::set_replacement([](const std::string&) {});
        set_message_hook([](const QString& text) { QFAIL(qPrintable(text)); });
        data_ = std::make_unique<database_copy>();
        document_ = std::make_unique<doc_zelmora>();
        QVERIFY(document_->open_document(data_->path()));
        two_crop_farm(model());
    }
    void cleanup() {
        document_.reset();
        data_.reset();
        dialog_error_list::set_replacement({});
        set_message_hook({});
        set_modal_hook({});
    }

    // The crop page's sum is the unit rows it shows: guarantee per acre x acres x share, and the dollars summed.
    void crop_page_totals_are_its_unit_rows_summed() {
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        double guarantee = 0.0;
        double premium = 0.0;
        double subsidy = 0.0;
        double producer = 0.0;
        for (int r = 0; r < 3; ++r) {
            const insurance_unit& unit = inputs().units[0][static_cast<std::size_t>(r)];
            const double per_acre = number_of(find_control_as<QLabel>(page, 1127 + 11 * r)->text());
            QVERIFY(per_acre > 0.0);
            guarantee += std::round(per_acre * unit.acres.to_double() * unit.share.to_double());
            premium += number_of(find_control_as<QLabel>(page, 1129 + 11 * r)->text());
            subsidy += number_of(find_control_as<QLabel>(page, 1130 + 11 * r)->text());
            producer += number_of(find_control_as<QLabel>(page, 1131 + 11 * r)->text());
        }
        QCOMPARE(number_of(label_text(page, QStringLiteral("crop_total_0_0"))), guarantee);
        QCOMPARE(number_of(label_text(page, QStringLiteral("crop_total_0_1"))), premium);
        QCOMPARE(number_of(label_text(page, QStringLiteral("crop_total_0_2"))), subsidy);
        QCOMPARE(number_of(label_text(page, QStringLiteral("crop_total_0_3"))), producer);
        QCOMPARE(premium - subsidy, producer);
        // The enterprise line is the whole-farm page's corn row, in dollars of the whole crop.
        const premium_figures enterprise = model().rating().enterprise_figures(1);
        QCOMPARE(number_of(label_text(page, QStringLiteral("crop_total_1_1"))), enterprise.total_premium.to_double());
        QCOMPARE(number_of(label_text(page, QStringLiteral("crop_total_1_3"))), enterprise.producer_premium.to_double());
        const double acre_shares = 100.0 + 80.5 * 0.5 + 40.0;
        QCOMPARE(number_of(label_text(page, QStringLiteral("crop_total_1_0"))),
                 std::round(enterprise.revenue_guarantee.to_double() * acre_shares));

        // A change of a unit moves the sum at once.
        find_control_as<QLineEdit>(page, 1125)->setText(QStringLiteral("200"));
        QVERIFY(number_of(label_text(page, QStringLiteral("crop_total_0_1"))) > premium);
    }

    // A unit that cannot be rated shows no figures and adds nothing, even after it had figures.
    // A unit without figures leaves the crop's sums blank rather than short; the tooltip says which unit.
    void a_unit_without_figures_leaves_the_crop_sums_blank() {
        insurance_unit no_practice = unit_of(160.0, 80.0, 1.0, false);
        no_practice.practice_code = 2;  // not offered in the county
        testing::change_farm(model(), [](farm& f) {
            f.inputs.units[0] = {unit_of(150.0, 100.0, 1.0, false), unit_of(160.0, 80.0, 1.0, false)};
        });
        QVERIFY(model().rating().unit(1, 2)->figures);  // rated once, with figures
        testing::change_farm(model(), [&no_practice](farm& f) { f.inputs.units[0][1] = no_practice; });
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        QVERIFY(!model().rating().unit(1, 2)->figures);
        QVERIFY(!model().rating().unit(1, 2)->reason.empty());
        QVERIFY(find_control_as<QLabel>(page, 1129 + 11)->text().isEmpty());
        for (const char* sum : {"crop_total_0_1", "crop_total_0_3", "crop_total_1_1"}) {
            QVERIFY2(label_text(page, QString::fromLatin1(sum)).isEmpty(), sum);
            QCOMPARE(page->findChild<QLabel*>(QString::fromLatin1(sum))->toolTip(),
                     QStringLiteral("Corn unit 2: no rate for type 997 and practice 2 in this county"));
        }
    }

    // The whole-farm page: a row per ticked crop with the sums its page shows, and the farm's row their sum.
    void whole_farm_page_sums_each_crop_and_the_farm() {
        propsheet_calculator sheet(&model());
        sheet.show();
        sheet.show_page(crop_count);
        property_page_whole_farm* farm = sheet.whole_farm_page();
        for (int k = 0; k < 4; ++k) {
            double crops = 0.0;
            for (int c = 1; c <= 2; ++c) {
                sheet.show_page(c - 1);
                const QString on_crop_page = label_text(sheet.crop_page(c), QStringLiteral("crop_total_0_%1").arg(k));
                QCOMPARE(label_text(farm, QStringLiteral("unit_sum_%1_%2").arg(c - 1).arg(k)), on_crop_page);
                crops += number_of(on_crop_page);
            }
            QCOMPARE(number_of(label_text(farm, QStringLiteral("unit_sum_%1_%2").arg(crop_count).arg(k))), crops);
        }
        sheet.show_page(crop_count);
        QVERIFY(farm->findChild<QLabel*>(QStringLiteral("unit_sum_0_0"))->isVisible());
        QVERIFY(!farm->findChild<QLabel*>(QStringLiteral("unit_sum_2_0"))->isVisible());  // wheat is not ticked
        QVERIFY(farm->findChild<QLabel*>(QStringLiteral("unit_sum_9_0"))->isVisible());
    }

    // The window shows the library's comparison of the farm, and rating it leaves the farm as it was.
    void compare_window_shows_the_comparison_and_leaves_the_farm_alone() {
        testing::change_farm(model(), [](farm& f) {
            f.inputs.coverage[0] = 70;
            f.inputs.coverage_enterprise[0] = 80;
        });
        const farm before = model().current();
        const farm_rating rated_before = model().rating();
        QVERIFY(rated_before.unit(1, 2) && rated_before.unit(1, 2)->figures);
        compare_window window(&model());
        QVERIFY(model().current() == before);
        // The copies rated beside it leave nothing in the session that rates the farm otherwise.
        const farm_rating rated_after = document_->session.rate(model().current());
        QCOMPARE(rated_after.enterprise_figures(1).producer_premium.to_double(),
                 rated_before.enterprise_figures(1).producer_premium.to_double());
        QCOMPARE(rated_after.unit(1, 2)->figures->total_premium.to_double(),
                 rated_before.unit(1, 2)->figures->total_premium.to_double());
        QCOMPARE(rated_after.whole_farm_figures().total_premium.to_double(),
                 rated_before.whole_farm_figures().total_premium.to_double());
        const std::vector<comparison_table> expected = compare_coverage(document_->session, model().current());
        QVERIFY(!expected.empty());
        QCOMPARE(comparison_tsv(window.tables()), comparison_tsv(expected));
        QCOMPARE(window.current_table(), 0);
        const QString shown = window.table_view()->toPlainText();
        for (const comparison_row& row : expected.front().rows) {
            QVERIFY(shown.contains(QStringLiteral("%1%").arg(row.coverage_level)));
            for (const comparison_cell& cell : row.cells) {
                if (!cell.offered) continue;
                const QString guarantee = QStringLiteral("$") + QString::fromStdString(insert_separators(cell.guarantee.to_text(0)));
                QVERIFY2(shown.contains(guarantee), qPrintable(guarantee));
            }
        }
        // A crop has no whole-farm column; the farm's table has one when the whole farm is offered.
        QVERIFY(!shown.contains(QStringLiteral("Whole-farm unit")));
        window.show_table(static_cast<int>(expected.size()) - 1);
        QCOMPARE(expected.back().crop_number, 0);
        QVERIFY(expected.back().offers(unit_structure::whole_farm_unit));  // corn and soybeans
        QVERIFY(window.table_view()->toPlainText().contains(QStringLiteral("Whole-farm unit")));
    }

    // A change on a page, or on the form, shows in the open window; the window's table follows it.
    void compare_follows_the_pages_and_the_form() {
        main_frame frame;
        child_frame* window = frame.open_document(data_->path());
        QVERIFY(window);
        farm_model& farm = *window->document()->model();
        two_crop_farm(farm);
        for (int c : {1, 2}) {
            const std::size_t units = farm.current().inputs.units[static_cast<std::size_t>(c - 1)].size();
            find_control_as<QLineEdit>(window->view(), 1003 + c)->setText(QString::number(units));
        }
        for (int id : {1007, 1008}) find_control_as<QCheckBox>(window->view(), id)->setChecked(true);  // corn, soybeans
        QAction* compare = action_named(frame, QStringLiteral("Compare Coverage"));
        QVERIFY(compare && compare->isEnabled());
        compare->trigger();
        compare_window* comparison = main_frame::comparison_of(window);
        QVERIFY(comparison);
        // Titled by the farm it compares, renamed with it.
        QCOMPARE(comparison->windowTitle(), QStringLiteral("Compare Coverage - Untitled farm"));
        QTemporaryDir folder;
        std::string error;
        QVERIFY(window->document()->save_farm(folder.filePath(QStringLiteral("smith.ini")).toStdString(), error));
        QCOMPARE(comparison->windowTitle(), QStringLiteral("Compare Coverage - smith"));
        comparison->show_table(1);  // soybeans stays shown through the changes
        const std::string before = comparison_tsv(comparison->tables());

        set_modal_hook([](QDialog& dialog) {
            auto* sheet = qobject_cast<propsheet_calculator*>(&dialog);
            if (sheet) find_control_as<QLineEdit>(sheet->crop_page(1), 1125)->setText(QStringLiteral("400"));
            return int(QDialog::Accepted);
        });
        window->document()->on_show_crops();
        const std::string after_page = comparison_tsv(comparison->tables());
        QVERIFY(after_page != before);
        QCOMPARE(farm.current().inputs.units[0][0].acres.to_double(), 400.0);
        QCOMPARE(after_page, comparison_tsv(compare_coverage(window->document()->session, farm.current())));
        QCOMPARE(comparison->current_table(), 1);

        auto* price = find_control_as<QLineEdit>(window->view(), 1000);  // corn's price
        price->setText(QStringLiteral("3.50"));
        Q_EMIT price->editingFinished();
        QCOMPARE(farm.current().inputs.price[0].to_double(), 3.5);
        const std::string after_form = comparison_tsv(comparison->tables());
        QVERIFY(after_form != after_page);
        QCOMPARE(after_form, comparison_tsv(compare_coverage(window->document()->session, farm.current())));

        // One window per database: the command shows the open one again.
        compare->trigger();
        QCOMPARE(window->findChildren<compare_window*>().size(), 1);
    }

    // The Parameters sheet opens on its first page and has the comparison as its last page,
    // after the enterprise and whole-farm page; shown again after an edit of a crop page, it
    // has the tables of the farm as changed, the table shown kept.
    void the_sheet_compare_page_follows_the_other_pages() {
        propsheet_calculator sheet(&model());
        QCOMPARE(sheet.tabs()->currentIndex(), 0);
        QCOMPARE(sheet.tabs()->tabText(propsheet_calculator::compare_index), QStringLiteral("Compare Coverage"));
        QCOMPARE(propsheet_calculator::compare_index, propsheet_calculator::whole_farm_index + 1);
        comparison_view* view = sheet.compare_page()->view();
        sheet.show_page(propsheet_calculator::compare_index);
        const std::string before = comparison_tsv(view->tables());
        QCOMPARE(before, comparison_tsv(compare_coverage(document_->session, model().current())));
        view->show_table(1);  // soybeans
        QCOMPARE(view->chart()->table().crop_number, view->tables()[1].crop_number);

        sheet.show_page(0);
        find_control_as<QLineEdit>(sheet.crop_page(1), 1125)->setText(QStringLiteral("400"));
        QCOMPARE(inputs().units[0][0].acres.to_double(), 400.0);
        sheet.show_page(propsheet_calculator::compare_index);
        const std::string after = comparison_tsv(view->tables());
        QVERIFY(after != before);
        QCOMPARE(after, comparison_tsv(compare_coverage(document_->session, model().current())));
        QCOMPARE(view->current_table(), 1);
    }

    // Edit > Copy puts the comparison on the clipboard as text and HTML; on a page the keys copy its worksheet.
    void edit_copy_copies_the_comparison_and_the_page_worksheet() {
        main_frame frame;
        child_frame* window = frame.open_document(data_->path());
        QVERIFY(window);
        two_crop_farm(*window->document()->model());
        for (int id : {1004, 1005}) find_control_as<QLineEdit>(window->view(), id)->setText(QStringLiteral("1"));
        for (int id : {1007, 1008}) find_control_as<QCheckBox>(window->view(), id)->setChecked(true);
        QAction* copy = action_named(frame, QStringLiteral("Copy"));
        QVERIFY(copy && copy->isEnabled());
        action_named(frame, QStringLiteral("Compare Coverage"))->trigger();
        compare_window* comparison = main_frame::comparison_of(window);
        QApplication::clipboard()->clear();
        copy->trigger();
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied);
        QCOMPARE(copied->text().toStdString(), comparison_tsv(comparison->tables()));
        QVERIFY(copied->hasHtml());
        QCOMPARE(copied->html().count(QStringLiteral("<table")), static_cast<int>(comparison->tables().size()));

        propsheet_calculator sheet(&model());
        sheet.show();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        auto* coverage = find_control_as<QComboBox>(sheet.crop_page(1), 1105);
        coverage->setFocus();
        QTest::keyClick(coverage, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text().toStdString(), sheet.crop_page(1)->copy_text());
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_compare_test() { return std::make_unique<zelmora::compare_test>(); }

#include "test_compare.moc"
