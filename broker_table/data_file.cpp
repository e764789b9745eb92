#include "broker_table/data_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <string_view>

#include "broker_table/codepage.h"
#include "broker_table/number_text.h"

namespace fee {
namespace {

// Reads lines on demand, so that a huge file costs no more than the lines the
// count asks for.
class LineReader {
public:
    explicit LineReader(QFile& file) : file_(file) {}

    // The next line without its end, or empty at the end of the file.
    std::optional<std::string> next()
    {
        for (;;) {
            for (std::size_t i = pos_; i < buf_.size(); ++i) {
                const char c = buf_[i];
                if (c != '\r' && c != '\n')
                    continue;
                if (c == '\r' && i + 1 == buf_.size() && !eof_) {
                    // A CR at the end of the buffer may be the first half of CR LF.
                    break;
                }
                std::string line = buf_.substr(pos_, i - pos_);
                pos_ = i + 1;
                if (c == '\r' && pos_ < buf_.size() && buf_[pos_] == '\n')
                    ++pos_;
                return line;
            }
            if (eof_) {
                if (pos_ >= buf_.size())
                    return std::nullopt;
                std::string line = buf_.substr(pos_);
                pos_ = buf_.size();
                return line;
            }
            fill();
        }
    }

    bool failed() const { return failed_; }

private:
    void fill()
    {
        buf_.erase(0, pos_);
        pos_ = 0;
        char chunk[16384];
        const qint64 n = file_.read(chunk, sizeof chunk);
        if (n < 0)
            failed_ = true;
        if (n <= 0)
            eof_ = true;
        else
            buf_.append(chunk, static_cast<std::size_t>(n));
    }

    QFile& file_;
    std::string buf_;
    std::size_t pos_ = 0;
    bool eof_ = false;
    bool failed_ = false;
};

std::string shown(std::string_view bytes)
{
    return quote_for_message(decode_cp932(bytes)).toStdString();
}

class Reader {
public:
    Reader(QFile& file, std::string name) : lines_(file), name_(std::move(name)) {}

    std::optional<Error> line(std::string& out)
    {
        ++number_;
        auto l = lines_.next();
        if (lines_.failed())
            return Error{name_ + " を読み込めませんでした（" + std::to_string(number_) + " 行目）。"};
        if (!l)
            return Error{name_ + " の " + std::to_string(number_) +
                         " 行目がありません。ファイルが途中で終わっています。"};
        out = std::move(*l);
        return std::nullopt;
    }

    template <typename T, typename Parse> std::optional<Error> number(T& out, Parse parse)
    {
        std::string text;
        if (auto e = line(text))
            return e;
        const auto r = parse(decode_cp932_utf8(text));
        if (!r) {
            const bool range = r.error().kind == ParseError::Kind::OutOfRange;
            return Error{name_ + " の " + std::to_string(number_) +
                         (range ? " 行目の数値が範囲外です: \"" : " 行目が数値ではありません: \"") +
                         shown(text) + "\""};
        }
        out = r.value();
        return std::nullopt;
    }

private:
    LineReader lines_;
    std::string name_;
    int number_ = 0;
};

std::optional<Error> read_into(Reader& in, BrokerTable& t, const std::string& name)
{
    std::uint8_t last = 0;
    if (auto e = in.number(last, parse_byte))
        return e;
    if (last >= kTableRows) {
        return Error{name + " の 1 行目の証券会社の数が多すぎます: \"" + std::to_string(last) +
                     "\"（最後の番号は 0〜20、つまり 21 社までです）"};
    }
    t.set_com_last(last);
    for (int r = 0; r <= last; ++r) {
        if (auto e = in.line(t.com_name(r)))
            return e;
        for (Money* m : {&t.com_fix(r), &t.com_max(r), &t.com_mini(r)})
            if (auto e = in.number(*m, parse_currency))
                return e;
    }
    for (int r = 0; r <= last; ++r) {
        for (int j = 0; j < kBoundedBrackets; ++j) {
            if (auto e = in.number(t.com_kubun(r, j), parse_currency))
                return e;
            if (auto e = in.number(t.com_wariai(r, j), parse_single))
                return e;
            if (auto e = in.number(t.com_add(r, j), parse_currency))
                return e;
        }
        if (auto e = in.number(t.com_wariai(r, kTopBracket), parse_single))
            return e;
        if (auto e = in.number(t.com_add(r, kTopBracket), parse_currency))
            return e;
    }
    return std::nullopt;
}

std::string display_name(const QString& path)
{
    return path.toStdString();
}

} // namespace

Status<> read_data_file(const QString& path, BrokerTable& table)
{
    const std::string name = display_name(path);
    QFile file(path);
    if (!QFileInfo(path).isFile() && QFileInfo::exists(path))
        return Error{name + " はファイルではありません。"};
    if (!file.exists())
        return Error{name + " がありません。証券会社のデータを入れたファイルが必要です。"};
    if (!file.open(QIODevice::ReadOnly))
        return Error{name + " を開けません: " + file.errorString().toStdString()};

    // Load into a copy: a file that fails halfway leaves the table as it was.
    BrokerTable loaded = table;
    Reader in(file, name);
    if (auto e = read_into(in, loaded, name))
        return *e;
    table = loaded;
    return done();
}

Result<std::string> serialize_data_file(const BrokerTable& t)
{
    std::string out;
    auto put = [&out](const std::string& s) {
        out += s;
        out += "\r\n";
    };
    put(general_form(std::int64_t{t.com_last()}));
    for (int r = 0; r <= t.com_last(); ++r) {
        const std::string& name = t.com_name(r);
        if (name.find_first_of("\r\n") != std::string::npos)
            return Error{std::to_string(r + 1) +
                         " 番目の証券会社の名前に改行が含まれているため保存できません。"};
        put(name);
        put(general_form(t.com_fix(r)));
        put(general_form(t.com_max(r)));
        put(general_form(t.com_mini(r)));
    }
    for (int r = 0; r <= t.com_last(); ++r) {
        for (int j = 0; j < kBoundedBrackets; ++j) {
            put(general_form(t.com_kubun(r, j)));
            put(general_form(t.com_wariai(r, j)));
            put(general_form(t.com_add(r, j)));
        }
        put(general_form(t.com_wariai(r, kTopBracket)));
        put(general_form(t.com_add(r, kTopBracket)));
    }
    return out;
}

Status<> write_data_file(const QString& path, const BrokerTable& table, const SaveFault& fault)
{
    const std::string name = display_name(path);
    const auto content = serialize_data_file(table);
    if (!content)
        return content.error();
    auto failed = [&](SaveStep step, int line) { return fault && fault(step, line); };
    auto error = [&](const std::string& why) {
        return Error{name + " に保存できませんでした: " + why + "\n以前の内容はそのまま残っています。"};
    };

    QSaveFile file(path);
    // The system's words for the failure, taken before cancelWriting() puts its
    // own in their place; a fault injected by a test has none.
    auto reason = [&](const std::string& what) {
        return file.error() == QFileDevice::NoError ? what : what + ": " + file.errorString().toStdString();
    };
    if (failed(SaveStep::Open, 0) || !file.open(QIODevice::WriteOnly))
        return error(reason("開けません"));

    // One write per line, as the file is laid out.
    const std::string& bytes = content.value();
    std::size_t pos = 0;
    int line = 0;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", pos) + 2;
        ++line;
        const auto len = static_cast<qint64>(end - pos);
        if (failed(SaveStep::Write, line) || file.write(bytes.data() + pos, len) != len) {
            const std::string why = reason("書き込みに失敗しました（" + std::to_string(line) + " 行目）");
            file.cancelWriting();
            return error(why);
        }
        pos = end;
    }
    if (failed(SaveStep::Flush, 0) || !file.flush()) {
        const std::string why = reason("書き込みに失敗しました");
        file.cancelWriting();
        return error(why);
    }
    if (failed(SaveStep::Commit, 0) || !file.commit()) {
        const std::string why = reason("確定できませんでした");
        file.cancelWriting();
        return error(why);
    }
    return done();
}

} // namespace fee
