#include "core/text/codepage.h"

#include "core/text/message_text.h"

#include <QStringEncoder>
#include <QtEndian>
#include <algorithm>
#include <iconv.h>
#include <optional>

namespace fee {
namespace {

constexpr const char* kCodec = "windows-31j";

bool is_lead_byte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool is_trail_byte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
bool is_single_byte(unsigned char b)
{
    return b <= 0x7F || (b >= 0xA1 && b <= 0xDF);
}

// Where an input method gives the JIS reading of a character, CP932 has its own
// code point for the same glyph.
char16_t best_fit(char16_t c)
{
    switch (c) {
    case u'\u301C':
        return u'\uFF5E'; // WAVE DASH -> FULLWIDTH TILDE
    case u'\u2212':
        return u'\uFF0D'; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case u'\u2016':
        return u'\u2225'; // DOUBLE VERTICAL LINE -> PARALLEL TO
    case u'\u2014':
        return u'\u2015'; // EM DASH -> HORIZONTAL BAR
    case u'\u00A2':
        return u'\uFFE0';
    case u'\u00A3':
        return u'\uFFE1';
    case u'\u00AC':
        return u'\uFFE2';
    default:
        return c;
    }
}

// glibc's CP932 decodes every character exactly as ICU's windows-31j (every
// single and double byte compared), at a tenth of the memory: a start shows
// names but should not load ICU's data for them. Encoding a typed name keeps
// Qt's encoder, whose refusals the messages rely on.
class Cp932Decoder {
public:
    Cp932Decoder() : cd_(::iconv_open("UTF-16LE", "CP932")) {}
    ~Cp932Decoder()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            ::iconv_close(cd_);
    }
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    // The one character of `bytes`; 0 when they are not one character.
    char16_t character(std::string_view bytes)
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return 0;
        char in[2] = {};
        std::copy(bytes.begin(), bytes.end(), in);
        char* from = in;
        std::size_t from_left = bytes.size();
        uchar result[4] = {};
        char* to = reinterpret_cast<char*>(result);
        std::size_t to_left = sizeof result;
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (::iconv(cd_, &from, &from_left, &to, &to_left) == static_cast<std::size_t>(-1) ||
            from_left != 0 || to_left != 2)
            return 0;
        const char16_t c = qFromLittleEndian<char16_t>(result);
        return c == 0x1A ? 0 : c;
    }

private:
    iconv_t cd_;
};

} // namespace

QString decode_cp932(std::string_view bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    // Opened at the first byte that needs it: plain numbers and ASCII names
    // never do.
    std::optional<Cp932Decoder> decoder;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0x5C) {
            out += QChar(u'¥');
            ++i;
            continue;
        }
        if (b < 0x80) {
            out += QChar(char16_t(b));
            ++i;
            continue;
        }
        std::size_t len = 0;
        if (is_single_byte(b))
            len = 1;
        else if (is_lead_byte(b) && i + 1 < bytes.size() &&
                 is_trail_byte(static_cast<unsigned char>(bytes[i + 1])))
            len = 2;
        if (!decoder && len > 0)
            decoder.emplace();
        const char16_t c = len > 0 ? decoder->character(bytes.substr(i, len)) : 0;
        out += c ? QChar(c) : QChar(QChar::ReplacementCharacter);
        i += std::max<std::size_t>(len, 1);
    }
    return out;
}

Outcome<std::string> encode_typed_name(const QString& name)
{
    std::string out;
    QStringEncoder encoder(kCodec);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return Error{kNameLineBreakRefusal};
        if (c == u'¥' || c == u'\\') {
            out.push_back('\x5C');
            continue;
        }
        qsizetype len = 1;
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            len = 2;
        const QString piece = len == 2 ? name.mid(i, 2) : QString(QChar(best_fit(c.unicode())));
        encoder.resetState();
        const QByteArray bytes = encoder.encode(piece);
        if (encoder.hasError() || bytes.isEmpty() || (c.unicode() < 0x80 && bytes.size() != 1)) {
            return Error{QStringLiteral("「%1」はファイルの文字コード（Shift_JIS）で保存できない文字です。"
                                        "この文字を使わずに入れて下さい。")
                             .arg(name.mid(i, len))
                             .toStdString()};
        }
        out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        i += len - 1;
    }
    return out;
}

std::string broker_label(int row, std::string_view name_bytes)
{
    return std::to_string(row + 1) + " 社目" + in_brackets(decode_cp932(name_bytes));
}

} // namespace fee
