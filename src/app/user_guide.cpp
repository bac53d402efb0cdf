#include "app/user_guide.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "ui/window_services.h"

namespace zelmora {

namespace {

constexpr const char* guide_heading = "## Using the application";

// The guide's browser keeps its pictures within its width as the window is sized.
class guide_browser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QTextBrowser::resizeEvent(event);
        fit_guide_pictures(*this);
    }
};

}  // namespace

void fit_guide_pictures(QTextBrowser& browser) {
    QTextDocument* document = browser.document();
    const qreal room = browser.viewport()->width() - 2 * document->documentMargin() - 2;
    if (room <= 0) return;
    struct picture {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<picture> pictures;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat())
                pictures.push_back({fragment.position(), fragment.length(), fragment.charFormat().toImageFormat()});
        }
    // A picture made smaller is drawn from a copy scaled smoothly to its width,
    // named after the picture's file (which the format keeps) and that width.
    constexpr int file_property = QTextFormat::UserProperty + 1;
    QTextCursor cursor(document);
    for (picture& p : pictures) {
        QString file = p.format.property(file_property).toString();
        if (file.isEmpty()) file = p.format.name();
        const QVariant resource = document->resource(QTextDocument::ImageResource, QUrl(file));
        const QImage image = resource.value<QImage>().isNull() ? resource.value<QPixmap>().toImage()
                                                               : resource.value<QImage>();
        if (image.isNull() || image.width() <= 0) continue;
        const int width = std::min(image.width(), static_cast<int>(room));
        QString name = file;
        QImage shown = image;
        if (width < image.width()) {
            name = file + QStringLiteral("#width=") + QString::number(width);
            shown = image.scaledToWidth(width, Qt::SmoothTransformation);
            // Looked up as the document resolves names: against its base.
            document->addResource(QTextDocument::ImageResource, document->baseUrl().resolved(QUrl(name)), shown);
        }
        if (p.format.name() == name && qAbs(p.format.width() - shown.width()) < 0.5) continue;
        p.format.setProperty(file_property, file);
        p.format.setName(name);
        p.format.setWidth(shown.width());
        p.format.setHeight(shown.height());
        cursor.setPosition(p.position);
        cursor.setPosition(p.position + p.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(p.format);
    }
}

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

QWidget* show_user_guide(QWidget* parent) {
    const QString path = find_user_guide();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        show_message(parent, QCoreApplication::translate("user_guide",
                                                         "The user guide (README.md) was not found. It was looked "
                                                         "for in:\n%1")
                                 .arg(user_guide_places().join(QLatin1Char('\n'))));
        return nullptr;
    }
    auto* window = new QDialog(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QCoreApplication::translate("user_guide", "Zelmora 2004 User Guide"));
    auto* browser = new guide_browser(window);
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
    fit_to_screen(window, QSize(900, 640));
    window->show();
    fit_guide_pictures(*browser);
    return window;
}

}  // namespace zelmora
