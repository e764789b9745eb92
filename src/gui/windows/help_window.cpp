#include "gui/windows/help_window.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include "core/storage/side_file.h"

namespace fee::ui {
namespace {

// Far more than any help page; a file beyond it is not one.
constexpr qint64 kLongestPage = 16 * 1024 * 1024;

// Pages are read as every file beside compare.dat is: a link, a FIFO or a
// device at the name is never opened.
class SafeBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (!url.isLocalFile())
            return QTextBrowser::loadResource(type, name);
        const auto bytes = read_side_file(url.toLocalFile(), kLongestPage);
        return bytes ? QVariant(*bytes) : QVariant();
    }
};

} // namespace

HelpWindow* HelpWindow::open(const QString& path, QWidget* parent)
{
    if (path.isEmpty() || !read_side_file(path, kLongestPage))
        return nullptr;
    auto* window = new HelpWindow(parent);
    // HTML whatever its name says: *.hlp is Windows Help to a MIME database.
    window->browser_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                                QTextDocument::HtmlResource);
    return window;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new SafeBrowser(this))
{
    setObjectName(QStringLiteral("help_window"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_->setObjectName(QStringLiteral("help_browser"));
    browser_->setAccessibleName(QStringLiteral("ヘルプ"));
    browser_->setOpenExternalLinks(true);
    browser_->document()->setDocumentMargin(12);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::show_title);
    resize(760, 640);
}

void HelpWindow::show_title()
{
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QFileInfo(browser_->source().toLocalFile()).fileName() : title);
}

} // namespace fee::ui
