// What an edit on the windows costs and what it keeps: one keystroke on a crop
// page rates the farm once and reads no table (with Compare Coverage open, its
// copies are rated once more), a field that is not edited gives back its exact
// value however it is shown, and a refused text leaves the value from before
// the edit.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "rating/coverage_comparison.h"
#include "ui/compare_window.h"
#include "ui/comparison_view.h"
#include "ui/dialog_error_list.h"
#include "ui/dialog_malting_barley.h"
#include "ui/numeric_controls.h"
#include "ui/property_page_compare.h"
#include "ui/property_page_crop.h"
#include "ui/propsheet_calculator.h"
#include "window_fixture.h"

namespace zelmora {

using testing::database_copy;
using testing::text_of;

namespace {

insurance_unit unit_of(double aph, double acres, double share) {
    insurance_unit unit;
    unit.type_code = 997;
    unit.practice_code = 3;  // rated in Illinois, Adams county
    unit.aph_yield = aph;
    unit.rate_yield = aph;
    unit.acres = acres;
    unit.share = share;
    return unit;
}

// Corn with two units and soybeans with one, in Illinois county 1.
farm two_crop_farm() {
    farm f = default_farm();
    f.state_fips = 17;
    f.inputs.county_fips = 1;
    f.inputs.indicated.fill(false);
    f.inputs.indicated[0] = true;
    f.inputs.indicated[1] = true;
    f.inputs.units[0] = {unit_of(150.0, 100.0, 1.0), unit_of(160.0, 80.0, 0.5)};
    f.inputs.units[1] = {unit_of(45.0, 120.0, 1.0)};
    return f;
}

QAction* action_named(QWidget& window, const QString& text) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (QString(action->text()).remove(QLatin1Char('&')) == text) return action;
    }
    return nullptr;
}

// Shows a dialog the way a user meets it: on screen and active, so that its fields take the focus.
bool show_active(QDialog& dialog) {
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

}  // namespace

class editing_test : public QObject {
    Q_OBJECT

    std::unique_ptr<database_copy> data_;

    // A window of the frame holding the farm as if opened from a file: the form shows it, and it is
    // the farm as saved (not marked modified).
    child_frame* open_window_with(main_frame& frame, const farm& f) {
        child_frame* window = frame.open_document(data_->path());
        if (!window || !window->document()->model()) return nullptr;
        window->document()->model()->set(f);
        window->view()->reload_form();
        window->document()->take_farm_as_saved();
        return window->document()->model()->current() == f ? window : nullptr;
    }

private Q_SLOTS:
    void init() {
        testing::clear_settings();
        dialog_error_list::set_replacement([](const std::string&) {});
        set_message_hook([](const QString& text) { QFAIL(qPrintable(text)); });
        set_save_question_hook([](const QString&) { return save_choice::discard; });
        data_ = std::make_unique<database_copy>();
    }
    void cleanup() {
        data_.reset();
        dialog_error_list::set_replacement({});
        set_message_hook({});
        set_save_question_hook({});
        set_modal_hook({});
    }

    // A keystroke in a unit's field of a crop page rates the farm once and loads no table (the county
    // list, the surcharges and the rates records are the session's already). With Compare Coverage open
    // its ten copies are rated too, once, and its tables are those of the farm as changed. The sheet's
    // Compare page, shown before, rates nothing more: the copies are rated once for the window and the
    // page, and the page has the tables of the farm as changed when it is shown again.
    void one_keystroke_rates_the_farm_once_and_the_comparison_once() {
        const struct {
            bool compare_open;
            bool compare_page;
            long fewest_ratings;
            long most_ratings;
        } cases[] = {{false, false, 1, 1}, {true, false, 2, 11}, {false, true, 1, 1}, {true, true, 2, 11}};
        for (const auto& c : cases) {
            const QString name = QStringLiteral("Compare %1, its page %2")
                                     .arg(c.compare_open ? QStringLiteral("open") : QStringLiteral("closed"),
                                          c.compare_page ? QStringLiteral("shown") : QStringLiteral("not shown"));
            main_frame frame;
            child_frame* window = open_window_with(frame, two_crop_farm());
            QVERIFY(window);
            doc_zelmora& document = *window->document();
            farm_model& model = *document.model();
            compare_window* comparison = nullptr;
            if (c.compare_open) {
                action_named(frame, QStringLiteral("Compare Coverage"))->trigger();
                comparison = main_frame::comparison_of(window);
                QVERIFY(comparison);
            }
            rating_session::activity_counts before;
            rating_session::activity_counts after;
            std::string page_tables;
            long page_ratings = 0;
            set_modal_hook([&](QDialog& dialog) {
                auto* sheet = qobject_cast<propsheet_calculator*>(&dialog);
                if (!sheet || !show_active(*sheet)) return int(QDialog::Rejected);
                if (c.compare_page) {
                    sheet->show_page(propsheet_calculator::compare_index);
                    sheet->show_page(0);
                }
                auto* aph = find_control_as<QLineEdit>(sheet->crop_page(1), 1122);
                aph->setFocus();
                before = document.session.activity();
                QTest::keyClick(aph, Qt::Key_5);  // 150.0 -> 150.05
                after = document.session.activity();
                if (c.compare_page) {
                    page_ratings = document.session.activity().ratings;
                    sheet->show_page(propsheet_calculator::compare_index);
                    page_ratings = document.session.activity().ratings - page_ratings;
                    page_tables = comparison_tsv(sheet->compare_page()->view()->tables());
                }
                return int(QDialog::Accepted);
            });
            document.on_show_crops();
            QCOMPARE(model.current().inputs.units[0][0].aph_yield.to_double(), 150.05);
            const long ratings = after.ratings - before.ratings;
            qInfo("%s: %ld ratings, %ld table loads, %ld records read for one keystroke", qPrintable(name), ratings,
                  after.table_loads - before.table_loads, after.record_reads - before.record_reads);
            QVERIFY2(ratings >= c.fewest_ratings && ratings <= c.most_ratings,
                     qPrintable(name + QStringLiteral(": %1 ratings").arg(ratings)));
            QCOMPARE(after.table_loads, before.table_loads);
            QCOMPARE(after.record_reads, before.record_reads);
            if (comparison) {
                QCOMPARE(comparison_tsv(comparison->tables()),
                         comparison_tsv(compare_coverage(document.session, model.current())));
            }
            if (c.compare_page) {
                QCOMPARE(page_tables, comparison_tsv(compare_coverage(document.session, model.current())));
                // With the window open, the page shows the copies the window had rated.
                if (c.compare_open) QCOMPARE(page_ratings, 0L);
            }
        }
    }

    // Fields show fewer places than the farm holds. Opening the sheet, going through its pages and the
    // malting barley dialog and closing both with OK, without typing, stores every field: each gives back
    // the exact value it was given, so the farm is unchanged and not marked modified.
    void fields_not_edited_keep_their_exact_values() {
        farm f = two_crop_farm();
        insurance_unit& corn = f.inputs.units[0][0];
        corn.acres = 100.25;
        corn.share = 0.8333;
        corn.aph_yield = 151.37;
        corn.rate_yield = 148.44;
        corn.written_agreement_rate = 0.1234;
        f.inputs.price[0] = 2.125;
        f.inputs.price_volatility[0] = 0.215;
        f.inputs.ppcl_factor[0][0] = 1.025;
        f.inputs.indicated[crop_barley - 1] = true;
        insurance_unit barley = unit_of(60.0, 50.0, 1.0);
        barley.fn_or_fo_factor = 0.975;
        barley.malting_barley_price = 3.125;
        barley.malting_barley_acres = 20.125;
        barley.malting_barley_approved_yield = 70.25;
        f.inputs.units[crop_barley - 1] = {barley};

        main_frame frame;
        child_frame* window = open_window_with(frame, f);
        QVERIFY(window);
        doc_zelmora& document = *window->document();
        const farm opened = document.model()->current();
        QCOMPARE(opened.inputs.units[0][0].acres.to_double(), 100.25);
        QCOMPARE(opened.inputs.price[0].to_double(), 2.125);
        QVERIFY(!window->isWindowModified());

        QStringList shown;
        set_modal_hook([&shown](QDialog& dialog) {
            if (auto* barley_dialog = qobject_cast<dialog_malting_barley*>(&dialog)) {
                for (int id : {1404, 1418, 1425}) shown << text_of(barley_dialog, id);
                barley_dialog->accept();
                return int(QDialog::Accepted);
            }
            auto* sheet = qobject_cast<propsheet_calculator*>(&dialog);
            if (!sheet) return int(QDialog::Rejected);
            for (int id : {1125, 1126, 1122, 1123, 1132}) shown << text_of(sheet->crop_page(1), id);
            for (int index : {1, crop_barley - 1, crop_count, 0}) sheet->show_page(index);
            shown << text_of(sheet->crop_page(crop_barley), 1329);
            find_control_as<QPushButton>(sheet->crop_page(crop_barley), 1336)->click();
            sheet->accept();
            return int(QDialog::Accepted);
        });
        document.on_show_crops();
        // The texts are rounded: what went back into the farm is not what was shown.
        QCOMPARE(shown, QStringList({QStringLiteral("100.2"), QStringLiteral("0.833"), QStringLiteral("151.4"),
                                     QStringLiteral("148.4"), QStringLiteral("0.12"), QStringLiteral("0.97"),
                                     QStringLiteral("3.12"), QStringLiteral("20.12"), QStringLiteral("70.2")}));
        QCOMPARE(text_of(window->view(), 1000), QStringLiteral("2.12"));
        QVERIFY(document.model()->current() == opened);
        QVERIFY(!document.farm_modified());
        QVERIFY(!window->isWindowModified());
    }

    // Typing a number too large for the field, one key at a time: every prefix that reads is taken
    // and rated; the last one is refused, and the farm is back at the acres it had before the edit.
    void a_refused_text_leaves_the_value_from_before_the_edit() {
        doc_zelmora document;
        QVERIFY(testing::open_in_illinois(document, *data_));
        farm_model& model = *document.model();
        testing::change_farm(model, [](farm& f) { f.inputs.units[0] = {unit_of(150.0, 640.0, 1.0)}; });
        propsheet_calculator sheet(&model);
        QVERIFY(show_active(sheet));
        property_page_crop* page = sheet.crop_page(1);
        auto* acres = find_control_as<edit_decimal>(page, 1125);
        QCOMPARE(acres->text(), QStringLiteral("640.0"));
        const QString premium_at_640 = text_of(page, 1129);
        QVERIFY(!premium_at_640.isEmpty());

        std::vector<double> taken;
        connect(&model, &farm_model::changed, this,
                [&] { taken.push_back(model.current().inputs.units[0][0].acres.to_double()); });
        const long ratings = document.session.activity().ratings;
        acres->setFocus();
        QVERIFY(acres->hasFocus());
        QTest::keyClick(acres, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(acres->selectedText(), QStringLiteral("640.0"));
        QTest::keyClicks(acres, QStringLiteral("2000000"));
        disconnect(&model, &farm_model::changed, this, nullptr);

        QCOMPARE(taken, (std::vector<double>{2, 20, 200, 2000, 20000, 200000, 640}));
        QCOMPARE(document.session.activity().ratings, ratings + 7);
        QVERIFY(acres->refused());
        QCOMPARE(acres->text(), QStringLiteral("2000000"));
        QCOMPARE(model.current().inputs.units[0][0].acres.to_double(), 640.0);
        QCOMPARE(text_of(page, 1129), premium_at_640);
        // Leaving the field stores the page again: still the acres from before the edit. OK
        // says which field refuses its text and stays open on it; Esc there puts back 640.0.
        find_control(page, 1105)->setFocus();
        QStringList said;
        set_message_hook([&said](const QString& text) { said << text; });
        sheet.accept();
        QCOMPARE(said, QStringList{QStringLiteral("Corn unit 1 acres: 2000000 is not taken; acres are 0 to "
                                                  "1,000,000.\n\nCorrect the field, or press Esc in it to put back "
                                                  "640.0.")});
        QVERIFY(sheet.isVisible());
        QVERIFY(acres->hasFocus());
        QCOMPARE(model.current().inputs.units[0][0].acres.to_double(), 640.0);
        QTest::keyClick(acres, Qt::Key_Escape);
        QVERIFY(sheet.isVisible());
        QCOMPARE(acres->text(), QStringLiteral("640.0"));
        QVERIFY(!acres->refused());
        sheet.accept();
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(said.size(), 1);
        QCOMPARE(model.current().inputs.units[0][0].acres.to_double(), 640.0);
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_editing_test() { return std::make_unique<zelmora::editing_test>(); }

#include "test_editing.moc"
