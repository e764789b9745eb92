#include "core/editing/broker_list.h"

#include <optional>
#include <utility>

#include "core/datafile/data_file.h"
#include "core/fees/broker_table.h"
#include "core/text/codepage.h"
#include "core/text/message_text.h"

namespace fee {
namespace {

// `row` as a row in use, or the refusal that says which rows there are.
Outcome<int> row_in_use(const BrokerTable& table, std::int64_t row, const char* which)
{
    if (row >= 0 && row <= table.last_broker())
        return static_cast<int>(row);
    return Error{std::string(which) + " " + std::to_string(row) + " の証券会社はありません。番号は 0 から " +
                 std::to_string(table.last_broker()) + " までです（一覧の順に 0 から数えます）。"};
}

std::optional<Error> check_name_bytes(const std::string& name)
{
    if (name.empty())
        return Error{"名前が空です。1 文字以上の名前を入れて下さい。"};
    // Any byte of a line end would split the name over two lines of the file.
    if (name.find_first_of("\r\n") != std::string::npos)
        return Error{kNameLineBreakRefusal};
    if (name.size() > kMaxNameBytes)
        return Error{"名前が長すぎます。" + std::to_string(kMaxNameCharacters) + " 文字までにして下さい。"};
    return std::nullopt;
}

} // namespace

Outcome<std::string> encode_broker_name(const QString& typed)
{
    if (typed.size() > kMaxNameCharacters) {
        return Error{"名前が長すぎます（" + std::to_string(typed.size()) + " 文字）。" +
                     std::to_string(kMaxNameCharacters) + " 文字までにして下さい。"};
    }
    auto bytes = encode_typed_name(typed);
    if (!bytes)
        return bytes;
    if (auto e = check_name_bytes(bytes.value()))
        return *e;
    return bytes;
}

Status<> rename_broker(BrokerTable& table, std::int64_t row, std::string name)
{
    const auto r = row_in_use(table, row, "番号");
    if (!r)
        return r.error();
    if (auto e = check_name_bytes(name))
        return *e;
    table.broker(r.value()).name = std::move(name);
    return done();
}

Status<> remove_broker(BrokerTable& table, std::int64_t row)
{
    const auto r = row_in_use(table, row, "番号");
    if (!r)
        return r.error();
    const int last = table.last_broker();
    if (last == 0) {
        return Error{in_brackets(decode_cp932(table.broker(0).name)) +
                     "は一覧のただ 1 社なので削除できません。先にほかの証券会社を追加して下さい。"};
    }
    for (int i = r.value(); i < last; ++i)
        table.broker(i) = std::move(table.broker(i + 1));
    table.broker(last) = Broker{};
    table.set_last_broker(last - 1);
    return done();
}

Status<> move_broker(BrokerTable& table, std::int64_t row, std::int64_t to)
{
    const auto from = row_in_use(table, row, "番号");
    if (!from)
        return from.error();
    const auto dest = row_in_use(table, to, "移動先の番号");
    if (!dest)
        return dest.error();
    Broker moving = std::move(table.broker(from.value()));
    for (int i = from.value(); i < dest.value(); ++i)
        table.broker(i) = std::move(table.broker(i + 1));
    for (int i = from.value(); i > dest.value(); --i)
        table.broker(i) = std::move(table.broker(i - 1));
    table.broker(dest.value()) = std::move(moving);
    return done();
}

} // namespace fee
