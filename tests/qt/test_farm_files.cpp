// Farm files in the windows: each window's farm opened, saved and rated as the
// command line rates it, the edit marker and the Save / Discard / Cancel
// question, and the farm the settings store keeps with two windows open.
#include <QAction>
#include <QComboBox>
#include <QSignalSpy>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QStatusBar>
#include <QTest>

#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comma_locales.h"
#include "quote/quote_document.h"
#include "rating/farm_file.h"
#include "ui/dialog_farm_details.h"
#include "ui/property_page_whole_farm.h"
#include "ui/numeric_controls.h"
#include "ui/propsheet_calculator.h"
#include "window_fixture.h"

namespace zelmora {

using testing::action_named;
using testing::database_copy;

namespace {

const QString examples = QStringLiteral(ZELMORA_EXAMPLES_DIR);

std::string example(const char* name) { return (examples + QStringLiteral("/") + QString::fromLatin1(name)).toStdString(); }

QString label_text(QWidget* page, int id) {
    if (auto* label = find_control_as<QLabel>(page, id)) return label->text();
    return QStringLiteral("<no control %1>").arg(id);
}

// While it lives, no file of this process may grow past `bytes`: a write past it
// fails ("File too large") instead of raising SIGXFSZ.
class file_size_limit {
public:
    explicit file_size_limit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &own_limit_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &own_action_);
        const rlimit limit{bytes, own_limit_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    file_size_limit(const file_size_limit&) = delete;
    file_size_limit& operator=(const file_size_limit&) = delete;
    ~file_size_limit() {
        setrlimit(RLIMIT_FSIZE, &own_limit_);
        sigaction(SIGXFSZ, &own_action_, nullptr);
    }

private:
    rlimit own_limit_{};
    struct sigaction own_action_ {};
};

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The whole-farm page's rows as "guarantee per-acre total subsidy producer",
// corn's enterprise row, then the whole farm's, without thousands separators.
QStringList window_figures(doc_zelmora& document) {
    QStringList rows;
    set_modal_hook([&rows](QDialog& dialog) {
        auto* sheet = qobject_cast<propsheet_calculator*>(&dialog);
        if (!sheet) return int(QDialog::Rejected);
        sheet->show_page(9);
        for (const auto& ids : {std::array{1216, 1211, 1212, 1213, 1214}, std::array{1307, 1309, 1310, 1311, 1312}}) {
            QStringList row;
            for (int id : ids) row << label_text(sheet->whole_farm_page(), id).remove(QLatin1Char(','));
            rows << row.join(QLatin1Char(' '));
        }
        return int(QDialog::Rejected);
    });
    document.on_show_crops();
    set_modal_hook({});
    return rows;
}

// The same rows of `zelmora-cli --inputs FARM rate --tsv`.
QStringList command_line_figures(const std::string& database, const std::string& farm) {
    QProcess cli;
    cli.start(QStringLiteral(ZELMORA_CLI_BINARY), {QStringLiteral("--database"), QString::fromStdString(database),
                                                   QStringLiteral("--inputs"), QString::fromStdString(farm),
                                                   QStringLiteral("rate"), QStringLiteral("--tsv")});
    cli.waitForFinished(60000);
    QStringList rows;
    for (const QString& line : QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() > 2 && cells[0] == QStringLiteral("enterprise") && cells[1] == QStringLiteral("Corn"))
            rows.prepend(cells.mid(2, 5).join(QLatin1Char(' ')));
        else if (cells.size() > 1 && cells[0] == QStringLiteral("whole farm"))
            rows.append(cells.mid(1, 5).join(QLatin1Char(' ')));
    }
    return rows;
}

// The standard output of `zelmora-cli --inputs FARM rate --tsv` run with LC_ALL=`locale`.
QByteArray command_line_rating(const std::string& database, const QString& farm, const char* locale) {
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(ZELMORA_CLI_BINARY), {QStringLiteral("--database"), QString::fromStdString(database),
                                                   QStringLiteral("--inputs"), farm, QStringLiteral("rate"),
                                                   QStringLiteral("--tsv")});
    cli.waitForFinished(60000);
    return cli.exitCode() == 0 ? cli.readAllStandardOutput() : QByteArray("exit ") + QByteArray::number(cli.exitCode());
}

}  // namespace

class farm_files_test : public QObject {
    Q_OBJECT

    std::vector<QString> messages_;
    std::vector<QString> save_questions_;
    save_choice save_answer_ = save_choice::cancel;
    QString file_answer_;
    std::vector<std::pair<QString, QString>> file_questions_;  // caption, start

    QLineEdit* field(child_frame* window, int id) { return find_control_as<QLineEdit>(window->view(), id); }

private Q_SLOTS:
    void init() {
        testing::clear_settings();
        messages_.clear();
        save_questions_.clear();
        file_questions_.clear();
        set_message_hook([this](const QString& text) { messages_.push_back(text); });
        set_save_question_hook([this](const QString& text) {
            save_questions_.push_back(text);
            return save_answer_;
        });
        set_file_name_hook([this](const QString& caption, const QString& start) {
            file_questions_.push_back({caption, start});
            return file_answer_;
        });
    }
    void cleanup() {
        set_message_hook({});
        set_save_question_hook({});
        set_file_name_hook({});
        set_modal_hook({});
    }

    void examples_open_and_rate_as_on_the_command_line_before_and_after_saving() {
        database_copy data;
        QTemporaryDir folder;
        for (const char* name : {"iowa-farm.ini", "north-dakota-farm.ini", "arkansas-farm.ini"}) {
            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            QVERIFY2(frame.open_farm(example(name)), name);
            QVERIFY(messages_.empty());
            QVERIFY(window->windowTitle().startsWith(QFileInfo(QString::fromLatin1(name)).completeBaseName() +
                                                     QStringLiteral(" - ")));
            QVERIFY(!window->isWindowModified());
            const QStringList shown = window_figures(*window->document());

            file_answer_ = folder.filePath(QString::fromLatin1(name));
            QVERIFY(window->save_as());
            const QStringList original = command_line_figures(data.path(), example(name));
            const QStringList saved = command_line_figures(data.path(), file_answer_.toStdString());
            qInfo("%s: window %s | %s", name, qPrintable(shown.join(QStringLiteral(" | "))),
                  qPrintable(saved.join(QStringLiteral(" | "))));
            QCOMPARE(shown.size(), 2);
            QCOMPARE(saved, shown);
            QCOMPARE(original, shown);
            QCOMPARE(frame.recent_farms().front(), QFileInfo(file_answer_).absoluteFilePath().toStdString());
        }
    }

    // Under a German or French locale (Qt sets the C library's from the
    // environment), a price typed in the form is saved with its point, and the
    // command line under that locale rates the saved file as it rates the same
    // farm written by hand and rated in the C locale.
    void a_price_typed_under_a_comma_locale_is_saved_and_rated_as_typed() {
        database_copy data;
        QTemporaryDir folder;
        QByteArray by_hand = file_bytes(QString::fromStdString(example("iowa-farm.ini")));
        QVERIFY(by_hand.contains("\nPrice Corn=2.83\n"));
        by_hand.replace("\nPrice Corn=2.83\n", "\nPrice Corn=3.17\n");
        const QString by_hand_path = folder.filePath(QStringLiteral("by-hand.ini"));
        QFile by_hand_file(by_hand_path);
        QVERIFY(by_hand_file.open(QIODevice::WriteOnly) && by_hand_file.write(by_hand) == by_hand.size());
        by_hand_file.close();
        const QByteArray expected = command_line_rating(data.path(), by_hand_path, "C");
        QVERIFY2(expected.contains("\tCorn\t"), expected.constData());

        for (const char* locale_name : testing::comma_locales) {
            const testing::scoped_c_locale locale(locale_name);
            QVERIFY2(locale.problem().empty(), locale.problem().c_str());
            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            QVERIFY(frame.open_farm(example("iowa-farm.ini")));
            QLineEdit* price = field(window, 1000);  // Corn's price
            price->setText(QStringLiteral("3.17"));
            Q_EMIT price->editingFinished();
            file_answer_ = folder.filePath(QString::fromLatin1(locale_name) + QStringLiteral(".ini"));
            QVERIFY(window->save_as());
            const QByteArray saved = file_bytes(file_answer_);
            QVERIFY2(saved.contains("\nPrice Corn=3.17\n"), saved.constData());
            QVERIFY2(saved.contains("\n[APHContinuous]\n"), saved.constData());
            QCOMPARE(command_line_rating(data.path(), file_answer_, locale_name), expected);
        }
    }

    // Show Crops, then Esc with nothing typed: no input changes, no edit marker,
    // and closing asks nothing (the rater's settings are the farm's own, whatever
    // unit a rating rated last: Arkansas's last unit is irrigated Rice, its file says 3).
    void show_crops_cancelled_marks_nothing() {
        database_copy data;
        for (const char* name : {"arkansas-farm.ini", "iowa-farm.ini", "north-dakota-farm.ini"}) {
            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            QVERIFY2(frame.open_farm(example(name)), name);
            QVERIFY(!window->isWindowModified());
            const std::string inputs = farm_file_text(window->document()->model()->current());
            set_modal_hook([](QDialog& dialog) {
                dialog.show();
                QCoreApplication::processEvents();
                QTest::keyClick(&dialog, Qt::Key_Escape);
                return dialog.result();
            });
            window->document()->on_show_crops();
            set_modal_hook({});
            QCOMPARE(farm_file_text(window->document()->model()->current()), inputs);
            QVERIFY2(!window->isWindowModified(), name);
            QVERIFY(window->maybe_save());
            QVERIFY2(save_questions_.empty(), name);
        }
    }

    // Farm > Farm Details...: the producer, the agent and a note of two lines are
    // part of the farm: they mark it edited, are saved in its file, come back
    // with it, and stand on its quote; Cancel changes nothing.
    void farm_details_are_entered_saved_and_reopened() {
        database_copy data;
        QTemporaryDir folder;
        const farm_details typed{"Jane Q. Doe", "Sam Agent", "701-555-0100", "Two fields north.\nCall after harvest."};
        const auto answer_details = [](const farm_details& with, bool ok) {
            set_modal_hook([with, ok](QDialog& dialog) {
                auto* details = qobject_cast<dialog_farm_details*>(&dialog);
                if (!details) return int(QDialog::Rejected);
                details->producer_field()->setText(QString::fromStdString(with.producer));
                details->agent_field()->setText(QString::fromStdString(with.agent));
                details->agent_contact_field()->setText(QString::fromStdString(with.agent_contact));
                details->note_field()->setPlainText(QString::fromStdString(with.note));
                return int(ok ? QDialog::Accepted : QDialog::Rejected);
            });
        };
        {
            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            QVERIFY(frame.open_farm(example("iowa-farm.ini")));
            QAction* details = action_named(&frame, QStringLiteral("Farm &Details..."));
            QVERIFY(details && details->isEnabled());
            answer_details(typed, false);
            details->trigger();
            QVERIFY(window->document()->details().empty());
            QVERIFY(!window->isWindowModified());
            answer_details(typed, true);
            details->trigger();
            set_modal_hook({});
            QVERIFY(window->document()->details() == typed);
            QVERIFY(window->isWindowModified());
            QCOMPARE(window->document()->make_quote().details.producer, typed.producer);

            file_answer_ = folder.filePath(QStringLiteral("doe.ini"));
            QVERIFY(window->save_as());
            QVERIFY(!window->isWindowModified());
            QVERIFY(file_bytes(file_answer_).endsWith("\n[Farm Details]\nProducer=\"Jane Q. Doe\"\nAgent=\"Sam Agent\"\n"
                                                      "Agent Contact=\"701-555-0100\"\n"
                                                      "Note=\"Two fields north.\\nCall after harvest.\"\n"));
            // New Farm starts without details.
            QVERIFY(window->new_farm());
            QVERIFY(window->document()->details().empty());
        }
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        QVERIFY(frame.open_farm(file_answer_.toStdString()));
        QVERIFY(window->document()->details() == typed);
        QVERIFY(!window->isWindowModified());
        QVERIFY(save_questions_.empty());
    }

    // Export Quote as PDF suggests the farm's name in its file's folder, adds
    // ".pdf" to a name without it (asking before it replaces a file under that
    // name) and says on the status line where it wrote.
    void export_suggests_the_farm_name_adds_pdf_and_says_where() {
        database_copy data;
        QTemporaryDir folder;
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        QAction* export_pdf = action_named(&frame, QStringLiteral("&Export Quote as PDF..."));
        QVERIFY(export_pdf);
        file_answer_.clear();
        export_pdf->trigger();
        QCOMPARE(file_questions_.back().second,
                 QFileInfo(QString::fromStdString(data.path())).absoluteDir().filePath(QStringLiteral("Untitled farm.pdf")));

        QVERIFY(frame.open_farm(example("iowa-farm.ini")));
        file_answer_ = folder.filePath(QStringLiteral("smith.ini"));
        QVERIFY(window->save_as());
        file_answer_ = folder.filePath(QStringLiteral("for the Smiths"));
        export_pdf->trigger();
        QCOMPARE(file_questions_.back().second, folder.filePath(QStringLiteral("smith.pdf")));
        const QString written = folder.filePath(QStringLiteral("for the Smiths.pdf"));
        QVERIFY(file_bytes(written).startsWith("%PDF"));
        QVERIFY2(frame.statusBar()->currentMessage().contains(QDir::toNativeSeparators(written)),
                 qPrintable(frame.statusBar()->currentMessage()));

        // The name with ".pdf" added is a file already: asked first, kept on No.
        QFile old(written);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("kept");
        old.close();
        std::vector<QString> questions;
        set_question_hook([&questions](const QString& text) {
            questions.push_back(text);
            return false;
        });
        export_pdf->trigger();
        set_question_hook({});
        QCOMPARE(questions.size(), std::size_t{1});
        QVERIFY(questions[0].contains(QStringLiteral("for the Smiths.pdf")));
        QCOMPARE(file_bytes(written), QByteArray("kept"));
        // A name that ends in .PDF is taken as it is.
        QCOMPARE(with_pdf_suffix(QStringLiteral("/a/B.PDF")), QStringLiteral("/a/B.PDF"));
        QCOMPARE(with_pdf_suffix(QStringLiteral("/a/b.quote")), QStringLiteral("/a/b.quote.pdf"));
    }

    // A form field whose text is not taken stops Save, Save As, Print and the export: each
    // says which field and why and writes nothing; with the text put back (Esc), Save goes on.
    void a_refused_field_stops_save_print_and_export() {
        database_copy data;
        QTemporaryDir folder;
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        QVERIFY(frame.open_farm(example("iowa-farm.ini")));
        const QString path = folder.filePath(QStringLiteral("iowa.ini"));
        file_answer_ = path;
        QVERIFY(window->save_as());
        const QByteArray saved = file_bytes(path);
        auto* units = find_control_as<edit_integer>(window->view(), 1004);
        units->setFocus();
        units->setText(QStringLiteral("9"));
        QVERIFY(units->refused());

        const QString pdf = folder.filePath(QStringLiteral("quote.pdf"));
        file_answer_ = folder.filePath(QStringLiteral("other.ini"));
        file_questions_.clear();
        int print_dialogs = 0;
        set_modal_hook([&print_dialogs](QDialog&) {
            ++print_dialogs;
            return int(QDialog::Rejected);
        });
        QVERIFY(!window->save());
        QVERIFY(!window->save_as());
        action_named(&frame, QStringLiteral("&Print..."))->trigger();
        file_answer_ = pdf;
        action_named(&frame, QStringLiteral("&Export Quote as PDF..."))->trigger();
        set_modal_hook({});
        const QString why = QStringLiteral("Corn number of units: 9 is not taken; units are 0 to 7.");
        const QString beginnings[] = {QStringLiteral("The farm cannot be saved"), QStringLiteral("The farm cannot be saved"),
                                      QStringLiteral("The quote cannot be printed"),
                                      QStringLiteral("The quote cannot be exported")};
        QCOMPARE(messages_.size(), std::size_t{4});
        for (std::size_t i = 0; i < messages_.size(); ++i) {
            QVERIFY2(messages_[i].startsWith(beginnings[i]) && messages_[i].contains(why), qPrintable(messages_[i]));
        }
        QVERIFY(file_questions_.empty());
        QCOMPARE(print_dialogs, 0);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("other.ini"))));
        QCOMPARE(file_bytes(path), saved);

        QTest::keyClick(units, Qt::Key_Escape);
        QCOMPARE(units->text(), QStringLiteral("3"));
        QVERIFY(window->save());
        QCOMPARE(file_bytes(path), saved);
        QCOMPARE(messages_.size(), std::size_t{4});
    }

    // A change of state carries the county list's place over. Where the new state's list
    // does not reach that place, the farm has no county: nothing is rated, the title and the
    // status line say to choose one, and Save and Print say why they do not go on. Where it
    // does, the status line names the county now selected. A farm saved opens again.
    void a_state_without_the_county_place_leaves_the_county_to_choose() {
        database_copy data;
        QTemporaryDir folder;
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        doc_zelmora& document = *window->document();
        auto* states = find_control_as<QComboBox>(window->view(), 1010);
        auto* counties = find_control_as<QComboBox>(window->view(), 1011);
        // The states with the longest and the shortest county lists.
        int longest = -1, shortest = -1;
        std::size_t most = 0, fewest = SIZE_MAX;
        for (int i = 0; i < states->count(); ++i) {
            const std::size_t count = document.session.state(states->itemData(i).toInt()).counties().size();
            if (count > most) {
                most = count;
                longest = i;
            }
            if (count > 0 && count < fewest) {
                fewest = count;
                shortest = i;
            }
        }
        QVERIFY(most > fewest);
        const QString short_name = states->itemText(shortest);
        QSignalSpy said(window->view(), &view_zelmora::status_message);

        // Within reach: the county at the same place, named on the status line.
        states->setCurrentIndex(longest);
        counties->setCurrentIndex(0);
        const QString first_before = counties->currentText();
        states->setCurrentIndex(shortest);
        const county_record& first = document.session.state(states->itemData(shortest).toInt()).counties().front();
        QCOMPARE(document.model()->current().inputs.county_fips, first.county_fips);
        QCOMPARE(said.last().at(0).toString(),
                 QStringLiteral("%1: county %2 is selected, at the place of %3 in the county list")
                     .arg(short_name, QString::fromStdString(first.county_name), first_before));

        // Past the reach of the new list: no county.
        states->setCurrentIndex(longest);
        counties->setCurrentIndex(static_cast<int>(fewest));
        states->setCurrentIndex(shortest);
        QCOMPARE(document.model()->current().inputs.county_fips, 0);
        QCOMPARE(counties->currentIndex(), -1);
        QVERIFY2(said.last().at(0).toString().startsWith(short_name + QStringLiteral(": choose a county")),
                 qPrintable(said.last().at(0).toString()));
        const QString choose = QStringLiteral("choose a county in ") + short_name;
        QVERIFY2(window->windowTitle().contains(choose), qPrintable(window->windowTitle()));
        QCOMPARE(frame.status_note(), QStringLiteral("C") + choose.mid(1) +
                                          QStringLiteral(": nothing is rated until one is chosen"));
        const farm_rating& rating = document.model()->rating();
        for (int c = 1; c <= crop_count; ++c)
            for (const unit_rating& unit : rating.units[static_cast<std::size_t>(c - 1)]) QVERIFY(!unit.figures);

        const QString path = folder.filePath(QStringLiteral("moved.ini"));
        file_answer_ = path;
        int print_dialogs = 0;
        set_modal_hook([&print_dialogs](QDialog&) {
            ++print_dialogs;
            return int(QDialog::Rejected);
        });
        QVERIFY(!window->save_as());
        action_named(&frame, QStringLiteral("&Print..."))->trigger();
        set_modal_hook({});
        QCOMPARE(messages_.size(), std::size_t{2});
        QVERIFY2(messages_[0].startsWith(QStringLiteral("The farm cannot be saved")) && messages_[0].contains(choose),
                 qPrintable(messages_[0]));
        QVERIFY2(messages_[1].startsWith(QStringLiteral("The quote cannot be printed")) && messages_[1].contains(choose),
                 qPrintable(messages_[1]));
        QCOMPARE(print_dialogs, 0);
        QVERIFY(!QFile::exists(path));

        // A county chosen: saved, and the file opens again with it.
        counties->setCurrentIndex(0);
        QCOMPARE(frame.status_note(), QStringLiteral("Ready"));
        QVERIFY(window->save_as());
        QVERIFY(file_bytes(path).contains(QStringLiteral("\nCounty FIPS=%1\n").arg(first.county_fips).toLatin1()));
        QVERIFY(frame.open_farm(example("iowa-farm.ini")));
        QVERIFY(frame.open_farm(path.toStdString()));
        QCOMPARE(document.model()->current().inputs.county_fips, first.county_fips);
        QCOMPARE(messages_.size(), std::size_t{2});
    }

    // A red frame goes with the text it marks: after Open Farm and New Farm the fields show
    // valid values, without a frame or the refusal in their tooltips.
    void open_and_new_farm_leave_no_red_frame() {
        database_copy data;
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        auto* price = find_control_as<edit_decimal>(window->view(), 1000);
        auto* units = find_control_as<edit_integer>(window->view(), 1004);
        const QString plain_tip = price->toolTip();
        const std::function<bool()> steps[] = {[&] { return frame.open_farm(example("iowa-farm.ini")); },
                                               [&] { return window->new_farm(); }};
        for (const auto& step : steps) {
            price->setText(QStringLiteral("abc"));
            units->setText(QStringLiteral("9"));
            QVERIFY(price->refused() && units->refused());
            QVERIFY(step());
            for (number_field* field : {static_cast<number_field*>(price), static_cast<number_field*>(units)}) {
                QVERIFY2(!field->refused(), qPrintable(field->field_name()));
                QVERIFY(field->styleSheet().isEmpty());
                QVERIFY(!field->toolTip().contains(QStringLiteral("not taken")));
            }
            QCOMPARE(price->toolTip(), plain_tip);
            QVERIFY(!window->isWindowModified());
        }
        QVERIFY(messages_.empty());
    }

    // Print starts on the paper of the PDF file and the command line (US Letter),
    // whatever the printer's own default.
    void print_starts_on_the_quotes_paper() {
        database_copy data;
        main_frame frame;
        QVERIFY(frame.open_document(data.path()));
        QPageLayout offered;
        set_modal_hook([&offered](QDialog& dialog) {
            if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) offered = print->printer()->pageLayout();
            return int(QDialog::Rejected);
        });
        action_named(&frame, QStringLiteral("&Print..."))->trigger();
        set_modal_hook({});
        QCOMPARE(offered.pageSize().id(), QPageSize::Letter);
        QCOMPARE(offered.pageSize().id(), quote_page_layout().pageSize().id());
        QCOMPARE(offered.orientation(), QPageLayout::Portrait);
    }

    // File > New makes nothing and says where databases and farms come from; New
    // Farm has its keys; no two commands of a menu share an Alt key.
    void file_commands_say_what_they_do_and_keep_their_keys_apart() {
        database_copy data;
        main_frame frame;
        QVERIFY(frame.open_document(data.path()));
        QAction* new_action = action_named(&frame, QStringLiteral("&New"));
        QVERIFY(new_action);
        QVERIFY(new_action->statusTip().contains(QStringLiteral("Open")));
        QVERIFY(new_action->statusTip().contains(QStringLiteral("New Farm")));
        QCOMPARE(action_named(&frame, QStringLiteral("New &Farm"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+N")));
        for (QAction* menu : frame.menuBar()->actions()) {
            if (!menu->menu()) continue;
            QStringList keys;
            for (QAction* command : menu->menu()->actions()) {
                const QString text = command->text();
                const qsizetype at = text.indexOf(QLatin1Char('&'));
                if (command->isSeparator() || at < 0 || at + 1 >= text.size() ||
                    text.at(at + 1).isDigit())  // the numbered entries of recent lists
                    continue;
                const QString key = text.at(at + 1).toLower();
                QVERIFY2(!keys.contains(key), qPrintable(menu->text() + QStringLiteral(": ") + text));
                keys << key;
            }
        }
    }

    // The question at the exit stands over the window in front, takes the focus,
    // and has an Alt key for each answer.
    void the_exit_question_comes_to_the_front_with_its_keys() {
        database_copy data;
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QApplication::setActiveWindow(&frame);
        field(window, 1000)->setText(QStringLiteral("3.33"));
        set_save_question_hook({});
        QWidget* owner = nullptr;
        bool shown = false;
        QStringList answers;
        set_modal_hook([&](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            if (!box) return int(QDialog::Rejected);
            owner = box->parentWidget();
            shown = box->isVisible();
            for (QAbstractButton* button : box->buttons()) answers << button->text();
            return int(QMessageBox::Discard);
        });
        QVERIFY(frame.close());
        set_modal_hook({});
        QCOMPARE(owner, &frame);
        QVERIFY(shown);
        QVERIFY2(answers.contains(QStringLiteral("&Discard")), qPrintable(answers.join(QLatin1Char(' '))));
        QVERIFY2(answers.contains(QStringLiteral("&Save")), qPrintable(answers.join(QLatin1Char(' '))));
    }

    void a_refused_file_changes_nothing_and_says_why() {
        const std::pair<const char*, const char*> cases[] = {
            {"[Settings]\nState FIPS=19\nCounty FIPS=169\nCoverage Whole Farm=72\n",
             "\"Coverage Whole Farm\" must be 65, 70, 75, 80 or 85, not \"72\""},
            // A county the rating data does not list: nothing of it could be rated.
            {"[Settings]\nState FIPS=19\nCounty FIPS=999\n",
             "County FIPS 999 is not a county of Iowa in the rating database"},
        };
        for (const auto& [text, why] : cases) {
            messages_.clear();
            database_copy data;
            QTemporaryDir folder;
            const QString refused = folder.filePath(QStringLiteral("refused.ini"));
            QFile out(refused);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(text);
            out.close();

            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            const QString title = window->windowTitle();
            const QString price = field(window, 1000)->text();
            const farm before = window->document()->model()->current();
            QVERIFY(!frame.open_farm(refused.toStdString()));
            QCOMPARE(messages_.size(), std::size_t{1});
            QVERIFY2(messages_[0].contains(QString::fromUtf8(why)), qPrintable(messages_[0]));
            QCOMPARE(window->windowTitle(), title);
            QCOMPARE(field(window, 1000)->text(), price);
            QVERIFY(window->document()->model()->current() == before);
            QVERIFY(!window->document()->farm_modified());
            QVERIFY(window->document()->farm_file_path().empty());
        }
    }

    void title_names_the_farm_and_county_and_marks_edits() {
        database_copy data;
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("Untitled farm - ")));
        QVERIFY(window->windowTitle().endsWith(QStringLiteral(", Illinois[*]")));
        QCOMPARE(window->document()->farm_display_name(), std::string("Untitled farm"));
        QVERIFY(!window->isWindowModified());
        field(window, 1000)->setText(QStringLiteral("3.33"));
        QVERIFY(window->isWindowModified());
        // Typed back as it was: nothing to save, no question.
        const exact_decimal price = window->document()->model()->current().inputs.price[0];
        field(window, 1000)->setText(QString::fromStdString(price.to_text(2)));
        QVERIFY(!window->document()->farm_modified());
        QVERIFY(!window->isWindowModified());

        QVERIFY(frame.open_farm(example("iowa-farm.ini")));
        farm_model& model = *window->document()->model();
        QCOMPARE(window->windowTitle(), QStringLiteral("iowa-farm - ") +
                                            QString::fromStdString(model.state().find_county(169)->county_name) +
                                            QStringLiteral(", Iowa[*]"));
        // New Farm: the defaults in the same state and county, untitled.
        testing::change_farm(model, [](farm& f) { f.inputs.coverage_whole_farm = 85; });
        save_answer_ = save_choice::discard;
        QVERIFY(window->new_farm());
        QCOMPARE(save_questions_.size(), std::size_t{1});
        QCOMPARE(model.current().state_fips, 19);
        QCOMPARE(model.current().inputs.county_fips, 169);
        QCOMPARE(model.current().inputs.coverage_whole_farm, 65);
        QVERIFY(model.current().inputs.units[0].empty());
        QVERIFY(!window->isWindowModified());
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("Untitled farm - ")));
    }

    void the_save_question_saves_discards_or_cancels() {
        database_copy data;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("farm.ini"));
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);

        // Cancel: the window stays, nothing is written.
        field(window, 1000)->setText(QStringLiteral("3.33"));
        save_answer_ = save_choice::cancel;
        QVERIFY(!window->close());
        QCOMPARE(frame.mdi_area()->subWindowList().size(), 1);
        QVERIFY(!QFile::exists(path));
        // Save on an untitled farm asks for a name; cancelling that keeps the window too.
        save_answer_ = save_choice::save;
        file_answer_.clear();
        QVERIFY(!window->maybe_save());
        file_answer_ = path;
        QVERIFY(window->maybe_save());
        QVERIFY(file_bytes(path).contains("\nPrice Corn=3.33\n"));
        QCOMPARE(window->document()->farm_file_path(), path.toStdString());
        QVERIFY(!window->isWindowModified());
        QCOMPARE(save_questions_.size(), std::size_t{3});

        // Save on a titled farm writes without asking for a name.
        field(window, 1000)->setText(QStringLiteral("3.44"));
        file_answer_ = QStringLiteral("/nowhere/never.ini");
        QVERIFY(window->save());
        QVERIFY(file_bytes(path).contains("\nPrice Corn=3.44\n"));

        // Discard closes and leaves the file as saved.
        field(window, 1000)->setText(QStringLiteral("3.55"));
        save_answer_ = save_choice::discard;
        QVERIFY(window->close());
        QVERIFY(file_bytes(path).contains("\nPrice Corn=3.44\n"));
        QVERIFY(messages_.empty());
    }

    void a_folder_that_cannot_be_written_gives_an_error_and_keeps_the_old_file() {
        database_copy data;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("farm.ini"));
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        file_answer_ = path;
        QVERIFY(window->save_as());
        const QByteArray saved = file_bytes(path);

        field(window, 1000)->setText(QStringLiteral("3.33"));
        {
            // A disk that fills up part way (for any user, the superuser too).
            const file_size_limit full_disk(256);
            QVERIFY(!window->save());
        }
        QCOMPARE(messages_.size(), std::size_t{1});
        QCOMPARE(messages_[0], QStringLiteral("cannot write farm file \"") + path + QStringLiteral("\": File too large"));
        QCOMPARE(file_bytes(path), saved);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("farm.ini")});
        QVERIFY(window->isWindowModified());

        file_answer_ = folder.filePath(QStringLiteral("gone/farm.ini"));
        QVERIFY(!window->save_as());
        QCOMPARE(messages_.size(), std::size_t{2});
        QCOMPARE(window->document()->farm_file_path(), path.toStdString());
    }

    // File > Export Quote as PDF writes the quote whole or not at all: a disk that
    // fills up, or a device that takes nothing, says why and leaves the file that was there.
    void the_quote_is_exported_whole_or_not_at_all() {
        database_copy data;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("quote.pdf"));
        main_frame frame;
        QVERIFY(frame.open_document(data.path()));
        QAction* export_pdf = nullptr;
        for (QAction* action : frame.findChildren<QAction*>())
            if (QString(action->text()).remove(QLatin1Char('&')) == QStringLiteral("Export Quote as PDF..."))
                export_pdf = action;
        QVERIFY(export_pdf);

        file_answer_ = path;
        export_pdf->trigger();
        QVERIFY(messages_.empty());
        const QByteArray written = file_bytes(path);
        QVERIFY(written.startsWith("%PDF"));
        {
            const file_size_limit full_disk(static_cast<rlim_t>(written.size() / 2));
            export_pdf->trigger();
        }
        QCOMPARE(messages_.size(), std::size_t{1});
        QCOMPARE(messages_[0], QStringLiteral("cannot write \"") + path + QStringLiteral("\": File too large"));
        QCOMPARE(file_bytes(path), written);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("quote.pdf")});

        file_answer_ = QStringLiteral("/dev/full");
        export_pdf->trigger();
        QCOMPARE(messages_.size(), std::size_t{2});
        QCOMPARE(messages_[1], QStringLiteral("cannot write \"/dev/full\": No space left on device"));
    }

    // One farm file, one window: opening a farm another window holds shows that window.
    // A save over a file someone else wrote since it was opened or saved here asks first;
    // No keeps their file, Yes replaces it. A file rewritten with the same bytes is not asked of.
    void a_farm_file_is_held_by_one_window_and_not_overwritten_unasked() {
        database_copy data;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("shared.ini"));
        QVERIFY(QFile::copy(QString::fromStdString(example("iowa-farm.ini")), path));
        main_frame frame;
        child_frame* first = frame.open_document(data.path());
        child_frame* second = frame.open_document(data.path());
        QVERIFY(first && second);
        frame.mdi_area()->setActiveSubWindow(first);
        QVERIFY(frame.open_farm(path.toStdString()));
        frame.mdi_area()->setActiveSubWindow(second);
        QVERIFY(frame.open_farm(path.toStdString()));
        QCOMPARE(frame.mdi_area()->activeSubWindow(), first);
        QVERIFY(second->document()->farm_file_path().empty());
        QCOMPARE(frame.frame_holding_farm(path.toStdString()), first);

        std::vector<QString> questions;
        bool replace = false;
        set_question_hook([&questions, &replace](const QString& text) {
            questions.push_back(text);
            return replace;
        });
        // Another program writes the file: Soybeans 7.00.
        const auto write_file = [&path](const QByteArray& bytes) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bytes);
        };
        QByteArray theirs = file_bytes(path);
        theirs.replace("\nPrice Soybeans=6.72\n", "\nPrice Soybeans=7.00\n");
        write_file(theirs);
        field(first, 1000)->setText(QStringLiteral("2.22"));
        QVERIFY(!first->save());
        QCOMPARE(questions.size(), std::size_t{1});
        QVERIFY2(questions[0].contains(QDir::toNativeSeparators(path)), qPrintable(questions[0]));
        QCOMPARE(file_bytes(path), theirs);
        QVERIFY(first->isWindowModified());
        replace = true;
        QVERIFY(first->save());
        QCOMPARE(questions.size(), std::size_t{2});
        QVERIFY(file_bytes(path).contains("\nPrice Corn=2.22\n"));
        QVERIFY(file_bytes(path).contains("\nPrice Soybeans=6.72\n"));
        // Saved here: the next save does not ask; nor after the same bytes are written again.
        field(first, 1000)->setText(QStringLiteral("2.33"));
        QVERIFY(first->save());
        write_file(file_bytes(path));
        field(first, 1000)->setText(QStringLiteral("2.44"));
        QVERIFY(first->save());
        QCOMPARE(questions.size(), std::size_t{2});
        set_question_hook({});
        QVERIFY(messages_.empty());
    }

    void two_windows_the_edited_farm_is_back_whichever_closes_first() {
        database_copy data;
        QTemporaryDir folder;
        for (bool edited_closes_first : {true, false}) {
            testing::clear_settings();
            // Saved when the window goes (a discarded edit would leave nothing behind).
            save_answer_ = save_choice::save;
            file_answer_ = folder.filePath(QStringLiteral("edited-%1.ini").arg(edited_closes_first));
            {
                main_frame frame;
                child_frame* edited = frame.open_document(data.path());
                child_frame* untouched = frame.open_document(data.path());
                QVERIFY(edited && untouched);
                frame.mdi_area()->setActiveSubWindow(edited);
                field(edited, 1000)->setText(QStringLiteral("4.44"));
                field(edited, 1004)->setText(QStringLiteral("2"));
                frame.mdi_area()->setActiveSubWindow(untouched);  // the slip: the untouched one is active
                if (edited_closes_first) {
                    QVERIFY(edited->close());
                    QVERIFY(untouched->close());
                } else {
                    frame.close();  // File > Exit with both open
                }
            }
            main_frame next;
            child_frame* window = next.open_document(data.path());
            QVERIFY(window);
            QCOMPARE(window->document()->model()->current().inputs.price[0].to_double(), 4.44);
            QCOMPARE(window->document()->model()->current().inputs.units[0].size(), std::size_t{2});
        }
    }

    void the_next_start_reopens_the_last_farm_file_or_the_one_given() {
        database_copy data;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("kept.ini"));
        {
            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            QVERIFY(frame.open_farm(example("north-dakota-farm.ini")));
            file_answer_ = path;
            QVERIFY(window->save_as());
            frame.close();
        }
        {
            main_frame frame;
            child_frame* window = frame.open_document(data.path());
            QVERIFY(window);
            frame.open_start_farm({});
            QCOMPARE(window->document()->farm_file_path(), path.toStdString());
            QVERIFY(!window->isWindowModified());
            QCOMPARE(frame.recent_farms().front(), QFileInfo(path).absoluteFilePath().toStdString());
            // Given on the command line: that farm instead.
            frame.open_start_farm(example("iowa-farm.ini"));
            QVERIFY(window->windowTitle().startsWith(QStringLiteral("iowa-farm - ")));
            frame.close();
        }
        // A last farm file that is gone: the stored inputs, untitled.
        QVERIFY(QFile::remove(path));
        qsettings_store().write_text(farm_file_section, last_farm_key, path.toStdString());
        main_frame frame;
        child_frame* window = frame.open_document(data.path());
        QVERIFY(window);
        frame.open_start_farm({});
        QVERIFY(window->document()->farm_file_path().empty());
        QCOMPARE(window->document()->model()->current().state_fips, 19);
        QVERIFY(messages_.empty());
    }
};

}  // namespace zelmora

std::unique_ptr<QObject> make_farm_files_test() { return std::make_unique<zelmora::farm_files_test>(); }

#include "test_farm_files.moc"
