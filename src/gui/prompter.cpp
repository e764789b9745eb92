#include "gui/prompter.h"

#include <QAbstractButton>
#include <QApplication>
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
                                                     const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(owner(), title, suggested, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace fee::ui
