#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

#include "core/document/data_lock.h"
#include "core/fees/broker_table.h"
#include "core/fees/daily_plan.h"
#include "core/outcome.h"
#include "core/storage/safe_save.h"

namespace fee {

// What quitting without saving would lose.
struct LostChanges {
    bool list_edited = false;  // names changed, brokers removed or moved
    std::vector<int> brokers;  // rows whose saved elements differ, added ones included
    int saved_last_broker = 0; // rows after it were added
    bool empty() const { return !list_edited && brokers.empty(); }
};

// The answers a close needs from whoever closes: the window asks the user,
// a signal or the end of the desktop session answers for nobody.
class CloseQuestions {
public:
    enum class Answer { Save, Discard, Cancel };

    virtual ~CloseQuestions() = default;
    // Another program wrote the file since it was read: overwrite it (Save),
    // leave it and close (Discard), or go back (Cancel).
    virtual Answer changed_on_disk(const QString& path) = 0;
    // The save failed with `message`: try again (Save), close without saving
    // (Discard, then confirm_discard) or go back (Cancel).
    virtual Answer save_failed(const std::string& message) = 0;
    // True to close although `lost` will be lost.
    virtual bool confirm_discard(const LostChanges& lost) = 0;
    // The file cannot be written at all (`why`): close without saving
    // (Discard, then confirm_discard) or go back (Cancel).
    virtual Answer cannot_save(const std::string& why) = 0;
};

// compare.dat from open to close, for the windows and the companion alike:
// the lock, the table it held, what it held on disk, what was changed since,
// and the one close sequence. Shows nothing itself; it says what happened and
// asks CloseQuestions what to do. Nothing is ever written unless a table was
// loaded.
class DataDocument {
public:
    enum class Closed { Saved, LeftAsItWas, Cancelled, NothingLoaded };

    // `rescue_folder`: where copies go when a save can put back neither the
    // old nor the new content (see save_data_file).
    explicit DataDocument(QString path, QString rescue_folder = {});
    ~DataDocument();
    DataDocument(const DataDocument&) = delete;
    DataDocument& operator=(const DataDocument&) = delete;

    // Resolves links, takes the lock on the real file, then reads it. On
    // failure nothing was changed and the document stays empty.
    Status<> open();
    bool loaded() const { return loaded_; }
    // The daily flat plans beside the file (daily-plans.json), read at open;
    // none where there is no such file.
    const DailyPlans& daily_plans() const { return plans_; }
    // Why the plans were not read; empty when they were, or there are none.
    // A refused file is never written.
    const std::string& plans_refusal() const { return plans_refusal_; }
    QString daily_plans_path() const;
    // The plan window's OK: the plans written when they changed, by the rules
    // of compare.dat's save (another program's change asked about, a failed
    // save retried, given up or cancelled as `answers` say). compare.dat
    // itself is not touched.
    Closed commit_daily_plans(const DailyPlans& plans, CloseQuestions& answers);

    // Why the loaded file cannot be saved (no lock can be taken); else empty.
    const std::string& unguarded() const { return lock_.unguarded(); }
    // Said once the file has loaded: names that read like UTF-8; or empty.
    const std::string& load_warning() const { return load_warning_; }

    BrokerTable& table() { return table_; }
    const BrokerTable& table() const { return table_; }
    const QString& path() const { return path_; }

    // Why `target` must not be written by an export: it is the data file
    // (through any name), or a file the program keeps beside it; empty when
    // it may be.
    std::string export_refusal(const QString& target) const;

    // The list itself was changed (renamed, removed, moved).
    void note_list_edited() { list_edited_ = true; }
    LostChanges lost_changes() const;
    // True when the file no longer holds the bytes read or last saved.
    bool changed_on_disk() const;

    // One save of the table; on success it is what the file holds from now on.
    Status<> save();

    // The close: a file another program wrote is overwritten only when the
    // answers say so; a failed save is retried, given up (after confirmation)
    // or cancelled as they say. Saved and LeftAsItWas end the work on the file.
    Closed close(CloseQuestions& answers);

    // Lets the next program have the file.
    void release();

private:
    void read_daily_plans();
    SaveOptions save_options(const QString& shown, const QString& rescue_stem);

    QString path_;
    QString real_path_; // links resolved at open: what is locked and written
    QString rescue_folder_;
    DataLock lock_;
    BrokerTable table_;
    BrokerTable saved_;
    QByteArray fingerprint_;
    std::string load_warning_;
    DailyPlans plans_;
    QByteArray plans_fingerprint_;
    std::string plans_refusal_;
    bool loaded_ = false;
    bool list_edited_ = false;
};

// The answers when nobody is there to ask: a file another program wrote is
// left as it is, and a failed save is given up. What each answer gave up is
// kept, for standard error.
class UnattendedAnswers : public CloseQuestions {
public:
    Answer changed_on_disk(const QString& path) override;
    Answer save_failed(const std::string& message) override;
    bool confirm_discard(const LostChanges&) override { return true; }
    Answer cannot_save(const std::string& why) override;

    void note(const std::string& line) { report_ += line + "\n"; }
    // Every line noted, or empty when nothing was given up.
    const std::string& report() const { return report_; }

private:
    std::string report_;
};

} // namespace fee
