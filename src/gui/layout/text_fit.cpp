#include "gui/layout/text_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace fee::ui {
namespace {

constexpr qreal kStepPoints = 0.5;

// Measured as if left-aligned and left to right: the title's indent is then its
// left edge, and the same indent is kept free on the right.
QStyleOptionGroupBox title_option(const QGroupBox& box, const QFont& font)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(&box);
    opt.direction = Qt::LeftToRight;
    opt.fontMetrics = QFontMetrics(font, &box);
    opt.text = box.title();
    opt.textAlignment = Qt::AlignLeft;
    opt.lineWidth = 1;
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box.isCheckable())
        opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (box.isFlat())
        opt.features |= QStyleOptionFrame::Flat;
    return opt;
}

// The title with its check box, where the box has one.
QRect title_rect(const QGroupBox& box, const QFont& font)
{
    const QStyleOptionGroupBox opt = title_option(box, font);
    QRect r = box.style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, &box);
    if (box.isCheckable())
        r |= box.style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxCheckBox, &box);
    return r;
}

int label_room(const QLabel& label)
{
    int room = label.contentsRect().width() - 2 * label.margin();
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0 && (label.alignment() & (Qt::AlignLeft | Qt::AlignRight)))
        room -= indent;
    return room;
}

// The style's frame and margins around a push button's label, as it sizes a
// button for its text.
int button_room(const QPushButton& button)
{
    QStyleOptionButton opt;
    opt.initFrom(&button);
    if (button.autoDefault())
        opt.features |= QStyleOptionButton::AutoDefaultButton;
    if (button.isDefault())
        opt.features |= QStyleOptionButton::DefaultButton;
    if (button.isFlat())
        opt.features |= QStyleOptionButton::Flat;
    const QSize frame = button.style()->sizeFromContents(QStyle::CT_PushButton, &opt, QSize(0, 0), &button);
    return button.width() - frame.width();
}

int check_room(const QAbstractButton& button, QStyle::SubElement contents)
{
    QStyleOptionButton opt;
    opt.initFrom(&button);
    opt.text = button.text();
    return button.style()->subElementRect(contents, &opt, &button).width();
}

int width_in(const QWidget& control, const QFont& font)
{
    const QFontMetrics fm(font, &control);
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        // A label draws "&" as it is unless a buddy makes it an access key.
        const int flags = label->buddy() ? Qt::TextShowMnemonic : 0;
        return fm.size(flags, label->text()).width();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return fm.size(Qt::TextShowMnemonic, button->text()).width() + icon;
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(&control))
        return title_rect(*box, font).width();
    if (const auto* box = qobject_cast<const QLineEdit*>(&control))
        return fm.horizontalAdvance(box->text());
    return 0;
}

// Plain single-line captions only: a wrapping or rich text label lays itself
// out, and an empty one has nothing to cut.
bool has_caption(const QWidget& control)
{
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        return !label->text().isEmpty() && !label->wordWrap() && !rich;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return !button->text().isEmpty();
    if (const auto* box = qobject_cast<const QGroupBox*>(&control))
        return !box->title().isEmpty();
    return false;
}

// The text a caption or box shows, "&" included: as many characters as it
// draws, or one more.
QString caption_of(const QWidget& control)
{
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return button->text();
    if (const auto* box = qobject_cast<const QGroupBox*>(&control))
        return box->title();
    if (const auto* box = qobject_cast<const QLineEdit*>(&control))
        return box->text();
    return {};
}

// True when the text cannot overrun however it is shaped: no character is
// wider than the font's widest. Shaping Japanese text is what a start pays
// most for here, and with the fonts the layouts were drawn for most captions
// need no more than this.
bool surely_fits(const QWidget& control, const QFont& font, int room)
{
    return caption_of(control).size() * QFontMetrics(font, &control).maxWidth() <= room;
}

qreal points_of(const QFont& font, const QWidget& control)
{
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    return font.pixelSize() * 72.0 / control.logicalDpiY();
}

// The room a line edit gives its text: the contents less the text margins
// and the two pixels it keeps free on each side.
int box_room(const QLineEdit& box)
{
    QStyleOptionFrame opt;
    opt.initFrom(&box);
    opt.rect = box.rect();
    opt.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &box) : 0;
    const QRect inner = box.style()
                            ->subElementRect(QStyle::SE_LineEditContents, &opt, &box)
                            .marginsRemoved(box.textMargins());
    return inner.width() - 4;
}

} // namespace

int text_room(const QWidget& control)
{
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return label_room(*label);
    if (const auto* button = qobject_cast<const QPushButton*>(&control))
        return button_room(*button);
    if (const auto* box = qobject_cast<const QCheckBox*>(&control))
        return check_room(*box, QStyle::SE_CheckBoxContents);
    if (const auto* radio = qobject_cast<const QRadioButton*>(&control))
        return check_room(*radio, QStyle::SE_RadioButtonContents);
    if (const auto* box = qobject_cast<const QGroupBox*>(&control))
        return box->width() - 2 * (title_rect(*box, box->font()).left() - box->rect().left());
    if (const auto* box = qobject_cast<const QLineEdit*>(&control))
        return box_room(*box);
    return control.width();
}

int text_width(const QWidget& control)
{
    return width_in(control, control.font());
}

QFont shrink_to_fit(QFont font, int room, const std::function<int(const QFont&)>& width)
{
    qreal points = font.pointSizeF();
    while (width(font) > room && points > kMinimumTextPoints) {
        points = std::max(points - kStepPoints, kMinimumTextPoints);
        font.setPointSizeF(points);
    }
    return font;
}

namespace {

// Lives as a child of the window it fits and refits it on the events that
// change what a caption measures. Every font it sets is remembered with the
// control's own font before, so that a refit starts from the fonts as the
// window made them.
class TextFitter : public QObject {
public:
    explicit TextFitter(QWidget& window) : QObject(&window), window_(window)
    {
        window.installEventFilter(this);
        watch_screen();
        watch_boxes();
    }

    void fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Changed {
        QPointer<QWidget> control;
        bool had_own_font;
        QFont own_font;
    };

    void restore();
    QString state() const;
    void unshrink(QLineEdit& box);
    void fit_box(QLineEdit& box);
    void watch_boxes();
    void remember(QWidget& control);
    void set_points(QWidget& control, qreal points);
    void shrink(QWidget& control);
    void watch_screen();
    void fit_later();

    QWidget& window_;
    std::vector<Changed> changed_;
    std::vector<Changed> boxes_; // number boxes made smaller, restored first
    QString fitted_state_;       // what the last fit saw
    QPointer<QScreen> screen_;
    bool fit_pending_ = false;
};

// What a fit depends on besides the boxes' texts, which refit themselves.
QString TextFitter::state() const
{
    QString key = window_.font().toString() + QApplication::font().toString() + window_.style()->name() +
                  QString::number(window_.logicalDpiY());
    for (const QWidget* control : window_.findChildren<QWidget*>())
        if (!qobject_cast<const QLineEdit*>(control))
            key += caption_of(*control) + control->font().toString();
    return key;
}

void TextFitter::fit()
{
    fit_pending_ = false;
    restore();
    // Parents come before their children, so a group box is fitted before the
    // captions inside it.
    const auto controls = window_.findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (control->window() != &window_)
            continue;
        if (has_caption(*control))
            shrink(*control);
        else if (auto* box = qobject_cast<QLineEdit*>(control))
            fit_box(*box);
    }
    fitted_state_ = state();
}

void TextFitter::watch_boxes()
{
    for (QLineEdit* box : window_.findChildren<QLineEdit*>())
        if (box->window() == &window_)
            connect(box, &QLineEdit::textChanged, this, [this, box] { fit_box(*box); });
}

// A number box shows its whole text, in a smaller font where its own does not
// hold it; where even the smallest does not, its tooltip gives the whole text
// after the tooltip of its design.
void TextFitter::fit_box(QLineEdit& box)
{
    unshrink(box);
    const QVariant design = box.property("fee_design_tooltip");
    if (!design.isValid())
        box.setProperty("fee_design_tooltip", box.toolTip());
    const QString tip = box.property("fee_design_tooltip").toString();
    const int room = box_room(box);
    const auto width = [&box](const QFont& f) { return width_in(box, f); };
    QFont font = box.font();
    if (!surely_fits(box, font, room) && width(font) > room) {
        boxes_.push_back({&box, box.testAttribute(Qt::WA_SetFont), font});
        font.setPointSizeF(points_of(font, box));
        font = shrink_to_fit(font, room, width);
        box.setFont(font);
    }
    const bool cut = !surely_fits(box, font, room) && width(font) > room;
    box.setToolTip(cut ? tip + (tip.isEmpty() ? QString() : QStringLiteral("\n")) + box.text() : tip);
}

void TextFitter::shrink(QWidget& control)
{
    const int room = text_room(control);
    QFont font = control.font();
    if (surely_fits(control, font, room) || width_in(control, font) <= room)
        return;
    font.setPointSizeF(points_of(font, control));
    const qreal points =
        shrink_to_fit(font, room, [&control](const QFont& f) { return width_in(control, f); }).pointSizeF();
    if (qobject_cast<QGroupBox*>(&control)) {
        // Only the title is meant: the controls inside keep the size they had.
        // Its size set, so that the font counts as the child's own whatever
        // the window's font left resolved.
        QFont inside = control.font();
        inside.setPointSizeF(points_of(inside, control));
        for (QWidget* child : control.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->testAttribute(Qt::WA_SetFont)) {
                remember(*child);
                child->setFont(inside);
            }
        }
    }
    set_points(control, points);
}

void TextFitter::set_points(QWidget& control, qreal points)
{
    remember(control);
    const Changed& before = *std::find_if(changed_.begin(), changed_.end(),
                                          [&](const Changed& c) { return c.control == &control; });
    // Only the size is set, so the family and the rest still follow the window.
    QFont font = before.had_own_font ? before.own_font : QFont();
    font.setPointSizeF(points);
    control.setFont(font);
}

void TextFitter::remember(QWidget& control)
{
    const bool known = std::any_of(changed_.begin(), changed_.end(),
                                   [&](const Changed& c) { return c.control == &control; });
    if (known)
        return;
    const bool own = control.testAttribute(Qt::WA_SetFont);
    changed_.push_back({&control, own, own ? control.font() : QFont()});
}

// The box's font before fit_box made it smaller.
void TextFitter::unshrink(QLineEdit& box)
{
    const auto it =
        std::find_if(boxes_.begin(), boxes_.end(), [&](const Changed& c) { return c.control == &box; });
    if (it == boxes_.end())
        return;
    box.setFont(it->had_own_font ? it->own_font : QFont());
    boxes_.erase(it);
}

void TextFitter::restore()
{
    while (!boxes_.empty()) {
        if (auto* box = qobject_cast<QLineEdit*>(boxes_.back().control.data()))
            unshrink(*box);
        else
            boxes_.pop_back();
    }
    for (auto it = changed_.rbegin(); it != changed_.rend(); ++it) {
        // A font without any attribute set makes the control follow its parent again.
        if (it->control)
            it->control->setFont(it->had_own_font ? it->own_font : QFont());
    }
    changed_.clear();
}

bool TextFitter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_)
        return false;
    switch (event->type()) {
    case QEvent::FontChange:
        // The children have their new fonts by the time the window hears of it.
        fit();
        break;
    case QEvent::ApplicationFontChange:
    case QEvent::StyleChange:
    case QEvent::ScreenChangeInternal:
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    case QEvent::DevicePixelRatioChange:
#endif
        // The window and its controls take the change after this filter.
        watch_screen();
        fit_later();
        break;
    case QEvent::Show:
        // By now a caption set after construction and a font from a style
        // sheet, applied while polishing, are in place; where neither came,
        // the fit of the constructor stands.
        watch_screen();
        if (state() != fitted_state_)
            fit();
        break;
    default:
        break;
    }
    return false;
}

void TextFitter::fit_later()
{
    if (fit_pending_)
        return;
    fit_pending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (fit_pending_)
            fit();
    });
}

// A new logical DPI changes every font's size in pixels without any font or
// screen change reaching the window.
void TextFitter::watch_screen()
{
    QScreen* screen = window_.screen();
    if (screen == screen_)
        return;
    if (screen_)
        disconnect(screen_, nullptr, this, nullptr);
    screen_ = screen;
    if (screen_)
        connect(screen_, &QScreen::logicalDotsPerInchChanged, this, &TextFitter::fit_later);
}

} // namespace

void fit_texts(QWidget& window)
{
    for (QObject* child : window.children()) {
        if (auto* fitter = dynamic_cast<TextFitter*>(child)) {
            fitter->fit();
            return;
        }
    }
    (new TextFitter(window))->fit();
}

} // namespace fee::ui
