#include "gui/help_window.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace fee {

HelpWindow* HelpWindow::open(const QString& path, QWidget* parent)
{
    if (path.isEmpty() || !QFile(path).open(QIODevice::ReadOnly))
        return nullptr;
    auto* window = new HelpWindow(parent);
    // HTML whatever its name says: *.hlp is Windows Help to a MIME database.
    window->browser_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                                QTextDocument::HtmlResource);
    return window;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this))
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

} // namespace fee
