// Zelmora 2004: starts the window, then opens the rating database that lies
// beside the executable, with the farm file named on the command line ("zelmora
// FARM.ini", as a file manager's "Open with" passes it) or else the last farm
// file worked on. Any other argument is not used: it is not a rating database.
#include <QApplication>
#include <QMessageBox>

#include "app/main_frame.h"
#include "data/premium_database.h"
#include "qtsupport/qsettings_store.h"
#include "ui/window_services.h"
#include "utility/filename_struct.h"
#include "utility/messages.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(zelmora::settings_organization));
    QApplication::setApplicationName(QString::fromLatin1(zelmora::settings_application));
    // No display name: the platform would add it to the caption a second time.

    // Messages of the rating library and the start-up path check appear in a message box.
    const auto message_box = [](const std::string& message) {
        QMessageBox::warning(nullptr, QApplication::applicationName(), zelmora::to_qstring(message));
    };
    zelmora::set_filename_failure_hook(message_box);
    zelmora::set_text_message_hook(message_box);

    zelmora::main_frame frame;
    frame.showMaximized();

    zelmora::filename_struct executable;
    executable.set_path(zelmora::to_std(QApplication::applicationFilePath()));
    frame.open_document(executable.directory_text() + zelmora::premium_database_file_name);
    const QStringList arguments = QApplication::arguments();
    const bool farm_given =
        arguments.size() > 1 && arguments.at(1).endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive);
    frame.open_start_farm(farm_given ? zelmora::to_std(arguments.at(1)) : std::string());
    return QApplication::exec();
}
