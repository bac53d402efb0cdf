// The open sequence, the input form, "Show Crops", the maintenance buttons,
// the frame and the persistence of the inputs between runs.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/dialog_about.h"
#include "ui/compare_window.h"
#include "ui/dialog_error_list.h"
#include "ui/numeric_controls.h"
#include "ui/property_page_crop.h"
#include "ui/propsheet_calculator.h"
#include "window_fixture.h"

namespace zelmora {

using testing::action_named;
using testing::database_copy;

class document_test : public QObject {
    Q_OBJECT

    std::vector<std::string> error_lists_;
    std::vector<QString> questions_;
    bool answer_ = false;

    // A document on the database with its form, as the frame shows it.
    struct open_form {
        std::unique_ptr<doc_zelmora> document = std::make_unique<doc_zelmora>();
        std::unique_ptr<view_zelmora> view;
        bool open(const std::string& path) {
            if (!document->open_document(path)) return false;
            view = std::make_unique<view_zelmora>(document.get());
            view->initial_update();
            return true;
        }
        // The window closes: the form stores, the document writes its settings.
        void close() {
            document->close_document();
            view->detach();
            document.reset();
            view.reset();
        }
        farm_model& model() { return *document->model(); }
        const farm_inputs& inputs() { return model().current().inputs; }
        template <class T>
        T* control(int id) {
            return find_control_as<T>(view.get(), id);
        }
    };

private Q_SLOTS:
    void init() {
        testing::clear_settings();
        error_lists_.clear();
        questions_.clear();
        dialog_error_list::set_replacement([this](const std::string& text) { error_lists_.push_back(text); });
        set_question_hook([this](const QString& text) {
            questions_.push_back(text);
            return answer_;
        });
        set_message_hook([](const QString& text) { QFAIL(qPrintable(text)); });
    }
    void cleanup() {
        dialog_error_list::set_replacement({});
        set_question_hook({});
        set_message_hook({});
        set_modal_hook({});
    }

    void missing_database_shows_one_error_list_and_no_window() {
        database_copy data;
        main_frame frame;
        QVERIFY(frame.open_document(data.missing()) == nullptr);
        QCOMPARE(error_lists_.size(), std::size_t{1});
        const QString shown = QString::fromStdString(error_lists_[0]);
        // First the plain sentences: the file, its folder, and how to get one; then the failure's own lines.
        const QString folder = QFileInfo(QString::fromStdString(data.missing())).absolutePath();
        QVERIFY2(shown.startsWith(QStringLiteral("The rating database \"no such database.sqlite\" could not be opened.\r\n"
                                                 "It was looked for in the folder ") + folder + QStringLiteral(".\r\n")),
                 qPrintable(shown));
        const qsizetype plain_end = shown.indexOf(QStringLiteral("File > Open opens another rating database.\r\n\r\n"));
        const qsizetype technical = shown.indexOf(QStringLiteral("ERROR, unable to open database"));
        QVERIFY(plain_end > 0 && technical > plain_end);
        QVERIFY(shown.indexOf(QStringLiteral("80004005")) > technical);
        QVERIFY(!shown.contains(QStringLiteral("make run")));  // only the file beside the executable is generated
        QVERIFY(frame.mdi_area()->subWindowList().isEmpty());
        // The empty window says the same until a database is open, without the technical lines.
        QVERIFY(frame.empty_window_text().contains(folder));
        QVERIFY(frame.empty_window_text().startsWith(QStringLiteral("No rating database is open.\nThe rating database")));
        QVERIFY(!frame.empty_window_text().contains(QStringLiteral("ERROR")));
        QVERIFY(!doc_zelmora::new_document());
        QVERIFY(frame.mdi_area()->subWindowList().isEmpty());
    }

    void no_database_found_names_every_folder_looked_in() {
        database_search search;
        search.folders = {"/opt/zelmora/bin", "/home/ann/.local/share/zelmora", "/usr/local/share/zelmora",
                          "/usr/share/zelmora"};
        main_frame frame;
        frame.show_database_not_found(search);
        QCOMPARE(error_lists_.size(), std::size_t{1});
        const QString shown = QString::fromStdString(error_lists_[0]);
        QVERIFY2(shown.startsWith(QStringLiteral(
                     "The rating database \"APH Base Premium Data.sqlite\" was not found.\r\n"
                     "It was looked for in these folders, in this order:\r\n  /opt/zelmora/bin\r\n"
                     "  /home/ann/.local/share/zelmora\r\n  /usr/local/share/zelmora\r\n  /usr/share/zelmora\r\n"
                     "Put a rating database of that name into one of them, or open one with File > Open.\r\n")),
                 qPrintable(shown));
        QVERIFY(!shown.contains(QStringLiteral("ERROR")));  // nothing was opened: no driver's lines
        QVERIFY(frame.mdi_area()->subWindowList().isEmpty());
        const QString empty = frame.empty_window_text();
        QVERIFY(empty.startsWith(QStringLiteral("No rating database is open.\nThe rating database \"APH Base Premium "
                                                "Data.sqlite\" was not found.\n")));
        QVERIFY(empty.contains(QStringLiteral("\n  /usr/share/zelmora\n")));
        QVERIFY(!empty.contains(QLatin1Char('\r')));
    }

    void windows_carry_the_application_icon() {
        main_frame frame;
        const QIcon icon = frame.windowIcon();
        QVERIFY(!icon.isNull());
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
            const QImage drawn = icon.pixmap(QSize(size, size)).toImage();
            QCOMPARE(drawn.size(), QSize(size, size));
            // Drawn, not blank: the shield's green at the middle of the left edge's inside.
            const QColor inside = drawn.pixelColor(size / 4, size / 2);
            QVERIFY2(inside.alpha() == 255 && inside.green() > inside.red() && inside.green() > inside.blue(),
                     qPrintable(QStringLiteral("%1: %2").arg(size).arg(inside.name(QColor::HexArgb))));
        }
    }

    void check_rating_database_shows_the_read_only_report() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        error_lists_.clear();
        form.document->on_check_database();
        QCOMPARE(error_lists_.size(), std::size_t{1});
        const std::string& report = error_lists_[0];
        QVERIFY(report.find(data.path()) != std::string::npos);
        QVERIFY(report.find("This is the bundled demo database") != std::string::npos);
        QVERIFY(report.find("No problems found.\n") != std::string::npos);
        // The document still rates from the same connection afterwards.
        const long ratings = form.document->session.activity().ratings;
        const farm_rating rated = form.document->session.rate(form.model().current());
        QCOMPARE(form.document->session.activity().ratings, ratings + 1);
        QVERIFY(!rated.read_failed);
        QVERIFY2(rated.error_text().empty(), rated.error_text().c_str());
        form.close();
    }

    // A report to read closes with OK: the database check's has no Cancel (an error list keeps its own).
    void check_database_report_closes_with_ok_only() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        dialog_error_list::set_replacement({});
        std::vector<std::pair<bool, bool>> shown;  // OK, Cancel
        set_modal_hook([&shown](QDialog& dialog) {
            shown.emplace_back(find_control(&dialog, 1) != nullptr, find_control(&dialog, 2) != nullptr);
            return int(QDialog::Accepted);
        });
        form.document->on_check_database();
        dialog_error_list::show_modal(nullptr, "", "", "ERROR, a line\r\n");
        QCOMPARE(shown.size(), std::size_t{2});
        QCOMPARE(shown[0], std::make_pair(true, false));
        QCOMPARE(shown[1], std::make_pair(true, true));
        form.close();
    }

    // The demo database's rates are invented: the form and the Compare Coverage
    // window carry a band that says so, and the About box says it; a database
    // without the demo mark shows no band.
    void demo_rates_are_said_on_the_form_compare_and_about() {
        database_copy data;
        QString about_text;
        set_modal_hook([&about_text](QDialog& dialog) {
            if (auto* text = dialog.findChild<QLabel*>(QStringLiteral("demo_text"))) about_text = text->text();
            return int(QDialog::Accepted);
        });
        for (const bool demo : {true, false}) {
            if (!demo) {
                doc_zelmora document;
                QVERIFY(document.open_document(data.path()));
                QVERIFY(is_ok(document.session.database().execute_statement("PRAGMA application_id = 0")));
            }
            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            frame.show();
            QLabel* notice = window->view()->demo_notice();
            QVERIFY(notice);
            QCOMPARE(notice->isVisibleTo(window->view()), demo);
            QVERIFY(notice->text().contains(QStringLiteral("invented for demonstration")));
            action_named(&frame, QStringLiteral("Compare C&overage"))->trigger();
            compare_window* comparison = main_frame::comparison_of(window);
            QVERIFY(comparison);
            QCOMPARE(comparison->demo_notice()->isVisibleTo(comparison), demo);
            about_text.clear();
            action_named(&frame, QStringLiteral("&About Zelmora 2004..."))->trigger();
            QVERIFY(about_text.contains(QStringLiteral("invented for demonstration")));
            QCOMPARE(about_text.contains(QStringLiteral("The open rating database is the demo database")), demo);
        }
    }

    void open_makes_a_window_with_the_loaded_form() {
        database_copy data;
        main_frame frame;
        frame.show();
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        QCOMPARE(frame.mdi_area()->subWindowList().size(), 1);
        QVERIFY(window->isMaximized());
        // The maximised document names its farm once in the caption (the edit marker's place after it).
        QCOMPARE(frame.windowTitle(), QStringLiteral("Zelmora 2004 - [") + window->windowTitle() + QStringLiteral("]"));
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("Untitled farm - ")));
        auto* states = find_control_as<QComboBox>(window->view(), 1010);
        QCOMPARE(states->count(), rated_state_count);
        QCOMPARE(states->currentData().toInt(), 17);
        QCOMPARE(states->currentText(), QStringLiteral("Illinois"));
        // A second database is a second, independent document.
        child_frame* second = frame.open_document(data.path());
        QVERIFY(second && second->document()->model() != window->document()->model());
        QVERIFY(&second->document()->session != &window->document()->session);
        QCOMPARE(frame.recent_files().size(), std::size_t{1});
        QCOMPARE(frame.windowTitle().count(QStringLiteral("Untitled farm")), 1);
        // The Window menu lists both documents after its own commands; choosing one activates it.
        Q_EMIT frame.window_menu()->aboutToShow();
        QList<QAction*> entries;
        for (QAction* action : frame.window_menu()->actions()) {
            if (action->text().contains(QStringLiteral("Untitled farm"))) entries << action;
        }
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0]->text(), QStringLiteral("&1 ") + window->windowTitle().remove(QStringLiteral("[*]")));
        QCOMPARE(frame.window_menu()->actions().first()->text(), QStringLiteral("&New Window"));
        entries[0]->trigger();
        QCOMPARE(frame.mdi_area()->activeSubWindow(), static_cast<QMdiSubWindow*>(window));
    }

    void state_change_keeps_the_county_position() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        auto* states = form.control<QComboBox>(1010);
        auto* counties = form.control<QComboBox>(1011);
        QVERIFY(counties->count() > 5);
        counties->setCurrentIndex(4);
        QCOMPARE(form.inputs().county_fips, form.model().state().county_fips_at(4));
        states->setCurrentIndex(states->findData(19));
        QCOMPARE(form.model().current().state_fips, 19);
        QCOMPARE(counties->currentIndex(), 4);
        QCOMPARE(form.inputs().county_fips, form.document->session.state(19).county_fips_at(4));
        QCOMPARE(counties->currentData().toInt(), form.inputs().county_fips);
    }

    void crop_rows_follow_the_boxes_and_the_b_values() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        const county_record* county = form.model().state().find_county(form.inputs().county_fips);
        QVERIFY(county);
        const int boxes[] = {1007, 1008, 1025, 1029, 1031, 1035, 1090, 1012, 1013};
        const int prices[] = {1000, 1001, 1002, 1039, 1041, 1044, 1079, 1080, 1081};
        int with_b_values = 0, without = 0;
        for (int c = 1; c <= crop_count; ++c) {
            auto* box = form.control<QCheckBox>(boxes[c - 1]);
            auto* price = form.control<QWidget>(prices[c - 1]);
            const bool has = form.document->session.b_value_set_exists(17, county->region_flag == -1, c);
            QCOMPARE(box->isEnabled(), has);
            if (!has) {
                ++without;
                QVERIFY(!price->isEnabled());
                continue;
            }
            ++with_b_values;
            if (!box->isChecked()) box->click();
            QVERIFY(price->isEnabled());
            box->click();  // unticked: the row is disabled at once
            QVERIFY(!box->isChecked());
            QVERIFY(!price->isEnabled());
            QVERIFY(!form.inputs().indicated[static_cast<std::size_t>(c - 1)]);
            box->click();
            QVERIFY(price->isEnabled());
        }
        QVERIFY(with_b_values > 0);
        QVERIFY(without > 0);
    }

    void typed_price_waits_for_a_crop_box() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        const exact_decimal before = form.inputs().price[0];
        form.control<QLineEdit>(1000)->setText(QStringLiteral("9.99"));
        form.control<QLineEdit>(1004)->setText(QStringLiteral("2"));
        QCOMPARE(form.inputs().price[0].to_double(), before.to_double());
        QCOMPARE(form.inputs().units[0].size(), std::size_t{0});
        auto* corn = form.control<QCheckBox>(1007);
        corn->click();
        corn->click();
        QCOMPARE(form.inputs().price[0].to_double(), 9.99);
        QCOMPARE(form.inputs().units[0].size(), std::size_t{2});
    }

    // A price far from what its crop's unit makes plausible is rated, with a warning
    // on the status line that names the unit; the price columns name their units.
    void a_far_off_price_is_rated_with_a_warning_naming_its_unit() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        auto* corn = form.control<QCheckBox>(1007);
        if (corn->isChecked()) corn->click();
        QSignalSpy messages(form.view.get(), &view_zelmora::status_message);
        form.control<QLineEdit>(1000)->setText(QStringLiteral("0.05"));
        corn->click();
        QCOMPARE(form.inputs().price[0].to_double(), 0.05);
        QVERIFY(!messages.isEmpty());
        QCOMPARE(messages.last().at(0).toString(),
                 QStringLiteral("Corn is priced per bushel here: 0.05 is far below the usual 1.00 to 30.00"));
        bool rice_in_pounds = false;
        for (const QLabel* label : form.view->findChildren<QLabel*>())
            rice_in_pounds = rice_in_pounds || (label->text() == QStringLiteral("$/pound") &&
                                                label->toolTip() == QStringLiteral("Rice is priced in dollars per pound"));
        QVERIFY(rice_in_pounds);
    }

    // The crop pages have seven unit rows: a number of units past them is refused like any
    // text out of range (red frame, the range in its tooltip, the text left to put right),
    // and the crop keeps the units it has.
    void number_of_units_past_seven_is_refused() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        auto* units = form.control<edit_integer>(1004);
        const struct {
            const char* text;
            std::size_t kept;
            bool refused;
        } cases[] = {{"3", 3, false}, {"9", 3, true}, {"-1", 3, true}, {"2x", 3, true}, {"7", 7, false}, {"0", 0, false}};
        for (const auto& c : cases) {
            const QString name = QString::fromLatin1(c.text);
            units->setText(name);
            form.view->store_inputs();
            QCOMPARE(form.inputs().units[0].size(), c.kept);
            QVERIFY2(units->refused() == c.refused, qPrintable(name));
            QCOMPARE(units->text(), name);
            QVERIFY2(units->toolTip().startsWith(QStringLiteral("Units: 0 to 7")) == c.refused, qPrintable(name));
            QVERIFY2(units->styleSheet().contains(QStringLiteral("border")) == c.refused, qPrintable(name));
        }
    }

    void closing_saves_the_inputs_for_the_next_start() {
        database_copy data;
        {
            open_form form;
            QVERIFY(form.open(data.path()));
            form.control<QLineEdit>(1000)->setText(QStringLiteral("3.33"));
            form.control<QLineEdit>(1004)->setText(QStringLiteral("2"));
            testing::change_farm(form.model(), [](farm& f) { f.inputs.coverage_whole_farm = 80; });
            form.close();
        }
        open_form next;
        QVERIFY(next.open(data.path()));
        QCOMPARE(next.inputs().price[0].to_double(), 3.33);
        QCOMPARE(next.inputs().units[0].size(), std::size_t{2});
        QCOMPARE(next.inputs().coverage_whole_farm, 65);  // not a key of the settings store
        QCOMPARE(next.control<QLineEdit>(1000)->text(), QStringLiteral("3.33"));
        QCOMPARE(next.control<QLineEdit>(1004)->text(), QStringLiteral("2"));
    }

    // Exit with a new farm edited: Save writes it to a farm file and the next start has it
    // back; Discard leaves nothing of the edit in the settings store: the next start has the
    // farm from before it, without an edit marker.
    void exit_keeps_a_saved_edit_and_forgets_a_discarded_one() {
        database_copy data;
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("kept.ini"));
        const struct {
            save_choice answer;
            bool kept;
        } cases[] = {{save_choice::save, true}, {save_choice::discard, false}};
        for (const auto& c : cases) {
            testing::clear_settings();
            QFile::remove(file);
            exact_decimal before;
            {
                main_frame frame;
                child_frame* window = frame.open_document(data.path());
                QVERIFY(window);
                QVERIFY(window->new_farm());
                before = window->document()->model()->current().inputs.price[0];
                QVERIFY(testing::shown_as(before, 2) != QStringLiteral("9.99"));
                find_control_as<QLineEdit>(window->view(), 1000)->setText(QStringLiteral("9.99"));
                QVERIFY(window->isWindowModified());
                set_save_question_hook([&c](const QString&) { return c.answer; });
                set_file_name_hook([&file](const QString&, const QString&) { return file; });
                QVERIFY(frame.close());
                set_save_question_hook({});
                set_file_name_hook({});
            }
            QCOMPARE(QFile::exists(file), c.kept);
            main_frame next;
            child_frame* window = next.open_document(data.path());
            QVERIFY(window);
            next.open_start_farm({});
            const QString expected = c.kept ? QStringLiteral("9.99") : testing::shown_as(before, 2);
            QCOMPARE(testing::shown_as(window->document()->model()->current().inputs.price[0], 2), expected);
            QCOMPARE(find_control_as<QLineEdit>(window->view(), 1000)->text(), expected);
            QVERIFY(!window->isWindowModified());
        }
    }

    void cancel_keeps_the_acres_already_typed() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        form.control<QLineEdit>(1004)->setText(QStringLiteral("1"));
        set_modal_hook([](QDialog& dialog) {
            auto* sheet = qobject_cast<propsheet_calculator*>(&dialog);
            if (!sheet) return int(QDialog::Rejected);
            find_control_as<QLineEdit>(sheet->crop_page(1), 1125)->setText(QStringLiteral("1,234.5"));
            return int(QDialog::Rejected);
        });
        form.document->on_show_crops();
        QCOMPARE(form.inputs().units[0].size(), std::size_t{1});  // "Show Crops" stored the form first
        QCOMPARE(form.inputs().units[0][0].acres.to_double(), 1234.5);
    }

    void maintenance_buttons_reach_the_document() {
        database_copy data;
        open_form form;
        QVERIFY(form.open(data.path()));
        error_lists_.clear();
        form.control<QPushButton>(1419)->click();  // Show State Inputs: no question, always the report
        QCOMPARE(questions_.size(), std::size_t{0});
        QCOMPARE(error_lists_.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(error_lists_[0]).contains(QStringLiteral("B Values Whole Farm")));

        answer_ = false;
        const struct {
            int id;
            const char* question;
        } writes[] = {
            {1420, "Rewrite [Lookup Column Number] for state 17?"},
            {1421, "Rewrite [Lookup Column Number] table, all states?"},
            {1422, "Rewrite [County List] for state 17?"},
            {1423, "Rewrite [County List] for all states?"},
        };
        for (const auto& write : writes) {
            form.control<QPushButton>(write.id)->click();
            // The question first, then the state and the database file it would rewrite.
            QVERIFY(questions_.back().startsWith(QString::fromLatin1(write.question) + QStringLiteral("\n")));
            QVERIFY(questions_.back().contains(QStringLiteral("Database: ")));
            QVERIFY(questions_.back().contains(QStringLiteral("APH Base Premium Data.sqlite")));
            QCOMPARE(questions_.back().contains(QStringLiteral("State: Illinois (17)")),
                     QString::fromLatin1(write.question).contains(QStringLiteral("state 17")));
        }
        QCOMPARE(error_lists_.size(), std::size_t{1});  // No: nothing shown

        answer_ = true;
        form.control<QPushButton>(1420)->click();
        QCOMPARE(error_lists_.size(), std::size_t{2});
        QVERIFY(QString::fromStdString(error_lists_[1]).contains(QStringLiteral("Rows written\t")));

        // A county list rewrite without errors ends with a line per state it wrote.
        form.control<QPushButton>(1422)->click();
        QCOMPARE(error_lists_.size(), std::size_t{3});
        const QString one_state = QString::fromStdString(error_lists_[2]);
        QVERIFY2(!one_state.contains(QStringLiteral("ERROR")), qPrintable(one_state));
        QVERIFY(one_state.endsWith(QStringLiteral(" rows written to [County List]\r\n")));
        QVERIFY(one_state.contains(QStringLiteral("Illinois\t")));
        QCOMPARE(one_state.count(QStringLiteral("rows written to")), 1);
        QVERIFY(!one_state.contains(QStringLiteral("Illinois\t0 rows")));
        form.control<QPushButton>(1423)->click();
        QCOMPARE(QString::fromStdString(error_lists_.back()).count(QStringLiteral("rows written to")),
                 rated_state_count);
    }

    void a_failed_rewrite_is_shown_as_an_error() {
        database_copy data;
        {
            std::string error;
            auto db = connect_premium_database(data.path(), error);
            QVERIFY(db);
            QCOMPARE(db->execute_statement("CREATE TRIGGER refuse BEFORE INSERT ON `County List` BEGIN "
                                           "SELECT RAISE(ABORT, 'refused for the test'); END"),
                     S_OK_CODE);
        }
        open_form form;
        QVERIFY(form.open(data.path()));
        std::vector<QString> messages;
        set_message_hook([&messages](const QString& text) { messages.push_back(text); });
        error_lists_.clear();
        answer_ = true;
        form.control<QPushButton>(1422)->click();  // Write County List
        QCOMPARE(error_lists_.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(error_lists_[0]).contains(QStringLiteral("refused for the test\r\n")));
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0], QStringLiteral("ERROR, the rewrite failed for 1 state(s); their rows are unchanged."));
        set_message_hook([](const QString& text) { QFAIL(qPrintable(text)); });
    }

    void about_box_texts() {
        dialog_about about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Zelmora 2004"));
        QCOMPARE(find_control_as<QLabel>(&about, 1248)->text(), QStringLiteral("Zelmora Version 4.00"));
        QCOMPARE(find_control_as<QLabel>(&about, 1245)->text(), QStringLiteral("Build Date: ") + QStringLiteral(__DATE__));
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_document_test() { return std::make_unique<zelmora::document_test>(); }

#include "test_document.moc"
