#include "core/data_document.h"

#include <QCryptographicHash>
#include <QFile>

#include "core/data_file.h"

namespace fee {
namespace {

// SHA-256 of the whole file; empty when it cannot be read.
QByteArray fingerprint(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

} // namespace

DataDocument::DataDocument(QString path, QString rescue_folder)
    : path_(std::move(path)), rescue_folder_(std::move(rescue_folder)), lock_(path_)
{
}

DataDocument::~DataDocument() = default;

Status<> DataDocument::open()
{
    if (auto locked = lock_.acquire(); !locked)
        return locked;
    BrokerTable read;
    if (auto status = read_data_file(path_, read, &load_warning_); !status) {
        lock_.release();
        return status;
    }
    fingerprint_ = fingerprint(path_);
    table_ = read;
    saved_ = read;
    loaded_ = true;
    return done();
}

LostChanges DataDocument::lost_changes() const
{
    LostChanges lost{list_edited_, {}, saved_.last_row()};
    for (int r = 0; r <= table_.last_row(); ++r)
        if (r > saved_.last_row() || table_.broker(r) != saved_.broker(r))
            lost.brokers.push_back(r);
    return lost;
}

bool DataDocument::changed_on_disk() const
{
    return fingerprint(path_) != fingerprint_;
}

Status<> DataDocument::save()
{
    if (!loaded_)
        return Error{path_.toStdString() + " は読み込まれていないので、保存しません。"};
    SaveOptions options;
    options.announce = [this](const QString& new_file) { lock_.record_save(new_file); };
    options.rescue_folder = rescue_folder_;
    const QByteArray at_start = fingerprint(path_);
    const auto saved = save_data_file(path_, table_, options);
    lock_.clear_record();
    if (!saved) {
        // A save that could not put the old bytes back changed the file
        // itself: that is no other program's doing.
        if (const QByteArray now = fingerprint(path_); now != at_start)
            fingerprint_ = now;
        return saved;
    }
    fingerprint_ = fingerprint(path_);
    saved_ = table_;
    list_edited_ = false;
    return done();
}

DataDocument::Closed DataDocument::close(CloseQuestions& answers)
{
    if (!loaded_)
        return Closed::NothingLoaded;
    using Answer = CloseQuestions::Answer;
    if (changed_on_disk()) {
        const Answer answer = answers.changed_on_disk(path_);
        if (answer != Answer::Save)
            return answer == Answer::Discard ? Closed::LeftAsItWas : Closed::Cancelled;
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

CloseQuestions::Answer UnattendedAnswers::save_failed(const std::string& message)
{
    note(message);
    return Answer::Discard;
}

} // namespace fee
