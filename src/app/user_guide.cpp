#include "app/user_guide.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/window_services.h"

namespace zelmora {

namespace {

constexpr const char* guide_heading = "## Using the application";

}  // namespace

QStringList user_guide_places() {
    const QDir executable(QCoreApplication::applicationDirPath());
    QStringList places = {executable.filePath(QStringLiteral("README.md")),
                          executable.filePath(QStringLiteral("../../README.md")),
                          executable.filePath(QStringLiteral("../share/doc/zelmora/README.md"))};
#ifdef ZELMORA_SOURCE_DIR
    places << QDir(QString::fromUtf8(ZELMORA_SOURCE_DIR)).filePath(QStringLiteral("README.md"));
#endif
    for (QString& place : places) place = QDir::cleanPath(place);
    places.removeDuplicates();
    return places;
}

QString find_user_guide() {
    for (const QString& place : user_guide_places()) {
        if (QFileInfo(place).isFile()) return place;
    }
    return {};
}

QString user_guide_section(const QString& readme) {
    const qsizetype start = readme.indexOf(QString::fromLatin1(guide_heading));
    if (start < 0) return readme;
    qsizetype end = readme.indexOf(QStringLiteral("\n## "), start + 1);
    if (end < 0) end = readme.size();
    return readme.mid(start, end - start);
}

void show_user_guide(QWidget* parent) {
    const QString path = find_user_guide();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        show_message(parent, QCoreApplication::translate("user_guide",
                                                         "The user guide (README.md) was not found. It was looked "
                                                         "for in:\n%1")
                                 .arg(user_guide_places().join(QLatin1Char('\n'))));
        return;
    }
    auto* window = new QDialog(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QCoreApplication::translate("user_guide", "Zelmora 2004 User Guide"));
    auto* browser = new QTextBrowser(window);
    browser->setObjectName(QStringLiteral("user_guide"));
    browser->setOpenExternalLinks(true);
    // Pictures are named relative to the README's folder.
    const QString folder = QFileInfo(path).absolutePath();
    browser->setSearchPaths({folder});
    browser->document()->setBaseUrl(QUrl::fromLocalFile(folder + QLatin1Char('/')));
    browser->setMarkdown(user_guide_section(QString::fromUtf8(file.readAll())));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    window->resize(900, 640);
    window->show();
}

}  // namespace zelmora
