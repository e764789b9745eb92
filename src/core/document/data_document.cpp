#include "core/document/data_document.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sys/stat.h>

#include "core/datafile/daily_plans_file.h"
#include "core/datafile/data_file.h"
#include "core/document/data_location.h"
#include "core/storage/file_save.h"

namespace fee {
namespace {

// SHA-256 of the whole file (a link at its name not followed); empty when it
// cannot be read.
QByteArray fingerprint(const QString& path)
{
    const auto fd = open_side_file(path, SideAccess::ReadAny);
    QFile file;
    if (!fd || !file.open(fd->get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

bool same_file(const QString& a, const QString& b)
{
    struct stat first {
    }, second{};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

QString canonical_folder(const QString& path)
{
    const QString folder = QFileInfo(path).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(path) : folder;
}

// The names `target` stands for: itself with its folder's links resolved,
// and where it is a link, what it leads to.
QStringList real_names(const QString& target)
{
    const QFileInfo info(target);
    QStringList names{canonical_folder(info.absolutePath()) + u'/' + info.fileName()};
    if (const QString resolved = info.canonicalFilePath(); !resolved.isEmpty())
        names << resolved;
    return names;
}

} // namespace

DataDocument::DataDocument(QString path, QString rescue_folder)
    : path_(std::move(path)), rescue_folder_(std::move(rescue_folder))
{
}

DataDocument::~DataDocument() = default;

Status<> DataDocument::open()
{
    real_path_ = resolved_data_path(path_);
    if (auto locked = lock_.acquire(real_path_, path_); !locked)
        return locked;
    BrokerTable read;
    QFile file;
    (void)file.open(lock_.data_file(), QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::DontCloseHandle);
    if (auto status = read_data_file(file, path_, read, &load_warning_); !status) {
        lock_.release();
        return status;
    }
    fingerprint_ = fingerprint(real_path_);
    table_ = read;
    saved_ = read;
    loaded_ = true;
    read_daily_plans();
    return done();
}

QString DataDocument::daily_plans_path() const
{
    return daily_plans_beside(real_path_);
}

void DataDocument::read_daily_plans()
{
    auto plans = read_daily_plans_file(daily_plans_path());
    if (!plans) {
        plans_refusal_ = plans.error().message;
        return;
    }
    plans_ = std::move(plans).value();
    plans_fingerprint_ = fingerprint(daily_plans_path());
}

SaveOptions DataDocument::save_options(const QString& shown, const QString& rescue_stem)
{
    SaveOptions options;
    options.hooks.record = [this](const QString& name, const FileIdentity& file) {
        return lock_.record_new_file(name, file);
    };
    options.rescue_folder = rescue_folder_;
    options.rescue_stem = rescue_stem;
    options.shown_name = shown;
    return options;
}

namespace {

// Where an answer other than Save leaves a close or a save of the plans.
DataDocument::Closed without_saving(CloseQuestions::Answer answer)
{
    return answer == CloseQuestions::Answer::Discard ? DataDocument::Closed::LeftAsItWas
                                                     : DataDocument::Closed::Cancelled;
}

} // namespace

DataDocument::Closed DataDocument::commit_daily_plans(const DailyPlans& plans, CloseQuestions& answers)
{
    using Answer = CloseQuestions::Answer;
    if (!loaded_ || !plans_refusal_.empty() || plans == plans_)
        return Closed::LeftAsItWas;
    if (!lock_.held())
        return without_saving(answers.cannot_save(lock_.unguarded()));
    const QString path = daily_plans_path();
    if (fingerprint(path) != plans_fingerprint_) {
        const Answer answer = answers.changed_on_disk(path);
        if (answer != Answer::Save)
            return without_saving(answer);
    }
    const QByteArray bytes = serialize_daily_plans(plans);
    for (;;) {
        const auto saved = save_bytes(path, std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                      save_options(path, QStringLiteral("daily-plans")));
        lock_.finish_save();
        if (saved) {
            plans_ = plans;
            plans_fingerprint_ = fingerprint(path);
            return Closed::Saved;
        }
        const Answer answer = answers.save_failed(saved.error().message);
        if (answer != Answer::Save)
            return without_saving(answer);
    }
}

LostChanges DataDocument::lost_changes() const
{
    LostChanges lost{list_edited_, {}, saved_.last_broker()};
    for (int r = 0; r <= table_.last_broker(); ++r)
        if (r > saved_.last_broker() || table_.broker(r) != saved_.broker(r))
            lost.brokers.push_back(r);
    return lost;
}

bool DataDocument::changed_on_disk() const
{
    return fingerprint(real_path_) != fingerprint_;
}

std::string DataDocument::export_refusal(const QString& target) const
{
    if (!loaded_)
        return {};
    const auto refuse = [&target](const std::string& what) {
        return target.toStdString() + " は" + what +
               "なので、書き出し先にできません。別の名前を選んで下さい。";
    };
    if (same_file(target, real_path_))
        return refuse("開いているデータファイル " + path_.toStdString() + " そのもの");
    const QString folder = QFileInfo(real_path_).absolutePath();
    const QStringList locks = {lock_file_path(real_path_), lock_.lock_file()};
    static const QRegularExpression rescue_copy(
        QStringLiteral("^(compare|daily-plans)-\\d{8}-\\d{6}-(before|unsaved)(-\\d+)?\\.dat$"));
    for (const QString& name : real_names(target)) {
        const QFileInfo info(name);
        for (const QString& lock : locks) {
            if (!lock.isEmpty() && name == lock)
                return refuse("このプログラムのロックのファイル");
            if (!lock.isEmpty() && name == save_record_path(lock))
                return refuse("このプログラムの保存の記録");
        }
        if (is_new_file_of_save(name, real_path_))
            return refuse("このプログラムが保存に使う名前");
        if (info.absolutePath() == folder && info.fileName() == QString::fromLatin1(kHelpFileName))
            return refuse("ヘルプのファイル");
        if (info.absolutePath() == folder && info.fileName() == QString::fromLatin1(kDailyPlansFileName))
            return refuse("1日定額のプランのファイル");
        const QString where = info.absolutePath();
        if ((where == canonical_folder(rescue_folder_) || where == canonical_folder(QDir::tempPath())) &&
            rescue_copy.match(info.fileName()).hasMatch())
            return refuse("保存に失敗したときの写し");
    }
    return {};
}

Status<> DataDocument::save()
{
    if (!loaded_)
        return Error{path_.toStdString() + " は読み込まれていないので、保存しません。"};
    if (!lock_.held())
        return Error{lock_.unguarded() + "変更は保存できません。"};
    SaveOptions options = save_options(path_, QStringLiteral("compare"));
    options.hooks.hold = [this](int fd) { return lock_.hold_new_file(fd); };
    const QByteArray at_start = fingerprint(real_path_);
    const auto saved = save_data_file(real_path_, table_, options);
    lock_.finish_save();
    if (!saved) {
        // A save that could not put the old bytes back changed the file
        // itself: that is no other program's doing.
        if (const QByteArray now = fingerprint(real_path_); now != at_start)
            fingerprint_ = now;
        return saved;
    }
    fingerprint_ = fingerprint(real_path_);
    saved_ = table_;
    list_edited_ = false;
    return done();
}

DataDocument::Closed DataDocument::close(CloseQuestions& answers)
{
    if (!loaded_)
        return Closed::NothingLoaded;
    using Answer = CloseQuestions::Answer;
    if (!lock_.held()) {
        const LostChanges lost = lost_changes();
        if (lost.empty())
            return Closed::LeftAsItWas;
        if (answers.cannot_save(lock_.unguarded()) != Answer::Discard)
            return Closed::Cancelled;
        return answers.confirm_discard(lost) ? Closed::LeftAsItWas : Closed::Cancelled;
    }
    if (changed_on_disk()) {
        const Answer answer = answers.changed_on_disk(path_);
        if (answer != Answer::Save)
            return without_saving(answer);
    }
    for (;;) {
        const auto saved = save();
        if (saved)
            return Closed::Saved;
        const Answer answer = answers.save_failed(saved.error().message);
        if (answer == Answer::Cancel)
            return Closed::Cancelled;
        if (answer == Answer::Discard)
            return answers.confirm_discard(lost_changes()) ? Closed::LeftAsItWas : Closed::Cancelled;
    }
}

void DataDocument::release()
{
    lock_.release();
}

CloseQuestions::Answer UnattendedAnswers::changed_on_disk(const QString& path)
{
    note(path.toStdString() + " はほかのプログラムに書き換えられているため、上書きしませんでした。");
    return Answer::Discard;
}

CloseQuestions::Answer UnattendedAnswers::cannot_save(const std::string& why)
{
    note(why + "変更は保存しませんでした。");
    return Answer::Discard;
}

CloseQuestions::Answer UnattendedAnswers::save_failed(const std::string& message)
{
    note(message);
    return Answer::Discard;
}

} // namespace fee
