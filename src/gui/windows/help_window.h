#pragma once

#include <QWidget>

class QTextBrowser;

namespace fee::ui {

// The program's own viewer for ryoban_h.hlp. The file is HTML, but desktops map
// *.hlp to Windows Help and would never open it. An ordinary resizable window
// that follows the document's links; its title is the document's <title>.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // A hidden window showing `path`, deleted when closed; null when the file
    // cannot be read.
    static HelpWindow* open(const QString& path, QWidget* parent);

private:
    explicit HelpWindow(QWidget* parent);
    void show_title();

    QTextBrowser* browser_;
};

} // namespace fee::ui
