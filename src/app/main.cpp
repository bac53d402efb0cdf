// Zelmora 2004: starts the window, then opens the rating database found beside
// the executable, in the user's data folder or in a system data folder, with the
// farm file named on the command line ("zelmora FARM.ini", as a file manager's
// "Open with" passes it) or else the last farm file worked on. Any other
// argument is not used: it is not a rating database. "--version" and "--help"
// print and end before any window is made.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <string_view>

#include "app/main_frame.h"
#include "data/premium_database.h"
#include "qtsupport/qsettings_store.h"
#include "rating/farm_file.h"
#include "ui/window_services.h"
#include "utility/database_location.h"
#include "utility/filename_struct.h"
#include "utility/messages.h"
#include "utility/version.h"

namespace {

constexpr const char* help_text =
    "Usage: zelmora [FARM]\n"
    "\n"
    "Opens Zelmora 2004, the premium calculator of crop revenue insurance for crop year\n"
    "2004, on the rating database \"APH Base Premium Data.sqlite\": the first found beside\n"
    "zelmora, in $XDG_DATA_HOME/zelmora (~/.local/share/zelmora) or in $XDG_DATA_DIRS/zelmora\n"
    "(/usr/local/share/zelmora, /usr/share/zelmora). File > Open opens any other one.\n"
    "FARM, a farm file (*.ini, or a file whose first line begins \"; Zelmora 2004 \"), is\n"
    "opened in the window; without it the last farm file worked on is.\n"
    "\n"
    "Options:\n"
    "  --help     this text\n"
    "  --version  the version\n";

// "--help" or "--version" anywhere on the command line: the text, and no window.
bool printed_and_done(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--version") {
            std::printf("zelmora %s\n", zelmora::project_version);
            return true;
        }
        if (argument == "--help") {
            std::fputs(help_text, stdout);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (printed_and_done(argc, argv)) return 0;
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(zelmora::settings_organization));
    QApplication::setApplicationName(QString::fromLatin1(zelmora::settings_application));
    // No display name: the platform would add it to the caption a second time.
    QApplication::setWindowIcon(zelmora::application_icon());
    // Ties the windows to the installed desktop entry (its name and icon in a task bar).
    QGuiApplication::setDesktopFileName(QString::fromLatin1(zelmora::application_id));

    // Messages of the rating library and the start-up path check appear in a message box.
    const auto message_box = [](const std::string& message) {
        QMessageBox::warning(nullptr, QApplication::applicationName(), zelmora::to_qstring(message));
    };
    zelmora::set_filename_failure_hook(message_box);
    zelmora::set_text_message_hook(message_box);

    zelmora::main_frame frame;
    frame.showMaximized();

    const zelmora::database_search search = zelmora::find_rating_database(zelmora::premium_database_file_name);
    if (search.found) {
        frame.open_document(*search.found);
    } else {
        frame.show_database_not_found(search);
    }
    const QStringList arguments = QApplication::arguments();
    const bool farm_given = arguments.size() > 1 && zelmora::is_farm_file(zelmora::to_std(arguments.at(1)));
    frame.open_start_farm(farm_given ? zelmora::to_std(arguments.at(1)) : std::string());
    return QApplication::exec();
}
