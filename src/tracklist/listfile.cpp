#include "tracklist/listfile.h"

#include "tracklist/conversions.h"
#include "tracklist/shiftjis.h"
#include "tracklist/splitfields.h"
#include "tracklist/textcodec.h"
#include "util/text.h"

#include <algorithm>
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

// A line ends at CR LF, at CR alone or at LF alone; a last line without a
// line end counts too.
std::vector<std::string_view> splitLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    if (bytes.empty())
        return lines;
    // memchr for each of the two characters, each search run again only once
    // passed, is several times faster than looking at every byte here.
    const auto next = [bytes](char c, std::size_t from) {
        const void *found = std::memchr(bytes.data() + from, c, bytes.size() - from);
        return found ? static_cast<std::size_t>(static_cast<const char *>(found) - bytes.data()) : bytes.size();
    };
    std::size_t nextCr = next('\r', 0);
    std::size_t nextLf = next('\n', 0);
    std::size_t start = 0;
    while (start < bytes.size()) {
        if (nextCr < start)
            nextCr = next('\r', start);
        if (nextLf < start)
            nextLf = next('\n', start);
        const std::size_t end = std::min(nextCr, nextLf);
        lines.push_back(bytes.substr(start, end - start));
        start = end + (end == nextCr && nextLf == end + 1 ? 2 : 1);
    }
    return lines;
}

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
    std::string error; // empty when the line can be loaded
    // What the reader took differently from what the line says; the record
    // is loaded all the same.
    std::vector<std::string> warnings;
};

// A play time that reads, but not as the minutes and seconds it looks like.
std::optional<std::string> playTimeWarning(std::string_view text, std::int32_t seconds)
{
    const std::optional<PlayTimeParts> parts = playTimeParts(text);
    if (!parts)
        return std::nullopt;
    const char *what = parts->seconds < 0 || parts->seconds >= 60 ? " has seconds outside 0 to 59"
        : seconds < 0                                             ? " is negative"
                                                                  : nullptr;
    if (!what)
        return std::nullopt;
    return "play time " + quoted(text) + what + ": read as " + std::to_string(seconds) + " seconds, saved as "
        + formatPlayTime(seconds);
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
        parsed.error = shape.quoteLeftOpen ? "a quotation mark is not closed" : "fewer than six fields";
        return parsed;
    }
    if (shape.quoteLeftOpen)
        parsed.warnings.push_back("a quotation mark is not closed");
    if (shape.sixthComma != std::string_view::npos)
        parsed.warnings.push_back("more than six fields: ignored " + quoted(line.substr(shape.sixthComma)));

    const struct
    {
        std::size_t index;
        std::string Track::*text;
        const char *name;
    } textFields[] = {
        {1, &Track::gameTitle, "game title"},
        {2, &Track::major, "major"},
        {3, &Track::sub, "sub"},
        {5, &Track::musicTitle, "music title"},
    };
    for (const auto &field : textFields) {
        std::optional<std::string> text = unquote(fields[field.index]);
        if (!text) {
            parsed.error = std::string(field.name) + " field is shorter than two characters";
            return parsed;
        }
        const std::string_view trimmed = trim(fields[field.index], kSpace);
        if (trimmed.front() != '"' || trimmed.back() != '"')
            parsed.warnings.push_back(std::string(field.name) + " has no quotation marks: read as " + quoted(*text));
        parsed.record.*field.text = std::move(*text);
    }

    const std::string_view code = trim(fields[4], kSpace);
    if (code.starts_with("0x")) {
        const std::optional<TrackCode> value = hexToCode(code.substr(2));
        if (!value) {
            parsed.error = "hexadecimal code is too large: " + quoted(code);
            return parsed;
        }
        parsed.record.code = *value;
        parsed.hexCode = true;
        if (!std::all_of(code.begin() + 2, code.end(), isHexDigit))
            parsed.warnings.push_back("code " + quoted(code) + " holds characters that are not hexadecimal digits: read as "
                                      + value->toDecimalText());
    } else {
        const Decimal number = parseDecimal(code, 4, std::numeric_limits<std::int64_t>::min(),
                                            std::numeric_limits<std::int64_t>::max());
        if (number.reading != DecimalReading::Number) {
            parsed.error = number.reading == DecimalReading::OutOfRange ? "code is out of range: " + quoted(code)
                                                                         : "code is not a number: " + quoted(code);
            return parsed;
        }
        parsed.record.code = TrackCode::fromRaw(number.scaled);
        if (decimalPlaces(code) > 4)
            parsed.warnings.push_back("code " + quoted(code) + " has more than four decimal places: read as "
                                      + parsed.record.code.toDecimalText());
    }

    const std::string_view playTime = trim(fields[0], kSpace);
    const std::optional<std::int32_t> seconds = parsePlayTime(playTime);
    if (!seconds)
        parsed.warnings.push_back("play time " + quoted(playTime) + " is not minutes and seconds; read as no stored time");
    else if (std::optional<std::string> warning = playTimeWarning(playTime, *seconds))
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
    return again.error.empty() && again.record.gameTitle == record.gameTitle
        && again.record.major == record.major && again.record.sub == record.sub
        && again.record.musicTitle == record.musicTitle;
}

// How much text goes through the codec in one run: its set-up costs about
// as much as a line, and a run of the whole file would double the memory.
constexpr std::size_t kCodecRunBytes = 64 * 1024;

// Decodes the lines of a file a block at a time. The decoded lines of a
// block match its raw lines one to one, since CR and LF never occur inside a
// multi-byte character. A block with a broken line is decoded line by line.
class LineDecoder
{
public:
    LineDecoder(std::string_view fileBytes, const std::vector<std::string_view> &rawLines, ListEncoding encoding)
        : m_fileBytes(fileBytes), m_rawLines(rawLines), m_encoding(encoding)
    {
    }

    // Lines are asked for in increasing order; the text stays valid until
    // the next call. nullopt when the line's bytes cannot be decoded.
    std::optional<std::string_view> line(std::size_t index)
    {
        if (index >= m_blockEnd)
            decodeBlockFrom(index);
        if (!m_blockLines.empty())
            return m_blockLines[index - m_blockBegin];
        std::optional<std::string> text = decodeListText(m_rawLines[index], m_encoding, &m_otherForms);
        if (!text)
            return std::nullopt;
        m_lineText = std::move(*text);
        return m_lineText;
    }

    // False when the line last asked for (or its whole block) holds no
    // character that a save would write as other bytes.
    bool mayHaveOtherForms() const { return m_otherForms; }

private:
    void decodeBlockFrom(std::size_t index)
    {
        m_blockBegin = index;
        const char *begin = m_rawLines[index].data();
        const char *fileEnd = m_fileBytes.data() + m_fileBytes.size();
        m_blockEnd = index + 1;
        while (m_blockEnd < m_rawLines.size()
               && static_cast<std::size_t>(m_rawLines[m_blockEnd].data() - begin) < kCodecRunBytes)
            ++m_blockEnd;
        // The block takes the line ends of its lines with it.
        const char *end = m_blockEnd < m_rawLines.size() ? m_rawLines[m_blockEnd].data() : fileEnd;
        m_blockLines.clear();
        if (std::optional<std::string> text
            = decodeListText(std::string_view(begin, end - begin), m_encoding, &m_otherForms)) {
            m_blockText = std::move(*text);
            m_blockLines = splitLines(m_blockText);
            if (m_blockLines.size() != m_blockEnd - m_blockBegin)
                m_blockLines.clear();
        }
    }

    std::string_view m_fileBytes;
    const std::vector<std::string_view> &m_rawLines;
    ListEncoding m_encoding;
    std::size_t m_blockBegin = 0;
    std::size_t m_blockEnd = 0;
    std::string m_blockText;
    std::vector<std::string_view> m_blockLines; // empty while decoding line by line
    std::string m_lineText;
    bool m_otherForms = false;
};

// Records are encoded in runs rather than line by line: the codec costs
// much more to set up than to run.
void appendEncoded(std::string &out, std::string_view utf8, ListEncoding encoding)
{
    if (utf8.empty())
        return;
    if (std::optional<std::string> bytes = encodeListText(utf8, encoding)) {
        out += *bytes;
        return;
    }
    // Only records made in memory can hold a character that the file's
    // encoding lacks; such a character is written as "?", as Windows does.
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t end = pos + 1;
        while (end < utf8.size() && isUtf8ContinuationByte(utf8[end]))
            ++end;
        out += encodeListText(utf8.substr(pos, end - pos), encoding).value_or("?");
        pos = end;
    }
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

std::vector<ListProblem> readTrackList(std::string_view fileBytes, TrackList &store)
{
    store.modified = false;
    store.encoding = detectListEncoding(fileBytes);
    std::string fromUtf16; // the text of a UTF-16 file, read as UTF-8 from here on
    fileBytes = textAfterMark(fileBytes, fromUtf16);

    const std::vector<std::string_view> rawLines = splitLines(fileBytes);
    LineDecoder decoder(fileBytes, rawLines, store.encoding);
    // Every line may be a record; reserving spares the copies of growing.
    store.tracks.reserve(store.tracks.size() + rawLines.size());

    std::vector<ListProblem> problems;
    std::vector<std::string> fields;
    const auto keep = [&](std::size_t lineIndex) {
        store.keptLines.push_back({store.count(), std::string(rawLines[lineIndex])});
    };
    const auto report = [&](std::size_t lineIndex, ListProblem::Severity severity, std::string reason) {
        problems.push_back({static_cast<int>(lineIndex) + 1, severity, std::move(reason)});
    };

    for (std::size_t i = 0; i < rawLines.size(); ++i) {
        // Spaces and ";" are single bytes in every encoding, so blank and
        // comment lines are told apart before decoding. They are the user's
        // notes: a save writes them back.
        const std::string_view rawTrimmed = trim(rawLines[i], kSpace);
        if (rawTrimmed.empty() || rawTrimmed.front() == ';') {
            keep(i);
            continue;
        }

        const std::optional<std::string_view> decoded = decoder.line(i);
        if (!decoded) {
            report(i, ListProblem::Severity::Error, std::string("bytes are not valid ") + encodingName(store.encoding));
            keep(i);
            continue;
        }
        // A NUL would cut a title short wherever it is passed on (to the
        // emulator, to the window), so what is shown would not be what plays.
        if (decoded->find('\0') != std::string_view::npos) {
            report(i, ListProblem::Severity::Error, "holds a NUL character");
            keep(i);
            continue;
        }
        const std::string_view text = trim(*decoded, kSpace);

        ParsedLine parsed = parseTrackLine(text, fields);
        if (parsed.error.empty() && holdsQuotationMark(parsed.record) && !survivesSave(parsed.record))
            parsed.error = "quotation marks would not survive a save";
        if (!parsed.error.empty()) {
            report(i, ListProblem::Severity::Error, std::move(parsed.error));
            keep(i);
            continue;
        }
        for (std::string &warning : parsed.warnings)
            report(i, ListProblem::Severity::Warning, std::move(warning));
        if (parsed.hexCode)
            store.modified = true;
        if (decoder.mayHaveOtherForms() && hasOtherSpelling(rawLines[i])
            && *decoded == formatTrackLine(parsed.record))
            store.ownSpellings.push_back({store.count(), std::string(rawLines[i])});
        store.addRecord(std::move(parsed.record));
    }
    return problems;
}

std::string formatTrackLine(const Track &record)
{
    std::string line = formatPlayTime(record.playTime);
    for (const std::string *text : {&record.gameTitle, &record.major, &record.sub}) {
        line += ",\"";
        line += *text;
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
    std::string pending; // records in UTF-8 not yet encoded
    std::size_t nextKept = 0;
    std::size_t nextOwn = 0;
    const auto writeKeptLines = [&](std::int32_t upToRecord) {
        for (; nextKept < store.keptLines.size() && store.keptLines[nextKept].beforeRecord <= upToRecord; ++nextKept) {
            appendEncoded(out, pending, store.encoding);
            pending.clear();
            out += store.keptLines[nextKept].rawBytes;
            out += kLineEnd;
        }
    };

    for (std::int32_t i = 0; i < store.count(); ++i) {
        writeKeptLines(i);
        const std::string line = formatTrackLine(store.tracks[static_cast<std::size_t>(i)]);
        if (nextOwn < store.ownSpellings.size() && store.ownSpellings[nextOwn].record == i) {
            const std::string &own = store.ownSpellings[nextOwn++].rawBytes;
            if (decodeListText(own, store.encoding) == line) {
                appendEncoded(out, pending, store.encoding);
                pending.clear();
                out += own;
                out += kLineEnd;
                continue;
            }
        }
        pending += line;
        pending += kLineEnd;
        if (pending.size() >= kCodecRunBytes) {
            appendEncoded(out, pending, store.encoding);
            pending.clear();
        }
    }
    writeKeptLines(std::numeric_limits<std::int32_t>::max());
    appendEncoded(out, pending, store.encoding);

    if (isUtf16(store.encoding))
        return std::string(byteOrderMark(store.encoding)) + utf8ToUtf16(out, store.encoding == ListEncoding::Utf16BE);
    if (store.encoding == ListEncoding::ShiftJis || store.encoding == ListEncoding::Utf8)
        keepEncodingReadable(out, store.encoding);
    return std::string(byteOrderMark(store.encoding)) + out;
}
