// The Outcomes window: one outcome paid as the library pays it, the window
// following the farm, the expected figures drawn beside a usable window and
// equal to the library's, and the model's parameters kept by the document.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>

#include <memory>
#include <string>

#include "app/child_frame.h"
#include "app/doc_zelmora.h"
#include "app/main_frame.h"
#include "rating/farm_file.h"
#include "rating/payout_rating.h"
#include "rating/payout_texts.h"
#include "ui/dialog_error_list.h"
#include "ui/numeric_controls.h"
#include "ui/outcomes_window.h"
#include "window_fixture.h"

namespace zelmora {

using testing::database_copy;

namespace {

insurance_unit unit_of(double aph, double acres, double share) {
    insurance_unit unit;
    unit.type_code = 997;
    unit.practice_code = 3;
    unit.aph_yield = aph;
    unit.rate_yield = aph;
    unit.acres = acres;
    unit.share = share;
    return unit;
}

// Corn with two units and soybeans with one, in Illinois county 1.
void two_crop_farm(farm_model& model) {
    testing::change_farm(model, [](farm& f) {
        f.state_fips = 17;
        f.inputs.county_fips = 1;
        f.inputs.indicated.fill(false);
        f.inputs.indicated[0] = true;
        f.inputs.indicated[1] = true;
        f.inputs.units[0] = {unit_of(150.0, 100.0, 1.0), unit_of(160.0, 80.5, 0.5)};
        f.inputs.units[1] = {unit_of(45.0, 120.0, 1.0)};
    });
}

simulation_settings few_draws() {
    simulation_settings settings;
    settings.min_draws = 4096;
    settings.max_draws = 4096;
    settings.jobs = 2;
    return settings;
}

void type_into(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
}

}  // namespace

class outcomes_test : public QObject {
    Q_OBJECT

    std::unique_ptr<database_copy> data_;
    std::unique_ptr<doc_zelmora> document_;

    farm_model& model() { return *document_->model(); }

private Q_SLOTS:
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
    }

    // Sliders and fields give one outcome; its payout is the library's, and the farm is left alone.
    void one_outcome_pays_as_the_library_pays_it() {
        const farm before = model().current();
        outcomes_window window(&model(), payout_model{});
        window.set_simulation_settings(few_draws());
        const payout_farm paid = payout_farm_of(model().current(), model().rating());
        QCOMPARE(window.farm().crops.size(), 2u);
        QVERIFY(window.price_field(1) && window.yield_field(2) && !window.price_field(3));

        // At RA prices and APH yields nothing pays.
        QCOMPARE(window.payout().farm_figures(payout_structure::units_as_entered).payout.to_double(), 0.0);
        // Corn's price 30% down by its slider, soybeans' yield typed at 55% of APH.
        window.price_slider(1)->setValue(-30);
        const exact_decimal corn_price = (paid.crop(1)->price * 70.0) / 100.0;
        QCOMPARE(window.price_field(1)->text(), testing::shown_as(corn_price, 2));
        type_into(window.yield_field(2), QStringLiteral("55"));
        QCOMPARE(window.yield_slider(2)->value(), 55);

        outcome chosen = uniform_outcome(paid, 0.0, 100.0);
        chosen.crops[0].harvest_price = window.price_field(1)->get_value();
        chosen.crops[1].yield_percent = 55.0;
        const outcome_payout expected = payout_of(paid, chosen);
        for (const payout_structure s : payout_structures)
            QCOMPARE(window.payout().farm_figures(s).net.to_double(), expected.farm_figures(s).net.to_double());
        QVERIFY(expected.farm_figures(payout_structure::units_as_entered).payout > 0.0);
        QVERIFY(window.payout_view()->toPlainText().contains(QString::fromStdString(
            insert_separators(expected.farm_figures(payout_structure::units_as_entered).payout.to_text(0)))));
        // A refused text keeps the outcome as it was.
        type_into(window.yield_field(2), QStringLiteral("-5"));
        QCOMPARE(window.payout().farm_figures(payout_structure::units_as_entered).net.to_double(),
                 expected.farm_figures(payout_structure::units_as_entered).net.to_double());
        // The copied worksheet is the library's.
        QVERIFY(window.copy_worksheet());
        window.reset_outcome();
        QCOMPARE(window.yield_slider(2)->value(), 100);
        QCOMPARE(window.payout().farm_figures(payout_structure::units_as_entered).payout.to_double(), 0.0);
        QVERIFY(model().current() == before);
        QVERIFY(window.demo_notice()->isVisibleTo(&window));
    }

    // A change of the farm shows at once: crops come and go, the outcome keeps its crops'
    // prices, the table's choices follow and the whole-farm unit goes with the second crop.
    void the_window_follows_the_farm() {
        outcomes_window window(&model(), payout_model{});
        window.set_simulation_settings(few_draws());
        QObject::connect(&model(), &farm_model::changed, &window, &outcomes_window::refresh);
        window.price_slider(1)->setValue(-20);
        QCOMPARE(window.table_choice()->count(), 3);  // the farm, corn, soybeans
        window.structure_choice()->setCurrentIndex(2);
        QVERIFY(window.table().offered);
        testing::change_farm(model(), [](farm& f) { f.inputs.units[1].clear(); });
        QCOMPARE(window.farm().crops.size(), 1u);
        QVERIFY(!window.price_field(2));
        QCOMPARE(window.price_slider(1)->value(), -20);
        QCOMPARE(window.table_choice()->count(), 2);
        QVERIFY(!window.table().offered);
        QVERIFY(window.table_view()->toPlainText().contains(QStringLiteral("no whole-farm unit")));
        testing::change_farm(model(), [](farm& f) { f.inputs.coverage[0] = 85; });
        QCOMPARE(window.farm().crops[0].units[0].coverage, 85);
        QVERIFY(window.estimating());
    }

    // The figures come from a worker while the window answers; they are the library's own.
    void expected_figures_are_drawn_in_the_background() {
        outcomes_window window(&model(), payout_model{});
        window.set_simulation_settings(few_draws());
        QVERIFY(window.estimating());
        QVERIFY(!window.expected());
        window.price_slider(1)->setValue(10);  // the window answers while the figures are drawn
        QCOMPARE(window.price_slider(1)->value(), 10);
        QTRY_VERIFY_WITH_TIMEOUT(!window.estimating(), 120000);
        QVERIFY(window.expected());
        const expected_payouts library =
            simulate_payouts(payout_levels_of(document_->session, model().current()), payout_model{}, few_draws());
        QCOMPARE(window.expected()->draws, library.draws);
        QCOMPARE(expected_comparison_tsv(window.comparison(), *window.expected()),
                 expected_comparison_tsv(window.comparison(), library));
        QVERIFY(window.expected_view()->toPlainText().contains(QStringLiteral("Whole-farm unit")));
        QVERIFY(window.copy_expected());

        // New parameters draw again, with the figures they give.
        payout_model wider;
        wider.yield_cv = 0.4;
        window.set_parameters(wider);
        QVERIFY(window.estimating());
        QTRY_VERIFY_WITH_TIMEOUT(!window.estimating(), 120000);
        const expected_payouts again =
            simulate_payouts(payout_levels_of(document_->session, model().current()), wider, few_draws());
        QCOMPARE(expected_comparison_tsv(window.comparison(), *window.expected()),
                 expected_comparison_tsv(window.comparison(), again));
    }

    // View > Outcomes opens the window; a parameter typed there goes into the document,
    // marks the farm changed and is saved in the farm file; a farm opened brings its own.
    void parameters_go_into_the_document_and_its_file() {
        main_frame frame;
        child_frame* child = frame.open_document(data_->path());
        QVERIFY(child);
        doc_zelmora& document = *child->document();
        two_crop_farm(*document.model());
        QAction* open = testing::action_named(&frame, QStringLiteral("O&utcomes"));
        QVERIFY(open);
        open->trigger();
        outcomes_window* window = main_frame::outcomes_of(child);
        QVERIFY(window);
        window->set_simulation_settings(few_draws());
        document.take_farm_as_saved();
        QVERIFY(!document.edit_marked());

        type_into(window->parameter_field(0), QStringLiteral("0.3"));
        QCOMPARE(document.payout_parameters().yield_cv, 0.3);
        QVERIFY(document.edit_marked());
        // Crops may not correlate more than the units of a crop: refused, the model kept.
        window->parameter_field(2)->setText(QStringLiteral("0.9"));
        QVERIFY(!window->parameter_note()->text().isEmpty());
        QCOMPARE(document.payout_parameters().crop_correlation, 0.5);

        const QString path = QString::fromStdString(data_->path()) + QStringLiteral(".farm.ini");
        std::string error;
        QVERIFY2(document.save_farm(path.toStdString(), error), error.c_str());
        memory_settings_store saved;
        QVERIFY2(read_farm_file(path.toStdString(), saved, error), error.c_str());
        QCOMPARE(read_payout_model(saved).yield_cv, 0.3);

        document.new_farm();
        QCOMPARE(window->parameters(), payout_model{});
        QVERIFY2(document.open_farm(path.toStdString(), error), error.c_str());
        QCOMPARE(window->parameters().yield_cv, 0.3);
        QVERIFY(!document.edit_marked());
        QTRY_VERIFY_WITH_TIMEOUT(!window->estimating(), 120000);
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_outcomes_test() { return std::make_unique<zelmora::outcomes_test>(); }

#include "test_outcomes.moc"
