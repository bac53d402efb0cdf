// Writes pictures of the main windows into a folder, for a person to look at:
// the form, a crop page, the whole-farm page, the Compare page, the malting barley dialog, the
// Test dialog, the Compare Coverage window and the User Guide. A second argument (for example
// 1024x768) sizes the main window; the Parameters window then fits the screen
// it is shown on. A third names an inputs file (examples/iowa-farm.ini) whose
// farm is shown instead of the built-in one; the farm's window is then also
// pictured with its File menu open, its Farm details dialog, edited, and
// asking whether to save.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

#include "app/user_guide.h"
#include "ui/compare_window.h"
#include "ui/outcomes_window.h"
#include "ui/dialog_error_list.h"
#include "ui/dialog_farm_details.h"
#include "ui/dialog_malting_barley.h"
#include "ui/dialog_test_state.h"
#include "ui/property_page_crop.h"
#include "ui/comparison_view.h"
#include "ui/property_page_compare.h"
#include "ui/propsheet_calculator.h"
#include "window_fixture.h"

using namespace zelmora;

namespace {

void save(QWidget& window, const QString& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    window.grab().save(folder + QLatin1Char('/') + QString::fromLatin1(name));
}

// A picture of the main window with the windows that stand over it (menus, a
// question) painted where they are.
void save_with(main_frame& frame, const std::vector<QWidget*>& over, const QString& folder, const char* name) {
    QApplication::processEvents();
    QPixmap picture = frame.grab();
    QPainter painter(&picture);
    for (QWidget* window : over) painter.drawPixmap(frame.mapFromGlobal(window->pos()), window->grab());
    painter.end();
    picture.save(folder + QLatin1Char('/') + QString::fromLatin1(name));
}

// The farm's window: its File menu with Recent Farms open, then the window
// with an edited price, then the question at the close.
void save_farm_pictures(main_frame& frame, child_frame& window, const QString& folder) {
    window.showNormal();
    window.setGeometry(0, 0, frame.mdi_area()->width() * 98 / 100, frame.mdi_area()->height() * 98 / 100);
    QMenu* file = frame.menuBar()->actions().constFirst()->menu();
    file->popup(frame.menuBar()->mapToGlobal(frame.menuBar()->actionGeometry(frame.menuBar()->actions().constFirst()).bottomLeft()));
    QApplication::processEvents();
    QAction* recent = nullptr;
    for (QAction* action : file->actions())
        if (action->menu() && action->text().contains(QStringLiteral("Fa&rms"))) recent = action;
    std::vector<QWidget*> over = {file};
    if (recent) {
        file->setActiveAction(recent);
        recent->menu()->popup(file->mapToGlobal(file->actionGeometry(recent).topRight()));
        over.push_back(recent->menu());
    }
    save_with(frame, over, folder, "farm-file-menu.png");
    if (recent) recent->menu()->hide();
    file->hide();

    dialog_farm_details details({"Jane Q. Doe", "Sam Agent", "701-555-0100", "Quoted at the kitchen table.\nCall after harvest."},
                                &frame);
    save(details, folder, "farm-details.png");
    details.hide();

    find_control_as<QLineEdit>(window.view(), 1001)->setText(QStringLiteral("7.00"));
    save_with(frame, {}, folder, "farm-window-edited.png");
    set_modal_hook([&](QDialog& question) {
        question.adjustSize();
        question.move(frame.mapToGlobal(QPoint((frame.width() - question.width()) / 2, (frame.height() - question.height()) / 2)));
        save_with(frame, {&question}, folder, "farm-save-prompt.png");
        return int(QMessageBox::Cancel);
    });
    window.maybe_save();
    set_modal_hook({});
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(settings_organization));
    QApplication::setApplicationName(QString::fromLatin1(settings_application));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    dialog_error_list::set_replacement([](const std::string& text) { std::fputs(text.c_str(), stderr); });

    testing::database_copy data;
    main_frame frame;
    QSize size(1280, 800);
    if (argc > 2) {
        const QStringList parts = QString::fromLocal8Bit(argv[2]).split(QLatin1Char('x'));
        if (parts.size() == 2) size = QSize(parts[0].toInt(), parts[1].toInt());
    }
    frame.resize(size);
    const bool farm_file = argc > 3;
    child_frame* window = frame.open_document(data.path());
    if (!window) return 1;
    // The farm file opens as File > Open Farm... opens it, with the command line's keys.
    if (farm_file && !window->open_farm(argv[3])) return 1;
    farm_model& model = *window->document()->model();
    farm f = model.current();
    if (!farm_file) {
        f.state_fips = 17;
        f.inputs.county_fips = 1;
    }
    const std::vector<int> built_in_crops = farm_file ? std::vector<int>{} : std::vector<int>{1, 2, 6};
    for (int crop : built_in_crops) {
        auto& units = f.inputs.units[static_cast<std::size_t>(crop - 1)];
        units.clear();
        for (int i = 0; i < 3; ++i) {
            insurance_unit unit;
            unit.type_code = 997;
            unit.practice_code = 3;
            unit.aph_yield = crop == 2 ? 45.0 + i : 150.0 + 10 * i;
            unit.rate_yield = unit.aph_yield;
            unit.acres = 120.5 * (i + 1);
            unit.share = i == 2 ? 0.5 : 1.0;
            unit.malting_barley_price = 3.5;
            unit.malting_barley_acres = 40.0;
            unit.malting_barley_approved_yield = 70.0;
            units.push_back(unit);
        }
    }
    model.set(f);
    // The form shows the counts, so that storing it keeps the units.
    if (!farm_file) {
        for (int id : {1004, 1005, 1109}) find_control_as<QLineEdit>(window->view(), id)->setText(QStringLiteral("3"));
    }
    save(frame, folder, "form.png");

    propsheet_calculator sheet(&model);
    save(sheet, folder, "crop-page.png");
    sheet.show_page(5);
    save(sheet, folder, "barley-page.png");
    sheet.show_page(propsheet_calculator::whole_farm_index);
    save(sheet, folder, "whole-farm-page.png");
    sheet.show_page(propsheet_calculator::compare_index);
    sheet.compare_page()->view()->show_table(static_cast<int>(sheet.compare_page()->view()->tables().size()) - 1);
    save(sheet, folder, "compare-page.png");
    dialog_malting_barley barley(&sheet, &model);
    save(barley, folder, "malting-barley.png");
    barley.hide();
    int state = model.current().state_fips;
    int county = model.current().inputs.county_fips;
    int low = 1;
    int high = 63;
    dialog_test_state test(&sheet, window->document()->session, state, county, low, high, false);
    test.set_four_crop_state(is_four_crop_state_fips(state));
    save(test, folder, "test-dialog.png");
    test.hide();
    sheet.hide();

    compare_window comparison(&model);
    comparison.resize(size.width() - 40, size.height() - 60);
    comparison.show_table(static_cast<int>(comparison.tables().size()) - 1);  // the farm: every structure
    save(comparison, folder, "compare-window.png");
    comparison.hide();

    // An outcome with corn 20% down and its yields at 80% of APH, the farm's table, and the
    // expected figures once drawn.
    outcomes_window outcomes(&model, window->document()->payout_parameters());
    outcomes.resize(size.width() - 40, size.height() - 60);
    outcomes.show();
    if (QSlider* price = outcomes.price_slider(1)) price->setValue(-20);
    if (QSlider* yield = outcomes.yield_slider(1)) yield->setValue(80);
    save(outcomes, folder, "outcomes-window.png");
    outcomes.tabs()->setCurrentIndex(1);
    while (outcomes.estimating()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    save(outcomes, folder, "outcomes-expected.png");
    outcomes.hide();
    if (QWidget* guide = show_user_guide(nullptr)) {
        save(*guide, folder, "user-guide.png");
        guide->close();
    }
    if (farm_file) save_farm_pictures(frame, *window, folder);
    return 0;
}
