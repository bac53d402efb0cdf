// Runs the window tests on the offscreen platform with a settings folder of
// their own, so no saved inputs of a user are read or written.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "qtsupport/qsettings_store.h"

std::unique_ptr<QObject> make_controls_test();
std::unique_ptr<QObject> make_document_test();
std::unique_ptr<QObject> make_pages_test();
std::unique_ptr<QObject> make_desktop_test();
std::unique_ptr<QObject> make_compare_test();
std::unique_ptr<QObject> make_farm_files_test();
std::unique_ptr<QObject> make_editing_test();
std::unique_ptr<QObject> make_outcomes_test();

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(zelmora::settings_organization));
    QApplication::setApplicationName(QString::fromLatin1(zelmora::settings_application));

    int failures = 0;
    for (auto make : {make_controls_test, make_document_test, make_pages_test, make_desktop_test, make_compare_test,
                      make_farm_files_test, make_editing_test, make_outcomes_test}) {
        const std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
