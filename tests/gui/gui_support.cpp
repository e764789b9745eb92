#include "gui_support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstring>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include "core/datafile/data_file.h"
#include "core/document/data_document.h"
#include "core/document/data_location.h"
#include "core/fees/broker_table.h"
#include "gui/app/application.h"
#include "gui/layout/text_fit.h"
#include "gui/windows/main_window.h"

namespace fee::test {
namespace {

constexpr int kPollMs = 10;

bool matches(const QWidget* w, const QString& expect)
{
    if (w->objectName() == expect)
        return true;
    for (const QMetaObject* m = w->metaObject(); m; m = m->superClass()) {
        const QString name = QString::fromLatin1(m->className());
        if (name == expect || name.endsWith(QStringLiteral("::") + expect))
            return true;
    }
    return false;
}

QString describe(const QWidget* w)
{
    if (!w)
        return QStringLiteral("(none)");
    QString d = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty())
        d += QStringLiteral(" \"%1\"").arg(w->objectName());
    if (!w->windowTitle().isEmpty())
        d += QStringLiteral(" titled \"%1\"").arg(w->windowTitle());
    return d;
}

QtMessageHandler previous_handler = nullptr;

void filter_messages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    static const char* const noise[] = {"propagateSizeHints", "does not support raise()",
                                        "does not support grabbing the keyboard",
                                        "does not support grabbing the mouse"};
    for (const char* n : noise) {
        if (message.contains(QLatin1String(n)))
            return;
    }
    if (previous_handler)
        previous_handler(type, context, message);
}

} // namespace

ModalScript::ModalScript(std::vector<ModalStep> steps, int idle_grace_ms)
    : steps_(std::move(steps)), idle_grace_ms_(idle_grace_ms)
{
    step_clock_.start();
    QTimer::singleShot(0, this, &ModalScript::poll);
}

ModalScript::~ModalScript()
{
    watching_ = false;
}

void ModalScript::poll()
{
    if (!watching_)
        return;
    // Scheduled before acting: the action may block in a nested exec(), and only
    // an already pending timer gets to run inside it.
    QTimer::singleShot(kPollMs, this, &ModalScript::poll);

    QWidget* top = QApplication::activeModalWidget();

    if (next_ >= steps_.size()) {
        // Script done: nothing modal may linger.
        if (!top || !top->isVisible()) {
            idle_widget_.clear();
            return;
        }
        if (idle_widget_ != top) {
            idle_widget_ = top;
            idle_clock_.start();
            return;
        }
        if (idle_clock_.elapsed() > idle_grace_ms_)
            fail(QStringLiteral("unexpected modal widget %1").arg(describe(top)));
        return;
    }

    const ModalStep& step = steps_[next_];
    if (top && top->isVisible() && matches(top, step.expect)) {
        if (!top->isActiveWindow()) {
            top->activateWindow();
        } else {
            ++next_;
            step_clock_.restart();
            if (step.act)
                step.act(top);
            if (QTest::currentTestFailed() && !failed())
                fail(QStringLiteral("a check failed in step %1 (%2)").arg(next_).arg(step.expect));
            step_clock_.restart();
            return;
        }
    }
    if (step_clock_.elapsed() > step.timeout_ms)
        fail(QStringLiteral("step %1: expected modal %2, found %3")
                 .arg(next_ + 1)
                 .arg(step.expect, describe(top)));
}

void ModalScript::fail(const QString& why)
{
    if (failure_.isEmpty())
        failure_ = why;
    next_ = steps_.size();
    idle_widget_.clear();
    close_all_modals();
}

bool ModalScript::finish(int timeout_ms)
{
    QElapsedTimer clock;
    clock.start();
    while (next_ < steps_.size() && !failed() && clock.elapsed() < timeout_ms)
        QTest::qWait(kPollMs);
    if (next_ < steps_.size() && !failed())
        fail(QStringLiteral("step %1 (%2) never ran").arg(next_ + 1).arg(steps_[next_].expect));
    watching_ = false;
    if (!failed() && QApplication::activeModalWidget()) {
        // Give a dialog that is closing a moment to go.
        QTest::qWait(50);
        if (QWidget* top = QApplication::activeModalWidget())
            fail(QStringLiteral("modal widget still open at the end: %1").arg(describe(top)));
    }
    return !failed();
}

void ModalScript::close_all_modals()
{
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* top = QApplication::activeModalWidget();
        if (!top)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(top))
            dialog->reject();
        else
            top->close();
        if (QApplication::activeModalWidget() == top)
            top->hide();
    }
}

void type_text(QWidget* target, const QString& text)
{
    // One event per code point, so that a surrogate pair arrives whole.
    for (const char32_t cp : text.toUcs4()) {
        const QString ch = QString::fromUcs4(&cp, 1);
        Qt::Key key = Qt::Key_unknown;
        if (cp < 0x80 && ch.at(0).isLetterOrNumber())
            key = static_cast<Qt::Key>(ch.at(0).toUpper().unicode());
        else if (cp == U' ')
            key = Qt::Key_Space;
        QTest::sendKeyEvent(QTest::Click, target, key, ch, Qt::NoModifier);
    }
}

bool press_alt(QWidget* window, char letter, int timeout_ms)
{
    QWidget* top = window->window();
    if (!top->isActiveWindow()) {
        top->activateWindow();
        if (!QTest::qWaitForWindowActive(top, timeout_ms))
            return false;
    }
    const char upper = static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    QWidget* target = top->focusWidget() ? top->focusWidget() : top;
    QTest::keyClick(target, static_cast<Qt::Key>(upper), Qt::AltModifier);
    return true;
}

QAbstractButton* find_button(QWidget* parent, const QString& text)
{
    const auto buttons = parent->findChildren<QAbstractButton*>();
    for (QAbstractButton* b : buttons) {
        if (b->isVisible() && QString(b->text()).remove(QLatin1Char('&')) == text)
            return b;
    }
    return nullptr;
}

void click_button(QWidget* parent, const QString& text)
{
    QAbstractButton* b = find_button(parent, text);
    if (!b) {
        QTest::qFail(qPrintable(QStringLiteral("no button \"%1\" in %2").arg(text, describe(parent))),
                     __FILE__, __LINE__);
        return;
    }
    QTest::mouseClick(b, Qt::LeftButton);
}

void settle()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

bool ipa_fonts_installed()
{
    const QStringList families = QFontDatabase::families();
    return families.contains(QStringLiteral("IPAPGothic")) && families.contains(QStringLiteral("IPAGothic"));
}

void install_message_filter()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    previous_handler = qInstallMessageHandler(filter_messages);
}

QObject* find_named(QObject* parent, const QString& name)
{
    QObject* found = parent ? parent->findChild<QObject*>(name) : nullptr;
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no control named ") + name), __FILE__, __LINE__);
    return found;
}

QLineEdit* edit(QWidget* window, const QString& name)
{
    return child<QLineEdit>(window, name);
}

QLineEdit* edit(QWidget* window, const QString& name, int index)
{
    return child<QLineEdit>(window, name, index);
}

QPushButton* button(QWidget* window, const QString& name)
{
    return child<QPushButton>(window, name);
}

QComboBox* combo(QWidget* window)
{
    return child<QComboBox>(window, QStringLiteral("broker_list"));
}

QAction* action(QWidget* window, const QString& name)
{
    return child<QAction>(window, name);
}

QMenu* menu(QWidget* window, const QString& name)
{
    return child<QMenu>(window, name);
}

QStringList layout_problems(QWidget& window)
{
    QStringList problems;
    const auto controls = window.findChildren<QWidget*>();
    for (QWidget* c : controls) {
        if (!c->isVisibleTo(&window) || c->window() != &window || !c->parentWidget())
            continue;
        const QString name = c->objectName();
        // The window's own controls, not the parts Qt builds inside one.
        QWidget* parent = c->parentWidget();
        const bool own = parent == &window || qobject_cast<QGroupBox*>(parent) ||
                         (qobject_cast<QMainWindow*>(&window) && parent->parentWidget() == &window);
        if (own && name.isEmpty())
            problems << QStringLiteral("a %1 without a name")
                            .arg(QString::fromLatin1(c->metaObject()->className()));
        if (!c->parentWidget()->rect().contains(c->geometry()))
            problems << name + QStringLiteral(" reaches outside its parent");
        const bool caption =
            qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) || qobject_cast<QGroupBox*>(c);
        if (caption && ui::text_width(*c) > ui::text_room(*c))
            problems << name + QStringLiteral(" cuts its caption");
        if (c->focusPolicy() == Qt::NoFocus || !c->isEnabled())
            continue;
        for (QWidget* other : controls) {
            if (other != c && other->parentWidget() == c->parentWidget() &&
                other->focusPolicy() != Qt::NoFocus && other->isVisibleTo(&window) &&
                other->geometry().intersects(c->geometry()) && c < other)
                problems << name + QStringLiteral(" overlaps ") + other->objectName();
        }
    }
    return problems;
}

std::vector<ModalStep> to_the_result(char amount, char frequency, std::function<void(QWidget*)> at_result)
{
    const auto alt = [](char letter) {
        return [letter](QWidget* d) { QVERIFY2(press_alt(d, letter), "the window never became active"); };
    };
    return {{QStringLiteral("amount_question"), alt(amount)},
            {QStringLiteral("frequency_question"), alt(frequency)},
            {QStringLiteral("trade_plan_window"), alt('D')},
            {QStringLiteral("result_window"), std::move(at_result)}};
}

ModalStep press_in_message(const QStringList& parts)
{
    return {QStringLiteral("QMessageBox"), [parts](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                QVERIFY(box);
                for (const QString& p : parts)
                    QVERIFY2(box->text().contains(p), qPrintable(box->text() + QStringLiteral(" / ") + p));
                QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
            }};
}

PromptStep expect_message(const QStringList& parts, QString* seen)
{
    return {PromptStep::Kind::Message, parts, {}, {}, seen};
}

PromptStep answer_message(const QStringList& parts, const QString& answer, QString* seen)
{
    return {PromptStep::Kind::Question, parts, answer, {}, seen};
}

PromptStep answer_text(std::optional<QString> reply, const QStringList& offered)
{
    return {PromptStep::Kind::Text, offered, {}, std::move(reply), nullptr};
}

PromptStep answer_save_path(std::optional<QString> path, QString* suggested)
{
    return {PromptStep::Kind::SavePath, {}, {}, std::move(path), suggested};
}

PromptStep answer_open_path(std::optional<QString> path, QString* title)
{
    return {PromptStep::Kind::OpenPath, {}, {}, std::move(path), title};
}

void ScriptedPrompter::script(std::vector<PromptStep> steps)
{
    steps_ = std::move(steps);
    next_ = 0;
    failure_.clear();
}

bool ScriptedPrompter::finish()
{
    // An access key presses its button a moment later.
    (void)QTest::qWaitFor([this] { return next_ >= steps_.size() || !failure_.isEmpty(); }, 5000);
    if (failure_.isEmpty() && next_ < steps_.size())
        failure_ =
            QStringLiteral("%1 of %2 prompts never came").arg(steps_.size() - next_).arg(steps_.size());
    const bool ok = failure_.isEmpty();
    steps_.clear();
    next_ = 0;
    return ok;
}

const PromptStep* ScriptedPrompter::next(PromptStep::Kind kind, const QString& text)
{
    if (!failure_.isEmpty())
        return nullptr;
    if (next_ >= steps_.size()) {
        failure_ = QStringLiteral("unexpected prompt: ") + text;
        return nullptr;
    }
    const PromptStep& step = steps_[next_];
    if (step.kind != kind) {
        failure_ =
            QStringLiteral("step %1 expected another kind of prompt than: %2").arg(next_ + 1).arg(text);
        return nullptr;
    }
    for (const QString& p : step.parts) {
        if (!text.contains(p)) {
            failure_ = QStringLiteral("step %1: 「%2」 not in: %3").arg(next_ + 1).arg(p, text);
            return nullptr;
        }
    }
    if (step.seen)
        *step.seen = text;
    ++next_;
    return &step;
}

void ScriptedPrompter::inform(const QString& text, const QString&)
{
    next(PromptStep::Kind::Message, text);
}

int ScriptedPrompter::ask(const QString& text, const QStringList& answers)
{
    const PromptStep* step = next(PromptStep::Kind::Question, text);
    const auto chosen = step ? answers.indexOf(step->answer) : -1;
    if (step && chosen < 0)
        failure_ = QStringLiteral("no button 「%1」 in: %2").arg(step->answer, answers.join(u' '));
    return chosen < 0 ? static_cast<int>(answers.size()) - 1 : static_cast<int>(chosen);
}

std::optional<QString> ScriptedPrompter::ask_text(const QString&, const QString&, const QString& text, int)
{
    const PromptStep* step = next(PromptStep::Kind::Text, text);
    if (!step || !step->reply || step->reply->isEmpty())
        return std::nullopt;
    return step->reply;
}

std::optional<QString> ScriptedPrompter::ask_save_path(const QString& title, const QString& suggested,
                                                       const QString&, const SaveRefusal& refusal)
{
    for (;;) {
        const PromptStep* step = next(PromptStep::Kind::SavePath, title);
        if (step && step->seen)
            *step->seen = suggested;
        if (!step || !step->reply || !refusal || refusal(*step->reply).isEmpty())
            return step ? step->reply : std::nullopt;
        inform(refusal(*step->reply));
    }
}

std::optional<QString> ScriptedPrompter::ask_open_path(const QString& title, const QString&, const QString&)
{
    const PromptStep* step = next(PromptStep::Kind::OpenPath, title);
    return step ? step->reply : std::nullopt;
}

void write_data_file_bytes(const QByteArray& bytes)
{
    QFile f(QString::fromLatin1(kDataFileName));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

std::optional<QByteArray> read_data_file_bytes()
{
    QFile f(QString::fromLatin1(kDataFileName));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

FileSizeLimit::FileSizeLimit(unsigned long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{};
    ::getrlimit(RLIMIT_FSIZE, &rl);
    previous_soft_ = rl.rlim_cur;
    rl.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &rl);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit rl{};
    ::getrlimit(RLIMIT_FSIZE, &rl);
    rl.rlim_cur = previous_soft_;
    ::setrlimit(RLIMIT_FSIZE, &rl);
}

ReplacementCounter::ReplacementCounter(const QString& folder, const QString& name)
    : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(QFile::encodeName(name))
{
    if (fd_ >= 0)
        ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_MOVED_TO);
}

ReplacementCounter::~ReplacementCounter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int ReplacementCounter::count()
{
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = fd_ >= 0 ? ::read(fd_, buffer, sizeof buffer) : -1;
        if (n <= 0)
            return seen_;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && name_ == QByteArray(event->name))
                ++seen_;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void retype(QLineEdit* box, const QString& text)
{
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    if (text.size() > 100) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else {
        type_text(box, text);
    }
    QCOMPARE(box->text(), text);
}

void choose_entry(QComboBox* list, int index)
{
    list->showPopup();
    QAbstractItemView* view = list->view();
    QTRY_VERIFY(view->isVisible());
    const QRect r = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    QTRY_VERIFY(!view->isVisible());
}

ProgramFixture::ProgramFixture() = default;
ProgramFixture::~ProgramFixture() = default;

bool ProgramFixture::set_up()
{
    dir_ = std::make_unique<TemporaryWorkingDir>();
    return dir_->isValid();
}

void ProgramFixture::tear_down()
{
    ModalScript::close_all_modals();
    window_.reset();
    document_.reset();
    dir_.reset();
}

bool ProgramFixture::start()
{
    window_.reset(); // a test may start the program again
    document_.reset();
    DataLocation where;
    where.data_file = QDir::current().absoluteFilePath(QString::fromLatin1(kDataFileName));
    document_ = std::make_unique<DataDocument>(where.data_file);
    if (!open_document(*document_, where, prompter_))
        return false;
    window_ = std::make_unique<fee::ui::MainWindow>(*document_, prompter_);
    window_->set_data_location(where);
    window_->load_table();
    window_->show();
    window_->activateWindow(); // nothing activates it under a bare X server
    return QTest::qWaitForWindowActive(window_.get());
}

BrokerTable& ProgramFixture::table()
{
    return document_->table();
}

QString ProgramFixture::folder() const
{
    return dir_ ? dir_->path() : QString();
}

TemporaryWorkingDir::TemporaryWorkingDir() : previous_(QDir::currentPath())
{
    valid_ = dir_.isValid() && QDir::setCurrent(dir_.path());
}

TemporaryWorkingDir::~TemporaryWorkingDir()
{
    QDir::setCurrent(previous_);
}

} // namespace fee::test
