#include "tracklist/listfile.h"

#include "tracklist/conversions.h"
#include "tracklist/shiftjis.h"
#include "tracklist/splitfields.h"
#include "tracklist/textcodec.h"
#include "util/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <cstddef>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::int16_t kLastField = 5;
// "; 文字コード Shift-JIS" in Shift-JIS: bytes that are no UTF-8.
constexpr std::string_view kShiftJisComment = "; \x95\xB6\x8E\x9A\x83\x52\x81\x5B\x83\x68 Shift-JIS";
// "; 文字コード UTF-8" in UTF-8: bytes that are no Shift-JIS (87 E5 is no
// character there).
constexpr std::string_view kUtf8Comment = "; 文字コード UTF-8";

// Only U+0020 is trimmed: tabs and full-width spaces are part of the text.
constexpr std::string_view kSpace = " ";

// The lines of a file, one at a time: a line ends at CR LF, at CR alone or
// at LF alone; a last line without a line end counts too.
class LineCursor
{
public:
    explicit LineCursor(std::string_view bytes) : m_bytes(bytes) {}

    bool next(std::string_view &line)
    {
        if (m_start >= m_bytes.size())
            return false;
        const std::size_t end = lineEndFrom(m_bytes, m_start);
        line = m_bytes.substr(m_start, end - m_start);
        m_start = end + (end + 1 < m_bytes.size() && m_bytes[end] == '\r' && m_bytes[end + 1] == '\n' ? 2 : 1);
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_start = 0;
};

// How a line is cut into fields the way splitFields does it: how many
// fields it reaches (an empty last field counts as reached), where the comma
// that ends the sixth field stands, and whether a quotation mark is left open.
struct LineShape
{
    int fields = 1;
    std::size_t sixthComma = std::string_view::npos;
    bool quoteLeftOpen = false;
};

LineShape shapeOf(std::string_view line)
{
    LineShape shape;
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        if (line[pos] == '"')
            shape.quoteLeftOpen = !shape.quoteLeftOpen;
        else if (line[pos] == ',' && !shape.quoteLeftOpen && ++shape.fields == kLastField + 2)
            shape.sixthComma = pos;
    }
    return shape;
}

// A text field without its spaces, its first and last character (normally
// the quotation marks) and the spaces inside them; nullopt when it has fewer
// than two characters.
std::optional<std::string> unquote(std::string_view field)
{
    field = trim(field, kSpace);
    if (field.empty())
        return std::nullopt;
    std::size_t firstEnd = 1;
    while (firstEnd < field.size() && isUtf8ContinuationByte(field[firstEnd]))
        ++firstEnd;
    std::size_t lastStart = field.size() - 1;
    while (lastStart > 0 && isUtf8ContinuationByte(field[lastStart]))
        --lastStart;
    if (lastStart < firstEnd)
        return std::nullopt;
    return std::string(trim(field.substr(firstEnd, lastStart - firstEnd), kSpace));
}

std::string quoted(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

// A value from the file inside a Japanese message.
std::string bracketed(std::string_view text)
{
    return "「" + std::string(text) + "」";
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::size_t decimalPlaces(std::string_view code)
{
    const std::size_t point = code.find('.');
    if (point == std::string_view::npos)
        return 0;
    const std::size_t end = code.find_first_not_of("0123456789", point + 1);
    return (end == std::string_view::npos ? code.size() : end) - point - 1;
}

struct ParsedLine
{
    Track record;
    bool hexCode = false;
    std::optional<Error> error; // none when the line can be loaded
    // What the reader took differently from what the line says; the record
    // is loaded all the same.
    std::vector<Error> warnings;
};

// A play time that reads, but not as the minutes and seconds it looks like.
std::optional<Error> playTimeWarning(std::string_view text, std::int32_t seconds)
{
    const std::optional<PlayTimeParts> parts = playTimeParts(text);
    if (!parts)
        return std::nullopt;
    const bool secondsOutside = parts->seconds < 0 || parts->seconds >= 60;
    if (!secondsOutside && seconds >= 0)
        return std::nullopt;
    const std::string read = std::to_string(seconds), saved = formatPlayTime(seconds);
    return Error{"演奏時間" + bracketed(text) + (secondsOutside ? "の秒が 0～59 の範囲外です" : "が負の値です") + "（" + read
                     + " 秒として読み、" + saved + " として保存します）",
                 "play time " + quoted(text) + (secondsOutside ? " has seconds outside 0 to 59" : " is negative")
                     + ": read as " + read + " seconds, saved as " + saved};
}

// An error where it leaves fewer than six fields, a warning otherwise.
Error unclosedQuotationMark()
{
    return Error{"引用符が閉じていません", "a quotation mark is not closed"};
}

// One track line, already without its surrounding spaces. `fields` is only
// room to work in, handed from line to line to spare allocations.
ParsedLine parseTrackLine(std::string_view line, std::vector<std::string> &fields)
{
    ParsedLine parsed;
    splitFields(line, kLastField, fields);
    const LineShape shape = shapeOf(line);
    if (shape.fields <= kLastField) {
        // An open quotation mark takes the commas after it into one field.
        parsed.error = shape.quoteLeftOpen ? unclosedQuotationMark()
                                           : Error{"項目が六つに足りません", "fewer than six fields"};
        return parsed;
    }
    if (shape.quoteLeftOpen)
        parsed.warnings.push_back(unclosedQuotationMark());
    if (shape.sixthComma != std::string_view::npos) {
        const std::string_view ignored = line.substr(shape.sixthComma);
        parsed.warnings.push_back(Error{"項目が六つより多いため、" + bracketed(ignored) + "を無視しました",
                                        "more than six fields: ignored " + quoted(ignored)});
    }

    const struct
    {
        std::size_t index;
        std::string Track::*text;
        const char *name, *japaneseName;
    } textFields[] = {
        {1, &Track::gameTitle, "game title", "ゲームタイトル"},
        {2, &Track::major, "major", "メジャー"},
        {3, &Track::sub, "sub", "サブ"},
        {5, &Track::musicTitle, "music title", "曲名"},
    };
    for (const auto &field : textFields) {
        std::optional<std::string> text = unquote(fields[field.index]);
        if (!text) {
            parsed.error = Error{std::string(field.japaneseName) + "の項目が 2 文字未満です",
                                 std::string(field.name) + " field is shorter than two characters"};
            return parsed;
        }
        const std::string_view trimmed = trim(fields[field.index], kSpace);
        if (trimmed.front() != '"' || trimmed.back() != '"') {
            parsed.warnings.push_back(
                Error{std::string(field.japaneseName) + "に引用符がありません（" + bracketed(*text) + "として読みました）",
                      std::string(field.name) + " has no quotation marks: read as " + quoted(*text)});
        }
        parsed.record.*field.text = std::move(*text);
    }

    const std::string_view code = trim(fields[4], kSpace);
    if (code.starts_with("0x")) {
        const std::optional<TrackCode> value = hexToCode(code.substr(2));
        if (!value) {
            parsed.error = Error{"16 進数のコード" + bracketed(code) + "が大きすぎます",
                                 "hexadecimal code is too large: " + quoted(code)};
            return parsed;
        }
        parsed.record.code = *value;
        parsed.hexCode = true;
        if (!std::all_of(code.begin() + 2, code.end(), isHexDigit)) {
            const std::string read = value->toDecimalText();
            parsed.warnings.push_back(
                Error{"コード" + bracketed(code) + "に 16 進数の数字以外の文字があります（" + read + " として読みました）",
                      "code " + quoted(code) + " holds characters that are not hexadecimal digits: read as " + read});
        }
    } else {
        const Decimal number = parseDecimal(code, 4, std::numeric_limits<std::int64_t>::min(),
                                            std::numeric_limits<std::int64_t>::max());
        if (number.reading != DecimalReading::Number) {
            parsed.error = number.reading == DecimalReading::OutOfRange
                ? Error{"コード" + bracketed(code) + "が範囲外です", "code is out of range: " + quoted(code)}
                : Error{"コード" + bracketed(code) + "が数値ではありません", "code is not a number: " + quoted(code)};
            return parsed;
        }
        parsed.record.code = TrackCode::fromRaw(number.scaled);
        if (decimalPlaces(code) > 4) {
            const std::string read = parsed.record.code.toDecimalText();
            parsed.warnings.push_back(
                Error{"コード" + bracketed(code) + "の小数部が 4 桁を超えています（" + read + " として読みました）",
                      "code " + quoted(code) + " has more than four decimal places: read as " + read});
        }
    }

    const std::string_view playTime = trim(fields[0], kSpace);
    const std::optional<std::int32_t> seconds = parsePlayTime(playTime);
    if (!seconds)
        parsed.warnings.push_back(
            Error{"演奏時間" + bracketed(playTime) + "が分と秒の形ではありません（演奏時間なしとして読みました）",
                  "play time " + quoted(playTime) + " is not minutes and seconds; read as no stored time"});
    else if (std::optional<Error> warning = playTimeWarning(playTime, *seconds))
        parsed.warnings.push_back(std::move(*warning));
    parsed.record.playTime = seconds.value_or(0);
    return parsed;
}

bool holdsQuotationMark(const Track &record)
{
    for (const std::string *text : {&record.gameTitle, &record.major, &record.sub, &record.musicTitle}) {
        if (text->find('"') != std::string::npos)
            return true;
    }
    return false;
}

// The writer puts texts between quotation marks without escaping, so a text
// that holds one can read back as something else after a save.
bool survivesSave(const Track &record)
{
    std::vector<std::string> fields;
    const ParsedLine again = parseTrackLine(formatTrackLine(record), fields);
    return !again.error && again.record.gameTitle == record.gameTitle
        && again.record.major == record.major && again.record.sub == record.sub
        && again.record.musicTitle == record.musicTitle;
}

// Eight bytes at a time: a byte is a line feed where its XOR with one is 0.
std::size_t countLineFeeds(std::string_view bytes)
{
    constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7F;
    std::size_t count = 0;
    std::size_t pos = 0;
    for (; pos + 8 <= bytes.size(); pos += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + pos, 8);
        word ^= 0x0A0A0A0A0A0A0A0A;
        // One in the low bit of each byte that was a line feed, summed in the top byte.
        const std::uint64_t feeds = ~(((word & kLows) + kLows) | word | kLows) >> 7;
        count += static_cast<std::size_t>((feeds * 0x0101010101010101) >> 56);
    }
    return count + static_cast<std::size_t>(std::count(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end(), '\n'));
}

// trim(text, kSpace) without its search for any of several characters.
std::string_view trimSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A track line in the writer's own layout whose play time, code and text
// fields are of the plain forms nearly every line has, read straight from its
// bytes: the fields are found without copying them, and only the texts are
// decoded, straight into the list's text block. False, with nothing added,
// for any other line, which the full reading then takes: a line read here
// gives no problem, and the full reading would give it the same record.
class PlainLineReader
{
public:
    explicit PlainLineReader(ListEncoding encoding) : m_encoding(encoding) {}

    bool read(std::string_view line, TrackList &store)
    {
        // Quotation marks, commas and spaces are single bytes in every
        // encoding and never the second byte of a Shift-JIS character. Eight
        // quotation marks are those around the four texts (checked below).
        std::array<std::size_t, kLastField> commas{};
        std::size_t count = 0;
        int quotes = 0;
        bool nul = false;
        for (std::size_t pos = 0; pos < line.size(); ++pos) {
            const char c = line[pos];
            if (static_cast<unsigned char>(c) > ',')
                continue;
            if (c == '"') {
                ++quotes;
            } else if (c == ',' && quotes % 2 == 0) {
                if (count == commas.size())
                    return false;
                commas[count++] = pos;
            }
            nul = nul || c == '\0';
        }
        if (nul || quotes != 8 || count != commas.size())
            return false;
        const auto field = [&](std::size_t index) {
            const std::size_t begin = index == 0 ? 0 : commas[index - 1] + 1;
            const std::size_t end = index == kLastField ? line.size() : commas[index];
            return trimSpaces(line.substr(begin, end - begin));
        };
        std::int32_t playTime = 0;
        TrackCode code;
        // The texts go into the block in the record's order.
        if (readPlayTime(field(0), playTime) && readCode(field(4), code) && readText(field(1), store)
            && readText(field(2), store) && readText(field(3), store) && readText(field(5), store)) {
            store.endRecord(playTime, code);
            return true;
        }
        store.dropTexts();
        return false;
    }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    // "MM:SS" with seconds from 0 to 59.
    static bool readPlayTime(std::string_view text, std::int32_t &seconds)
    {
        if (text.size() != 5 || text[2] != ':' || !isDigit(text[0]) || !isDigit(text[1]) || !isDigit(text[3])
            || !isDigit(text[4]) || text[3] > '5')
            return false;
        seconds = ((text[0] - '0') * 10 + (text[1] - '0')) * 60 + (text[3] - '0') * 10 + (text[4] - '0');
        return true;
    }

    // Decimal digits alone, few enough that no code can leave the range.
    static bool readCode(std::string_view text, TrackCode &code)
    {
        if (text.empty() || text.size() > 14)
            return false;
        std::int64_t whole = 0;
        for (const char c : text) {
            if (!isDigit(c))
                return false;
            whole = whole * 10 + (c - '0');
        }
        code = TrackCode::fromRaw(whole * TrackCode::kScale);
        return true;
    }

    // Between quotation marks (none inside, as eight were counted), no
    // character with other forms.
    bool readText(std::string_view field, TrackList &store)
    {
        if (field.size() < 2 || field.front() != '"' || field.back() != '"')
            return false;
        const std::string_view inner = trimSpaces(field.substr(1, field.size() - 2));
        if (m_encoding != ListEncoding::ShiftJis) {
            if (!isValidUtf8(inner))
                return false;
            store.endText(std::copy(inner.begin(), inner.end(), store.textRoom(inner.size())));
            return true;
        }
        bool otherForms = false;
        const char *end = shiftJisToUtf8At(inner, store.textRoom(inner.size() * 3), otherForms);
        if (!end || otherForms)
            return false;
        store.endText(end);
        return true;
    }

    ListEncoding m_encoding;
};

// The play time as the writer puts it: from "00:00" up to "99:59" without
// a string of its own.
void appendPlayTime(std::string &out, std::int32_t seconds)
{
    if (seconds < 0 || seconds >= 6000) {
        out += formatPlayTime(seconds);
        return;
    }
    const int minutes = seconds / 60;
    const int rest = seconds % 60;
    const char text[] = {char('0' + minutes / 10), char('0' + minutes % 10), ':', char('0' + rest / 10),
                         char('0' + rest % 10)};
    out.append(text, sizeof text);
}

void appendCode(std::string &out, TrackCode code)
{
    if (code.raw() < 0 || code.raw() % TrackCode::kScale != 0) {
        out += code.toDecimalText();
        return;
    }
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), code.raw() / TrackCode::kScale);
    out.append(digits, result.ptr);
}

// A text in the file's encoding. Only records made in memory can hold a
// character that the encoding lacks, or bytes that are no UTF-8; such a
// character is written as "?", as Windows does.
void appendEncoded(std::string &out, std::string_view utf8, ListEncoding encoding)
{
    const std::size_t before = out.size();
    if (encoding == ListEncoding::ShiftJis ? appendUtf8AsShiftJis(utf8, out) : isValidUtf8(utf8)) {
        if (encoding != ListEncoding::ShiftJis)
            out += utf8;
        return;
    }
    out.resize(before);
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t end = pos + 1;
        while (end < utf8.size() && isUtf8ContinuationByte(utf8[end]))
            ++end;
        out += encodeListText(utf8.substr(pos, end - pos), encoding).value_or("?");
        pos = end;
    }
}

// One record in the writer's layout, in the file's encoding.
void appendRecord(std::string &out, const TrackView &record, ListEncoding encoding)
{
    appendPlayTime(out, record.playTime);
    for (const std::string_view text : {record.gameTitle, record.major, record.sub}) {
        out += ",\"";
        appendEncoded(out, text, encoding);
        out += '"';
    }
    out += ',';
    appendCode(out, record.code);
    out += ",\"";
    appendEncoded(out, record.musicTitle, encoding);
    out += '"';
}

// The encoding of a file without a byte-order mark is told from its bytes, and
// a save changes them: a track line can lose the only bytes that decided it
// (in a seventh field), and a kept line can begin with the bytes of a
// byte-order mark. A comment in front then keeps the file in its encoding:
// each one is one more line that only this encoding reads.
void keepEncodingReadable(std::string &out, ListEncoding encoding)
{
    const std::string_view comment = encoding == ListEncoding::ShiftJis ? kShiftJisComment : kUtf8Comment;
    while (!isAscii(out) && detectListEncoding(out) != encoding)
        out.insert(0, std::string(comment) + std::string(kLineEnd));
}

} // unnamed

std::vector<ListProblem> readTrackList(std::string_view fileBytes, TrackList &store, LineReading reading)
{
    store.modified = false;
    store.encoding = detectListEncoding(fileBytes);
    std::string fromUtf16; // the text of a UTF-16 file, read as UTF-8 from here on
    fileBytes = textAfterMark(fileBytes, fromUtf16);

    // Every line may be a record; reserving spares the copies of growing.
    // Texts take at most as many bytes in UTF-8 as in the file, or half as
    // many again from Shift-JIS, but for half-width kana.
    store.reserveMore(static_cast<std::int32_t>(countLineFeeds(fileBytes) + 1),
                      store.encoding == ListEncoding::ShiftJis ? fileBytes.size() / 2 * 3 : fileBytes.size());

    std::vector<ListProblem> problems;
    std::vector<std::string> fields;
    PlainLineReader plain(store.encoding);
    std::string_view rawLine;
    LineCursor lines(fileBytes);
    for (int lineNumber = 1; lines.next(rawLine); ++lineNumber) {
        const auto keep = [&] { store.keptLines.push_back({store.count(), std::string(rawLine)}); };
        const auto report = [&](ListProblem::Severity severity, Error message) {
            problems.push_back({lineNumber, severity, std::move(message)});
        };
        // Spaces and ";" are single bytes in every encoding, so blank and
        // comment lines are told apart before decoding. They are the user's
        // notes: a save writes them back.
        const std::string_view rawTrimmed = trimSpaces(rawLine);
        if (rawTrimmed.empty() || rawTrimmed.front() == ';') {
            keep();
            continue;
        }
        if (reading == LineReading::Quick) {
            if (plain.read(rawTrimmed, store))
                continue;
        }

        bool otherForms = false;
        const std::optional<std::string> decoded = decodeListText(rawLine, store.encoding, &otherForms);
        if (!decoded) {
            const std::string encoding = encodingName(store.encoding);
            report(ListProblem::Severity::Error,
                   Error{encoding + " として読めないバイトがあります", "bytes are not valid " + encoding});
            keep();
            continue;
        }
        // A NUL would cut a title short wherever it is passed on (to the
        // emulator, to the window), so what is shown would not be what plays.
        if (decoded->find('\0') != std::string::npos) {
            report(ListProblem::Severity::Error, Error{"ヌル文字があります", "holds a NUL character"});
            keep();
            continue;
        }
        ParsedLine parsed = parseTrackLine(trim(*decoded, kSpace), fields);
        if (!parsed.error && holdsQuotationMark(parsed.record) && !survivesSave(parsed.record))
            parsed.error = Error{"引用符があるため、保存すると元どおりに読めなくなります",
                                 "quotation marks would not survive a save"};
        if (parsed.error) {
            report(ListProblem::Severity::Error, std::move(*parsed.error));
            keep();
            continue;
        }
        for (Error &warning : parsed.warnings)
            report(ListProblem::Severity::Warning, std::move(warning));
        if (parsed.hexCode)
            store.modified = true;
        if (otherForms && *decoded == formatTrackLine(parsed.record))
            store.ownSpellings.push_back({store.count(), std::string(rawLine)});
        store.addRecord(parsed.record);
    }
    return problems;
}

std::string formatTrackLine(const TrackView &record)
{
    std::string line = formatPlayTime(record.playTime);
    for (const std::string_view text : {record.gameTitle, record.major, record.sub}) {
        line += ",\"";
        line += text;
        line += '"';
    }
    line += ',';
    line += record.code.toDecimalText();
    line += ",\"";
    line += record.musicTitle;
    line += '"';
    return line;
}

std::string writeTrackList(const TrackList &store)
{
    std::string out;
    // Lines are some 50 bytes in any encoding but UTF-16, whose text is
    // converted at the end.
    out.reserve(static_cast<std::size_t>(store.count()) * 56 + 64);
    std::size_t nextKept = 0;
    std::size_t nextOwn = 0;
    const auto writeKeptLines = [&](std::int32_t upToRecord) {
        for (; nextKept < store.keptLines.size() && store.keptLines[nextKept].beforeRecord <= upToRecord; ++nextKept) {
            out += store.keptLines[nextKept].rawBytes;
            out += kLineEnd;
        }
    };

    for (std::int32_t i = 0; i < store.count(); ++i) {
        writeKeptLines(i);
        const TrackView record = store.track(i);
        if (nextOwn < store.ownSpellings.size() && store.ownSpellings[nextOwn].record == i) {
            const std::string &own = store.ownSpellings[nextOwn++].rawBytes;
            if (decodeListText(own, store.encoding) == formatTrackLine(record)) {
                out += own;
                out += kLineEnd;
                continue;
            }
        }
        appendRecord(out, record, store.encoding);
        out += kLineEnd;
    }
    writeKeptLines(std::numeric_limits<std::int32_t>::max());

    if (isUtf16(store.encoding))
        return std::string(byteOrderMark(store.encoding)) + utf8ToUtf16(out, store.encoding == ListEncoding::Utf16BE);
    if (store.encoding == ListEncoding::ShiftJis || store.encoding == ListEncoding::Utf8)
        keepEncodingReadable(out, store.encoding);
    if (store.encoding == ListEncoding::Utf8WithBom)
        out.insert(0, byteOrderMark(store.encoding));
    return out;
}
