#include "core/datafile/data_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/datafile/line_reader.h"
#include "core/money/number_text.h"
#include "core/storage/file_save.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"

namespace fee {
namespace {

// A quote shows at most 40 characters of at most two bytes each, so the start
// of a long line gives the same quote as the whole line, without decoding it.
std::string shown(std::string_view bytes)
{
    constexpr std::size_t kEnoughForAQuote = 256;
    return in_brackets(decode_cp932(bytes.substr(0, kEnoughForAQuote)));
}

// What to do about a line the program cannot read.
constexpr const char* kFixTheLine = "テキストエディターでその行を直すか、保存しておいた写しに戻して下さい。";

// The terminal command that turns a Unicode file into the file's code page;
// `convert` reads the file named by %1.
std::string conversion_hint(const std::string& path, const char* convert)
{
    const QString file = QFileInfo(QString::fromStdString(path)).fileName();
    return "（端末では " + QString::fromUtf8(convert).arg(file).toStdString() +
           " > sjis.dat で変換し、sjis.dat を " + file.toStdString() + " にします）";
}

// A file saved in Unicode instead of the file's code page fails at its first
// line or loads with garbled names, so it is named for what it is, with the
// command that converts it.
std::string save_as_shift_jis(const std::string& path, const char* encoding, const char* convert)
{
    return std::string(encoding) +
           " で保存されたファイルは読めません。Shift_JIS (CP932) で保存し直して下さい" +
           conversion_hint(path, convert) + "。";
}

std::optional<Error> byte_order_mark(std::string_view first_line, const std::string& path)
{
    if (first_line.starts_with("\xEF\xBB\xBF")) {
        return Error{path + " の 1 行目の前に UTF-8 の BOM があります。" +
                     save_as_shift_jis(path, "UTF-8", "tail -c +4 %1 | iconv -f UTF-8 -t CP932")};
    }
    if (first_line.starts_with("\xFF\xFE") || first_line.starts_with("\xFE\xFF")) {
        return Error{path + " の 1 行目の前に UTF-16 の BOM があります。" +
                     save_as_shift_jis(path, "UTF-16", "iconv -f UTF-16 -t CP932 %1")};
    }
    return std::nullopt;
}

// Whether a name line is Japanese written in UTF-8 rather than in CP932. Such
// bytes often read as valid CP932 too, if garbled, so this asks the other way
// round: the bytes are valid UTF-8, hold a kana, kanji or full-width character,
// and that text could be written in CP932, so that the conversion works. A name
// in CP932 is valid UTF-8 only where its first byte above 7F is a half-width
// katakana or a rare kanji's lead byte, and even then seldom.
bool reads_as_japanese_utf8(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError())
        return false;
    const bool japanese = std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF);
    });
    return japanese && encode_typed_name(text).ok();
}

// Whether the iconv command of the UTF-8 warning would convert the whole of
// `device`: every byte of it, lines after the last one the count needs
// included, is UTF-8 that CP932 can hold. Asks glibc's converter, the one the
// command runs, reading from the start in chunks. Where the answer is not
// certain (no converter, a read that fails) it is no, so that the warning never
// offers a command that would leave a cut file.
bool converts_to_cp932(QIODevice& device)
{
    const iconv_t cd = ::iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::array<char, 16 * 1024> in;
    std::array<char, 16 * 1024> out;
    std::size_t kept = 0; // the start of a character cut by the chunk's end
    bool ok = device.seek(0);
    while (ok) {
        const qint64 n = device.read(in.data() + kept, static_cast<qint64>(in.size() - kept));
        if (n <= 0) {
            ok = n == 0 && kept == 0;
            break;
        }
        char* from = in.data();
        std::size_t from_left = kept + static_cast<std::size_t>(n);
        char* to = out.data();
        std::size_t to_left = out.size();
        // No character grows from UTF-8 to CP932, so only a bad or foreign
        // character (EILSEQ) or one the chunk cuts (EINVAL) stops it.
        if (::iconv(cd, &from, &from_left, &to, &to_left) == static_cast<std::size_t>(-1) && errno != EINVAL)
            ok = false;
        std::memmove(in.data(), from, from_left);
        kept = from_left;
    }
    ::iconv_close(cd);
    return ok;
}

class Reader {
public:
    Reader(QIODevice& device, std::string name) : lines_(device), device_(device), name_(std::move(name)) {}

    // `row` is the broker's row, which the warning about UTF-8 names gives.
    std::optional<Error> name(std::string& out, int row)
    {
        LineReader::Line l;
        if (auto e = line(l, kMaxNameBytes))
            return e;
        if (l.too_long) {
            return Error{at() + " 行目の証券会社名が長すぎます: " + shown(l.bytes) + "（名前は " +
                         std::to_string(kMaxNameBytes) + " バイトまでです）。" + kFixTheLine};
        }
        // Bytes that read as Japanese in UTF-8 load all the same, as the CP932
        // they are: the file may be right, and its bytes are kept either way.
        if (reads_as_japanese_utf8(l.bytes)) {
            if (utf8_names_.empty()) {
                first_utf8_name_ = QString::fromUtf8(l.bytes.data(), static_cast<qsizetype>(l.bytes.size()));
                first_cp932_name_ = decode_cp932(l.bytes);
            }
            utf8_names_.push_back({number_, row});
        }
        out = std::move(l.bytes);
        return std::nullopt;
    }

    // `field` names what the line holds, for example "1 社目「あおば証券」の上限".
    template <typename T, typename Parse>
    std::optional<Error> number(T& out, Parse parse, const std::string& field)
    {
        LineReader::Line l;
        if (auto e = line(l, kMaxNumberLineBytes))
            return e;
        QString text = decode_cp932(l.bytes);
        // A line cut inside a double-byte character ends in U+FFFD, which is the
        // cut's doing and not the file's.
        if (l.too_long && text.endsWith(QChar(QChar::ReplacementCharacter)))
            text.chop(1);
        const auto r = parse(text);
        if (r && !l.too_long) {
            out = r.value();
            return std::nullopt;
        }
        // Of a line too long to be a number, the start already tells most
        // refusals apart: junk is not a number, a run of digits is out of range.
        const std::string where = at() + " 行目（" + field + "）";
        if (r) {
            return Error{where + "が数値としては長すぎます: " + shown(l.bytes) + "（数値の行は " +
                         std::to_string(kMaxNumberLineBytes) + " バイトまでです）。" + kFixTheLine};
        }
        const bool range = r.error().kind == ParseError::Kind::OutOfRange;
        return Error{where + (range ? "の数値が範囲外です: " : "が数値ではありません: ") + shown(l.bytes) +
                     "。" + kFixTheLine};
    }

private:
    std::optional<Error> line(LineReader::Line& out, std::size_t limit)
    {
        ++number_;
        auto l = lines_.next(limit);
        if (lines_.failed())
            return Error{name_ + " を読み込めませんでした（" + std::to_string(number_) + " 行目）。" +
                         "装置やネットワークの接続を確かめて下さい。"};
        if (!l)
            return Error{at() + " 行目がありません。ファイルが途中で終わっています。" +
                         "保存しておいた写しに戻して下さい。"};
        if (number_ == 1)
            if (auto e = byte_order_mark(l->bytes, name_))
                return e;
        out = std::move(*l);
        return std::nullopt;
    }

    // "FILE の N", the start of every message about the current line.
    std::string at() const { return name_ + " の " + std::to_string(number_); }

public:
    // The warning about names that read like UTF-8, or empty. The iconv command
    // comes only where it converts the whole file; a file with other names in
    // CP932 would be cut at the first of them, so there the names to retype
    // are listed instead.
    std::string utf8_warning()
    {
        if (utf8_names_.empty())
            return {};
        const int first_line = utf8_names_.front().first;
        std::string text = name_ + " の証券会社名 " + std::to_string(utf8_names_.size()) +
                           " 社は、UTF-8 で書かれた日本語のようにも読めます: " + listed_names() + "。" +
                           std::to_string(first_line) + " 行目の" + in_brackets(first_cp932_name_) + "は" +
                           in_brackets(first_utf8_name_) +
                           "とも読めます。Shift_JIS (CP932) "
                           "のファイルとして開きました。名前は保存してもバイトのまま変わりません。";
        if (converts_to_cp932(device_))
            return text + "UTF-8 で保存したファイルなら、Shift_JIS (CP932) で保存し直して下さい" +
                   conversion_hint(name_, "iconv -f UTF-8 -t CP932 %1") + "。";
        return text + "ファイル全体は UTF-8 から CP932 に変換できない（Shift_JIS の名前などがある）ため、" +
               "それらの名前をこのプログラムで入れ直すか、端末で fee-compare-cli rename 番号 名前 " +
               "で付け直して下さい。";
    }

private:
    // "2 行目（番号 0）、23 行目（番号 1）": the first few, then how many more.
    std::string listed_names() const
    {
        constexpr std::size_t kListed = 5;
        std::string out;
        for (std::size_t i = 0; i < std::min(kListed, utf8_names_.size()); ++i)
            out += (i > 0 ? "、" : "") + std::to_string(utf8_names_[i].first) + " 行目（番号 " +
                   std::to_string(utf8_names_[i].second) + "）";
        if (utf8_names_.size() > kListed)
            out += " ほか " + std::to_string(utf8_names_.size() - kListed) + " 行";
        return out;
    }

    LineReader lines_;
    QIODevice& device_;
    std::string name_;
    int number_ = 0;
    std::vector<std::pair<int, int>> utf8_names_; // line and row of each
    QString first_utf8_name_;
    QString first_cp932_name_;
};

std::optional<Error> read_into(Reader& in, BrokerTable& t, const std::string& name)
{
    std::uint8_t last = 0;
    if (auto e = in.number(last, parse_byte, "証券会社の数"))
        return e;
    if (last >= kMaxBrokers) {
        return Error{name + " の 1 行目の証券会社の数が多すぎます: 「" + std::to_string(last) +
                     "」（最後の番号は 0〜20、つまり 21 社までです）。" + kFixTheLine};
    }
    t.set_last_broker(last);
    for (int r = 0; r <= last; ++r) {
        Broker& b = t.broker(r);
        if (auto e = in.name(b.name, r))
            return e;
        const std::string who = broker_label(r, b.name);
        for (const auto& [m, field] : {std::pair(&b.yearly_fee, "の維持費"), std::pair(&b.maximum, "の上限"),
                                       std::pair(&b.minimum, "の下限")})
            if (auto e = in.number(*m, parse_currency, who + field))
                return e;
    }
    for (int r = 0; r <= last; ++r) {
        const std::string who = broker_label(r, t.broker(r).name);
        for (std::size_t j = 0; j < kBrackets; ++j) {
            Bracket& bracket = t.broker(r).brackets[j];
            const std::string row = "（表の " + std::to_string(j + 1) + " 行目）";
            if (j < kBoundedBrackets)
                if (auto e = in.number(bracket.upper_bound, parse_currency, who + "の約定代金" + row))
                    return e;
            if (auto e = in.number(bracket.rate, parse_single, who + "の手数料率" + row))
                return e;
            if (auto e = in.number(bracket.add_on, parse_currency, who + "の付加" + row))
                return e;
        }
    }
    return std::nullopt;
}

} // namespace

Outcome<UniqueFd> open_data_file(const QString& path, LinkAtName links)
{
    const std::string name = path.toStdString();
    // Never blocking: a FIFO or a device at the name is refused, not waited on.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == LinkAtName::Refuse ? O_NOFOLLOW : 0);
    UniqueFd fd(::open(QFile::encodeName(path).constData(), flags));
    struct stat st {};
    if (!fd && errno == ENOENT)
        return Error{name + " がありません。証券会社のデータを入れたファイルが必要です。"};
    if (!fd && errno == ELOOP && ::lstat(QFile::encodeName(path).constData(), &st) == 0)
        return Error{what_stands_at(path, st) + "。開くときに置き換えられました。もう一度試して下さい。"};
    if (!fd)
        return Error{name + " を読み込み用に開けません（" + errno_reason(errno) +
                     "）。ファイルの読み取りの権限を確かめて下さい。"};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Error{name + " はファイルではありません（フォルダーなどです）。証券会社のデータのファイルを"
                            "その名前で置いて下さい。"};
    (void)::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

Status<> read_data_file(const QString& path, BrokerTable& table, std::string* warning)
{
    const auto fd = open_data_file(path, LinkAtName::Follow);
    if (!fd)
        return fd.error();
    // Unbuffered: the line reader keeps its own chunk.
    QFile file;
    (void)file.open(fd->get(), QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    return read_data_file(file, path, table, warning);
}

Status<> read_data_file(QIODevice& file, const QString& path, BrokerTable& table, std::string* warning)
{
    const std::string name = path.toStdString();
    // Load into a copy: a file that fails halfway leaves the table as it was.
    BrokerTable loaded = table;
    Reader in(file, name);
    if (auto e = read_into(in, loaded, name))
        return *e;
    if (warning)
        *warning = in.utf8_warning();
    table = loaded;
    return done();
}

Outcome<std::string> serialize_data_file(const BrokerTable& t)
{
    std::string out;
    auto put = [&out](const QString& s) {
        out += s.toStdString(); // general forms are ASCII
        out += "\r\n";
    };
    put(general_form(std::int64_t{t.last_broker()}));
    for (int r = 0; r <= t.last_broker(); ++r) {
        const Broker& b = t.broker(r);
        if (b.name.find_first_of("\r\n") != std::string::npos)
            return Error{broker_label(r, b.name) + "の名前に改行が含まれているため保存できません。" +
                         "名前を 1 行に直して下さい。"};
        out += b.name;
        out += "\r\n";
        put(general_form(b.yearly_fee));
        put(general_form(b.maximum));
        put(general_form(b.minimum));
    }
    for (int r = 0; r <= t.last_broker(); ++r) {
        for (std::size_t j = 0; j < kBrackets; ++j) {
            const Bracket& bracket = t.broker(r).brackets[j];
            if (j < kBoundedBrackets)
                put(general_form(bracket.upper_bound));
            put(general_form(bracket.rate));
            put(general_form(bracket.add_on));
        }
    }
    return out;
}

Status<> write_data_file(QIODevice& device, const BrokerTable& table)
{
    const auto content = serialize_data_file(table);
    if (!content)
        return content.error();
    return write_bytes(device, content.value());
}

Status<> save_data_file(const QString& path, const BrokerTable& table, const SaveOptions& options)
{
    const auto content = serialize_data_file(table);
    if (!content)
        return content.error();
    return save_bytes(path, content.value(), options);
}

} // namespace fee
