#pragma once

#include <QHash>
#include <QString>
#include <initializer_list>
#include <span>
#include <utility>

class QWidget;

namespace fee::ui {

// What a control of a fixed design is, and so how it is made.
enum class ControlKind {
    Label,     // a caption
    Group,     // a frame whose caption is its title; other controls may sit in it
    List,      // a drop-down list to choose from, not to type in
    Button,    // a push button that Enter and Esc never press unless it has the focus
    Answer,    // a question's answer: a dialog's button, drawn as the one Enter presses when it has the focus
    AmountBox, // a box for an amount: right-aligned, in the fixed-pitch number font
    RateBox,   // a box for a rate: left-aligned, in the number font
    PlanBox,   // a box of the trade plan: right-aligned, in the window's font
    Grid,      // a table
};

// A rectangle in twips within the control's parent, as the design was drawn.
struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
};

// One control of a window's fixed design, as a .ui file would list it. With a
// `count` above one it is a column of that many, each `step` twips below the
// one before, named "name(0)", "name(1)" and so on, and "%1" in its accessible
// name stands for the row counted from one.
struct ControlSpec {
    ControlKind kind;
    const char* name; // the objectName
    QString caption = {};
    Twips rect = {};
    const char* parent = nullptr; // a group's name; else the window's client area
    QString tooltip = {};
    QString accessible_name = {};
    int count = 1;
    int step = 0;
};

// The controls of one window, made from its design table in the table's order
// and placed in twips, so that the geometry is data rather than code. A control
// the window makes itself (a widget of its own kind) is handed in by name and
// only named, captioned and placed.
class Form {
public:
    Form(QWidget& client, std::span<const ControlSpec> design,
         std::initializer_list<std::pair<const char*, QWidget*>> own = {});

    // The control of that name, or row `row` of a column.
    template <class T> T* get(const char* name, int row = -1) const
    {
        return static_cast<T*>(find(name, row));
    }
    QWidget* find(const char* name, int row = -1) const;

private:
    QHash<QString, QWidget*> made_;
};

// "name(i)": the objectName of row `i` of a column.
QString indexed(const char* name, int i);

// Sets `w`'s geometry from twips.
void place(QWidget& w, const Twips& rect);

} // namespace fee::ui
