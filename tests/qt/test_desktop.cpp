// What a user meets on the windows: fields that refuse impossible values,
// figures of another state cleared, page keys from any control, windows that
// fit 1024 x 768, and the words that say why a row or a crop has no figures.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <memory>
#include <optional>
#include <string>

#include "app/user_guide.h"
#include "ui/clipboard.h"
#include "ui/compare_window.h"
#include "ui/dialog_error_list.h"
#include "ui/dialog_test_state.h"
#include "ui/field_rules.h"
#include "ui/numeric_controls.h"
#include "ui/property_page_crop.h"
#include "ui/property_page_whole_farm.h"
#include "ui/propsheet_calculator.h"
#include "window_fixture.h"

namespace zelmora {

using testing::database_copy;
using testing::text_of;

namespace {

insurance_unit corn_unit() {
    insurance_unit unit;
    unit.type_code = 997;
    unit.practice_code = 3;
    unit.aph_yield = 150.0;
    unit.rate_yield = 150.0;
    unit.acres = 100.0;
    unit.share = 1.0;
    return unit;
}

}  // namespace

class desktop_test : public QObject {
    Q_OBJECT

    std::unique_ptr<database_copy> data_;
    std::unique_ptr<doc_zelmora> document_;

    farm_model& model() { return *document_->model(); }
    const farm_inputs& inputs() { return model().current().inputs; }
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
        testing::change_farm(model(), [](farm& f) { f.inputs.indicated[0] = true; });
    }
    void cleanup() {
        document_.reset();
        data_.reset();
        dialog_error_list::set_replacement({});
        set_message_hook({});
    }

    void number_texts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<double>("value");
        const struct {
            const char* text;
            bool reads;
            double value;
        } cases[] = {
            {"1,234.5", true, 1234.5}, {" 0.75 ", true, 0.75}, {"", true, 0.0},   {".5", true, 0.5},
            {"-300", true, -300.0},    {"abc", false, 0.0},    {"12x", false, 0}, {"1e5", false, 0},
            {"-", false, 0},           {".", false, 0},        {"1.2.3", false, 0},
        };
        for (const auto& c : cases) QTest::newRow(c.text) << QString::fromLatin1(c.text) << c.reads << c.value;
    }
    void number_texts() {
        QFETCH(QString, text);
        QFETCH(bool, reads);
        QFETCH(double, value);
        const std::optional<double> read = read_grouped_decimal(text.toStdString());
        QCOMPARE(read.has_value(), reads);
        if (reads) QCOMPARE(*read, value);
    }

    // Each field of a crop page either stores its text or refuses it (red frame, tooltip
    // naming the range) and keeps the unit's value. Each text is a new edit: the field is
    // entered afresh, as a user clicking into it does.
    void crop_page_fields_store_or_refuse() {
        set_corn({corn_unit()});
        propsheet_calculator sheet(&model());
        sheet.show();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        property_page_crop* page = sheet.crop_page(1);
        auto unit = [this]() -> const insurance_unit& { return inputs().units[0][0]; };
        QWidget* elsewhere = find_control(page, 1105);
        const struct {
            int id;
            const char* text;
            exact_decimal insurance_unit::* field;
            std::optional<double> stored;  // nullopt: refused, the value before stays
            const char* tip;
        } cases[] = {
            {1126, "0.5", &insurance_unit::share, 0.5, ""},
            {1126, "150", &insurance_unit::share, std::nullopt, "Share: 0 to 1"},
            {1125, "-300", &insurance_unit::acres, std::nullopt, "Acres: 0 to 1,000,000"},
            {1125, "1,234.5", &insurance_unit::acres, 1234.5, ""},
            {1125, "2000000", &insurance_unit::acres, std::nullopt, "Acres: 0 to 1,000,000"},
            {1122, "abc", &insurance_unit::aph_yield, std::nullopt, "Yield: 0 to 100,000"},
            {1122, "180", &insurance_unit::aph_yield, 180.0, ""},
            {1123, "100001", &insurance_unit::rate_yield, std::nullopt, "Yield: 0 to 100,000"},
            {1132, "0.12", &insurance_unit::written_agreement_rate, 0.12, ""},
            {1132, "1.5", &insurance_unit::written_agreement_rate, std::nullopt, "Written agreement rate: 0 to 1"},
        };
        for (const auto& c : cases) {
            const QString name = QStringLiteral("%1 <- %2").arg(c.id).arg(QString::fromLatin1(c.text));
            auto* field = find_control_as<edit_decimal>(page, c.id);
            const double before = (unit().*(c.field)).to_double();
            elsewhere->setFocus();
            field->setFocus();
            QVERIFY(field->hasFocus());
            field->setText(QString::fromLatin1(c.text));
            QCOMPARE((unit().*(c.field)).to_double(), c.stored ? *c.stored : before);
            QVERIFY2(field->refused() == !c.stored, qPrintable(name));
            const QString tip = QString::fromLatin1(c.tip);
            QVERIFY2(tip.isEmpty() ? field->toolTip().isEmpty() : field->toolTip().startsWith(tip),
                     qPrintable(name + field->toolTip()));
            QCOMPARE(field->styleSheet().contains(QStringLiteral("border")), !c.stored);
        }
        // A refused share did not reach the premium: the page still shows the figures of share 0.5.
        find_control_as<edit_decimal>(page, 1126)->setText(QStringLiteral("150"));
        QCOMPARE(unit().share.to_double(), 0.5);
        QCOMPARE(text_of(page, 1129), testing::shown_as(model().rating().unit(1, 1)->figures->total_premium, 0));
        // OK names the first refused field of the page and stays open on it; the refused text never arrives.
        QStringList said;
        set_message_hook([&said](const QString& text) { said << text; });
        sheet.accept();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].startsWith(QStringLiteral("Corn unit 1 rate yield: 100001 is not taken; yields are 0 to "
                                                   "100,000.")),
                 qPrintable(said[0]));
        QVERIFY(sheet.isVisible());
        QCOMPARE(QApplication::focusWidget(), find_control(page, 1123));
        QCOMPARE(unit().share.to_double(), 0.5);
        // Esc in each refused field puts back its text from before the edit; then OK closes.
        while (number_field* refused = first_refused_field(page)) {
            refused->setFocus();
            QTest::keyClick(refused, Qt::Key_Escape);
            QVERIFY(!refused->refused());
        }
        QVERIFY(sheet.isVisible());
        sheet.accept();
        QCOMPARE(said.size(), 1);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(unit().share.to_double(), 0.5);
    }

    void form_fields_store_or_refuse() {
        auto view = std::make_unique<view_zelmora>(document_.get());
        view->initial_update();
        view->show();
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        QWidget* elsewhere = find_control(view.get(), 1010);
        const struct {
            int id;
            const char* text;
            double stored;  // < 0: refused, the calculator keeps its value
        } cases[] = {
            {1000, "2.50", 2.5}, {1000, "150000", -1}, {1000, "abc", -1},
            {1006, "0.25", 0.25}, {1006, "11", -1},    {1014, "1.05", 1.05}, {1017, "-1", -1},
        };
        for (const auto& c : cases) {
            auto value = [this, id = c.id] {
                return id == 1000   ? inputs().price[0].to_double()
                       : id == 1006 ? inputs().price_volatility[0].to_double()
                       : id == 1014 ? inputs().ppcl_factor[0][0].to_double()
                                    : inputs().ppcl_factor[1][0].to_double();
            };
            const double before = value();
            auto* field = find_control_as<edit_decimal>(view.get(), c.id);
            elsewhere->setFocus();
            field->setFocus();
            QVERIFY(field->hasFocus());
            field->setText(QString::fromLatin1(c.text));
            view->store_inputs();
            const double after = value();
            QCOMPARE(after, c.stored < 0 ? before : c.stored);
        }
        view->detach();
    }

    // Arkansas rates cotton; North Dakota does not: its whole-farm page shows no cotton figures,
    // and the farm's rating there has no cotton (nothing of the Arkansas rating stays behind).
    void figures_of_another_state_are_cleared() {
        const county_record* cotton_county = nullptr;
        for (const county_record& county : document_->session.state(5).counties()) {
            if (county.crop_indicator[crop_cotton - 1] != 0) {
                cotton_county = &county;
                break;
            }
        }
        QVERIFY(cotton_county);
        const int cotton_county_fips = cotton_county->county_fips;
        testing::change_farm(model(), [cotton_county_fips](farm& f) {
            f.state_fips = 5;
            f.inputs.county_fips = cotton_county_fips;
            f.inputs.indicated.fill(false);
            f.inputs.indicated[crop_cotton - 1] = true;
            f.inputs.units[crop_cotton - 1] = {corn_unit()};
            f.inputs.units[0].clear();
        });
        // Yields of the county's cotton, which the rates give in pounds.
        const exact_decimal cotton_yield = model().rating().units[crop_cotton - 1][0].reference_yield;
        QVERIFY(cotton_yield > 0.0);
        testing::change_farm(model(), [cotton_yield](farm& f) {
            f.inputs.units[crop_cotton - 1][0].aph_yield = cotton_yield;
            f.inputs.units[crop_cotton - 1][0].rate_yield = cotton_yield;
        });
        const int guarantee_id = 1296;
        {
            propsheet_calculator sheet(&model());
            sheet.show_page(crop_count);
            QVERIFY2(model().rating().enterprise_figures(crop_cotton).revenue_guarantee > 0.0, "Arkansas rates cotton");
            QCOMPARE(text_of(sheet.whole_farm_page(), guarantee_id),
                     testing::shown_as(model().rating().enterprise_figures(crop_cotton).revenue_guarantee, 2));
        }
        testing::change_farm(model(), [this](farm& f) {
            f.state_fips = 38;
            f.inputs.county_fips = document_->session.state(38).county_fips_at(0);
        });
        propsheet_calculator sheet(&model());
        sheet.show_page(crop_count);
        property_page_whole_farm* page = sheet.whole_farm_page();
        for (int id : {1296, 1291, 1292, 1293, 1294}) QVERIFY2(text_of(page, id).isEmpty(), qPrintable(QString::number(id)));
        QCOMPARE(find_control(page, 1296)->toolTip(), QStringLiteral("Not offered in this county"));
        QVERIFY(!model().rating().selected[crop_cotton - 1]);
        QCOMPARE(sheet.tabs()->tabToolTip(crop_cotton - 1), QStringLiteral("Not offered in this county"));
        QVERIFY(sheet.tabs()->tabToolTip(0).isEmpty() || model().state().find_county(inputs().county_fips));
    }

    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp switch pages from a list and never change it.
    void page_keys_work_from_a_list() {
        set_corn({corn_unit()});
        propsheet_calculator sheet(&model());
        sheet.show();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        auto* coverage = find_control_as<QComboBox>(sheet.crop_page(1), 1105);
        const int level = coverage->currentIndex();
        const int before = inputs().coverage[0];
        const struct {
            int from;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int to;
        } presses[] = {
            {0, Qt::Key_PageDown, Qt::ControlModifier, 1},
            {1, Qt::Key_PageUp, Qt::ControlModifier, 0},
            {0, Qt::Key_Tab, Qt::ControlModifier, 1},
            {1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0},
            {0, Qt::Key_PageUp, Qt::ControlModifier, propsheet_calculator::compare_index},  // wraps to the last page
        };
        for (const auto& press : presses) {
            sheet.show_page(press.from);
            // The key goes to the Corn page's coverage list, wherever the sheet stands.
            coverage->setFocus();
            QTest::keyClick(coverage, press.key, press.modifiers);
            QCOMPARE(sheet.tabs()->currentIndex(), press.to);
        }
        QCOMPARE(coverage->currentIndex(), level);
        QCOMPARE(inputs().coverage[0], before);
    }

    // At 1024 x 768 every control of every page lies inside the window, without scrolling sideways.
    void parameters_window_fits_1024_by_768() {
        testing::change_farm(model(), [](farm& f) {
            f.inputs.units[0] = unit_list(7, corn_unit());
            f.inputs.indicated[crop_spring_wheat - 1] = true;
        });
        propsheet_calculator sheet(&model());
        const QRect screen(0, 0, 1024, 768);
        // What the sheet picks on a 1024 x 768 screen (the test platform's screen is smaller).
        sheet.resize(screen.size() - QSize(20, 60));
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QVERIFY(sheet.width() <= 1024 && sheet.height() <= 768);
        QVERIFY(sheet.minimumSizeHint().width() <= 1024);
        for (int index = 0; index < sheet.tabs()->count(); ++index) {
            sheet.show_page(index);
            QCoreApplication::processEvents();
            auto* area = qobject_cast<QScrollArea*>(sheet.tabs()->currentWidget());
            QVERIFY(area);
            QVERIFY2(area->horizontalScrollBar()->maximum() == 0,
                     qPrintable(QStringLiteral("page %1 scrolls sideways by %2")
                                    .arg(sheet.tabs()->tabText(index))
                                    .arg(area->horizontalScrollBar()->maximum())));
            const QRect visible(area->viewport()->mapTo(&sheet, QPoint(0, 0)), area->viewport()->size());
            for (QWidget* control : area->widget()->findChildren<QWidget*>()) {
                if (!control->isVisibleTo(&sheet) || qobject_cast<QAbstractScrollArea*>(control->parentWidget())) continue;
                const QRect place(control->mapTo(&sheet, QPoint(0, 0)), control->size());
                QVERIFY2(visible.contains(place) || place.top() >= visible.bottom(),  // below: reached by scrolling down
                         qPrintable(QStringLiteral("%1 on page %2 at %3,%4 %5x%6")
                                        .arg(QString::fromLatin1(control->metaObject()->className()))
                                        .arg(index)
                                        .arg(place.x())
                                        .arg(place.y())
                                        .arg(place.width())
                                        .arg(place.height())));
                QVERIFY(place.right() < 1024);
            }
        }
    }

    // On a first start every top-level window takes the screen's available
    // area at most (the test screen is smaller than any of their usual sizes),
    // and a window placed beyond the screen is brought back onto it.
    void every_window_fits_the_screen() {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const auto fits = [&available](QWidget& window) {
            return window.width() <= available.width() && window.height() <= available.height();
        };
        main_frame frame;
        QVERIFY2(fits(frame), qPrintable(QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height())));
        compare_window comparison(&model());
        QVERIFY(fits(comparison));
        propsheet_calculator sheet(&model());
        QVERIFY(fits(sheet));
        dialog_error_list errors(nullptr, "", "", "text");
        QVERIFY(fits(errors));
        const std::unique_ptr<QWidget> guide(show_user_guide(nullptr));
        QVERIFY(guide);
        QVERIFY(fits(*guide));

        QWidget stray;
        stray.setGeometry(available.right() + 200, available.bottom() + 200, available.width() * 2, available.height());
        fit_to_screen(&stray, stray.size());
        QVERIFY(fits(stray));
        QVERIFY(available.contains(stray.geometry().topLeft()));
    }

    // At 1024 x 768 (the main window maximised under a window manager) the form
    // shows every crop, every price column and the maintenance buttons without scrolling.
    void form_shows_everything_at_1024_by_768() {
        main_frame frame;
        child_frame* window = frame.open_document(data_->path());
        QVERIFY(window);
        frame.resize(1024, 740);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCoreApplication::processEvents();
        auto* area = window->view()->findChild<QScrollArea*>();
        QVERIFY(area);
        QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(area->verticalScrollBar()->maximum(), 0);
        const QRect visible(area->viewport()->mapTo(&frame, QPoint(0, 0)), area->viewport()->size());
        for (int id : {1013, 1081, 1087, 1095, 1419, 1423, 1099}) {
            QWidget* control = find_control(window->view(), id);
            QVERIFY(control);
            QVERIFY2(visible.contains(QRect(control->mapTo(&frame, QPoint(0, 0)), control->size())),
                     qPrintable(QString::number(id)));
        }
    }

    void rows_without_figures_say_why() {
        insurance_unit no_practice = corn_unit();
        no_practice.practice_code = 2;  // not offered in the county: the list shows no selection
        insurance_unit no_acres = corn_unit();
        no_acres.acres = 0.0;
        insurance_unit new_unit = corn_unit();  // a unit added on the form starts with no share
        new_unit.share = insurance_unit{}.share;
        set_corn({corn_unit(), no_practice, no_acres, new_unit});
        propsheet_calculator sheet(&model());
        property_page_crop* page = sheet.crop_page(1);
        QVERIFY(find_control(page, 1127)->toolTip().isEmpty());
        QCOMPARE(find_control(page, 1138)->toolTip(), QStringLiteral("No practice chosen"));
        QCOMPARE(find_control(page, 1149)->toolTip(), QStringLiteral("No acres: the premium is 0"));
        QCOMPARE(find_control(page, 1160)->toolTip(), QStringLiteral("No share: the premium is 0"));
        QCOMPARE(sheet.status_line()->text(), QStringLiteral("Corn unit 2: No practice chosen"));
        find_control_as<QComboBox>(page, 1382 + 1)->setCurrentIndex(0);
        QVERIFY(find_control(page, 1138)->toolTip().isEmpty() ||
                find_control(page, 1138)->toolTip() == QStringLiteral("No rate for this type and practice in this county"));
    }

    // Feedback follows the values: a row put right takes its words off the status line,
    // the sheet's and the main window's.
    void the_status_line_forgets_a_row_put_right() {
        insurance_unit no_acres = corn_unit();
        no_acres.acres = 0.0;
        set_corn({no_acres});
        propsheet_calculator sheet(&model());
        QSignalSpy said(&sheet, &propsheet_calculator::status_message);
        QCOMPARE(sheet.status_line()->text(), QStringLiteral("Corn unit 1: No acres: the premium is 0"));
        find_control_as<edit_decimal>(sheet.crop_page(1), 1125)->setText(QStringLiteral("500"));
        QCOMPARE(model().current().inputs.units[0][0].acres.to_double(), 500.0);
        QVERIFY(find_control(sheet.crop_page(1), 1127)->toolTip().isEmpty());
        QCOMPARE(sheet.status_line()->text(), QString());
        QVERIFY(!said.isEmpty());
        QCOMPARE(said.last().at(0).toString(), QString());
    }

    void copies_say_what_they_copied() {
        set_corn({corn_unit()});
        propsheet_calculator sheet(&model());
        find_control_as<QPushButton>(sheet.crop_page(1), 1206)->click();
        const QString corn = sheet.status_line()->text();
        QVERIFY2(corn.startsWith(QStringLiteral("Corn worksheet copied, ")) && corn.endsWith(QStringLiteral(" lines")),
                 qPrintable(corn));
        QCOMPARE(corn, copied_message(QStringLiteral("Corn worksheet"), sheet.crop_page(1)->copy_text()));
        sheet.show_page(crop_count);
        find_control_as<QPushButton>(sheet.whole_farm_page(), 1318)->click();
        QVERIFY(sheet.status_line()->text().startsWith(QStringLiteral("B value dump copied, ")));
        QCOMPARE(copied_message(QStringLiteral("X"), "a\r\nb\r\n"), QStringLiteral("X copied, 2 lines"));
        QCOMPARE(copied_message(QStringLiteral("X"), "a"), QStringLiteral("X copied, 1 line"));
    }

    void user_guide_is_the_readme_section_with_its_pictures() {
        const QString readme = find_user_guide();
        QVERIFY2(!readme.isEmpty(), qPrintable(user_guide_places().join(QLatin1Char(' '))));
        QFile file(readme);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString guide = user_guide_section(QString::fromUtf8(file.readAll()));
        QVERIFY(guide.startsWith(QStringLiteral("## Using the application")));
        QVERIFY(!guide.contains(QStringLiteral("\n## ")));
        // Every picture the guide names lies beside the README.
        const QDir folder = QFileInfo(readme).absoluteDir();
        int pictures = 0;
        for (const QString& line : guide.split(QLatin1Char('\n'))) {
            if (!line.startsWith(QStringLiteral("!["))) continue;
            const QString name = line.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0);
            QVERIFY2(QFileInfo::exists(folder.filePath(name)), qPrintable(name));
            ++pictures;
        }
        QVERIFY(pictures > 0);
        QCOMPARE(user_guide_section(QStringLiteral("no sections")), QStringLiteral("no sections"));
    }

    // The guide is for users (how to run without a display is the developers'
    // business), and its pictures are no wider than its window, however wide that is.
    void user_guide_pictures_fit_its_window() {
        const std::unique_ptr<QWidget> window(show_user_guide(nullptr));
        QVERIFY(window);
        auto* browser = window->findChild<QTextBrowser*>(QStringLiteral("user_guide"));
        QVERIFY(browser);
        QVERIFY(!browser->toPlainText().contains(QStringLiteral("xvfb-run")));
        for (const int width : {900, 600}) {
            window->resize(width, 500);
            QCoreApplication::processEvents();
            int pictures = 0;
            QTextDocument* guide = browser->document();
            for (QTextBlock block = guide->begin(); block.isValid(); block = block.next())
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    if (!it.fragment().charFormat().isImageFormat()) continue;
                    ++pictures;
                    const QTextImageFormat picture = it.fragment().charFormat().toImageFormat();
                    QVERIFY2(picture.width() > 0 && picture.width() <= browser->viewport()->width(),
                             qPrintable(QStringLiteral("%1 is %2 wide in %3").arg(picture.name()).arg(picture.width())
                                            .arg(browser->viewport()->width())));
                }
            QVERIFY(pictures > 0);
            QVERIFY(guide->size().width() <= browser->viewport()->width() + 1);
        }
    }

    void test_dialog_labels_its_codes() {
        int state = model().current().state_fips;
        int county = inputs().county_fips;
        int low = 1;
        int high = 63;
        dialog_test_state dialog(nullptr, document_->session, state, county, low, high, false);
        const auto labels = dialog.findChildren<QLabel*>();
        auto has_label = [&labels](const QString& text) {
            for (QLabel* label : labels) {
                if (label->text().contains(text)) return true;
            }
            return false;
        };
        QVERIFY(has_label(QStringLiteral("&First code (0..63)")));
        QVERIFY(has_label(QStringLiteral("&Last code (0..63)")));
        QVERIFY(has_label(QStringLiteral("Corn, Soybeans, Spring Wheat, Canola, Sunflower, Barley")));
        dialog.set_four_crop_state(true);
        QVERIFY(has_label(QStringLiteral("&Last code (0..15)")));
        QVERIFY(has_label(QStringLiteral("Corn, Soybeans, Cotton, Rice")));
        // A code past the range keeps the dialog open and stores nothing.
        auto* last = find_control_as<edit_long>(&dialog, 1240);
        last->setText(QStringLiteral("63"));
        QVERIFY(last->refused());
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(high, 63);
        last->setText(QStringLiteral("15"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(high, 15);
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_desktop_test() { return std::make_unique<zelmora::desktop_test>(); }

#include "test_desktop.moc"
