#include "gui/app/prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

namespace fee::ui {
namespace {

QWidget* owner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// The file dialog stays open over a refused name, so that another is chosen
// where the user already is.
class CheckedSaveDialog : public QFileDialog {
public:
    CheckedSaveDialog(Prompter& prompter, const Prompter::SaveRefusal& refusal)
        : QFileDialog(owner()), prompter_(prompter), refusal_(refusal)
    {
        setAcceptMode(QFileDialog::AcceptSave);
        // The desktop's own dialog would close before a name could be refused.
        setOption(QFileDialog::DontUseNativeDialog);
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (refusal_ && !chosen.isEmpty())
            if (const QString why = refusal_(chosen.first()); !why.isEmpty()) {
                prompter_.inform(why);
                return;
            }
        QFileDialog::accept();
    }

private:
    Prompter& prompter_;
    const Prompter::SaveRefusal& refusal_;
};

} // namespace

QString program_name()
{
    return QStringLiteral("リョーバン-手数料比較");
}

void DialogPrompter::inform(const QString& text, const QString& own_title)
{
    QMessageBox box(owner());
    box.setWindowTitle(own_title.isEmpty() ? program_name() : own_title);
    box.setIcon(own_title.isEmpty() ? QMessageBox::Warning : QMessageBox::NoIcon);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

int DialogPrompter::ask(const QString& text, const QStringList& answers)
{
    QMessageBox box(owner());
    box.setWindowTitle(program_name());
    box.setIcon(QMessageBox::Warning);
    box.setText(text);
    std::vector<QAbstractButton*> buttons;
    for (const QString& answer : answers)
        buttons.push_back(box.addButton(answer, QMessageBox::ActionRole));
    box.setEscapeButton(buttons.back());
    // The button that starts with the focus, and so Enter's, changes nothing.
    box.setDefaultButton(static_cast<QPushButton*>(buttons.back()));
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? static_cast<int>(answers.size()) - 1
                                   : static_cast<int>(chosen - buttons.begin());
}

std::optional<QString> DialogPrompter::ask_text(const QString& title, const QString& prompt,
                                                const QString& text, int max_length)
{
    QInputDialog box(owner());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(text);
    if (auto* edit = box.findChild<QLineEdit*>())
        edit->setMaxLength(max_length);
    if (box.exec() != QDialog::Accepted || box.textValue().isEmpty())
        return std::nullopt;
    return box.textValue();
}

std::optional<QString> DialogPrompter::ask_save_path(const QString& title, const QString& suggested,
                                                     const QString& filter, const SaveRefusal& refusal)
{
    CheckedSaveDialog dialog(*this, refusal);
    dialog.setWindowTitle(title);
    dialog.setNameFilter(filter);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> DialogPrompter::ask_open_path(const QString& title, const QString& folder,
                                                     const QString& filter)
{
    QFileDialog dialog(owner());
    // The same dialog as a save's, in the program's font and language.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setWindowTitle(title);
    dialog.setNameFilter(filter);
    dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

QString start_folder(std::initializer_list<QString> folders)
{
    for (const QString& folder : folders)
        if (!folder.isEmpty() && QDir(folder).exists())
            return folder;
    return std::data(folders)[folders.size() - 1];
}

} // namespace fee::ui
