#include "tracklist/listfile.h"

#include "tracklist/conversions.h"
#include "tracklist/splitfields.h"
#include "tracklist/textcodec.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::int16_t kLastField = 5;
// "; 文字コード Shift-JIS" in Shift-JIS: bytes that are no UTF-8.
constexpr std::string_view kShiftJisComment = "; \x95\xB6\x8E\x9A\x83\x52\x81\x5B\x83\x68 Shift-JIS";

// Only U+0020: tabs and full-width spaces are part of the text.
std::string_view trimSpaces(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

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

// How many fields the line reaches, counting commas outside quotation marks
// the way splitFields does; an empty last field counts as reached.
int countFields(std::string_view line)
{
    int count = 1;
    bool quoting = false;
    for (const char c : line) {
        if (c == '"')
            quoting = !quoting;
        else if (c == ',' && !quoting)
            ++count;
    }
    return count;
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A text field without its spaces, its first and last character (normally
// the quotation marks) and the spaces inside them; nullopt when it has fewer
// than two characters.
std::optional<std::string> unquote(std::string_view field)
{
    field = trimSpaces(field);
    if (field.empty())
        return std::nullopt;
    std::size_t firstEnd = 1;
    while (firstEnd < field.size() && isContinuationByte(field[firstEnd]))
        ++firstEnd;
    std::size_t lastStart = field.size() - 1;
    while (lastStart > 0 && isContinuationByte(field[lastStart]))
        --lastStart;
    if (lastStart < firstEnd)
        return std::nullopt;
    return std::string(trimSpaces(field.substr(firstEnd, lastStart - firstEnd)));
}

// Decimal syntax whatever the value, to tell "no number" from "too large".
bool hasDecimalSyntax(std::string_view text)
{
    std::size_t pos = text.find_first_not_of(" \t");
    if (pos == std::string_view::npos)
        return false;
    if (text[pos] == '-' || text[pos] == '+')
        ++pos;
    bool digitSeen = false;
    bool pointSeen = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c >= '0' && c <= '9')
            digitSeen = true;
        else if (c == '.' && !pointSeen)
            pointSeen = true;
        else
            break;
    }
    return digitSeen && text.find_first_not_of(" \t", pos) == std::string_view::npos;
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

struct ParsedLine
{
    Track record;
    bool hexCode = false;
    std::string error; // empty when the line can be loaded
    std::string warning;
};

// One track line, already without its surrounding spaces. `fields` is only
// room to work in, handed from line to line to spare allocations.
ParsedLine parseTrackLine(std::string_view line, std::vector<std::string> &fields)
{
    ParsedLine parsed;
    splitFields(line, kLastField, fields);
    // A last field with text was reached; only an empty one needs a count.
    if (fields[kLastField].empty() && countFields(line) <= kLastField) {
        parsed.error = "fewer than six fields";
        return parsed;
    }

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
        parsed.record.*field.text = std::move(*text);
    }

    const std::string_view code = trimSpaces(fields[4]);
    if (code.starts_with("0x")) {
        const std::optional<TrackCode> value = hexToCode(code.substr(2));
        if (!value) {
            parsed.error = "hexadecimal code is too large: " + quoted(code);
            return parsed;
        }
        parsed.record.code = *value;
        parsed.hexCode = true;
    } else {
        const std::optional<TrackCode> value = TrackCode::fromDecimalText(code);
        if (!value) {
            parsed.error = hasDecimalSyntax(code) ? "code is out of range: " + quoted(code)
                                                  : "code is not a number: " + quoted(code);
            return parsed;
        }
        parsed.record.code = *value;
    }

    const std::string_view playTime = trimSpaces(fields[0]);
    const std::optional<std::int32_t> seconds = parsePlayTime(playTime);
    if (!seconds)
        parsed.warning = "play time " + quoted(playTime) + " is not minutes and seconds; read as no stored time";
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
        std::optional<std::string> text = decodeListText(m_rawLines[index], m_encoding);
        if (!text)
            return std::nullopt;
        m_lineText = std::move(*text);
        return m_lineText;
    }

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
        if (std::optional<std::string> text = decodeListText(std::string_view(begin, end - begin), m_encoding)) {
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
        while (end < utf8.size() && isContinuationByte(utf8[end]))
            ++end;
        out += encodeListText(utf8.substr(pos, end - pos), encoding).value_or("?");
        pos = end;
    }
}

} // unnamed

std::vector<ListProblem> readTrackList(std::string_view fileBytes, TrackList &store)
{
    store.modified = false;
    store.encoding = detectListEncoding(fileBytes);
    if (store.encoding == ListEncoding::Utf8WithBom)
        fileBytes.remove_prefix(kByteOrderMark.size());

    const std::vector<std::string_view> rawLines = splitLines(fileBytes);
    LineDecoder decoder(fileBytes, rawLines, store.encoding);
    // Every line may be a record; reserving spares the copies of growing.
    store.tracks.reserve(store.tracks.size() + rawLines.size());

    std::vector<ListProblem> problems;
    std::vector<std::string> fields;
    const auto keep = [&](std::size_t lineIndex, std::string reason) {
        problems.push_back({static_cast<int>(lineIndex) + 1, ListProblem::Severity::Error, std::move(reason)});
        store.keptLines.push_back({store.count(), std::string(rawLines[lineIndex])});
    };

    for (std::size_t i = 0; i < rawLines.size(); ++i) {
        // Spaces and ";" are single bytes in both encodings, so blank and
        // comment lines are told apart before decoding.
        const std::string_view rawTrimmed = trimSpaces(rawLines[i]);
        if (rawTrimmed.empty() || rawTrimmed.front() == ';')
            continue;

        const std::optional<std::string_view> decoded = decoder.line(i);
        if (!decoded) {
            keep(i, "bytes are not valid Shift-JIS");
            continue;
        }
        const std::string_view text = trimSpaces(*decoded);

        ParsedLine parsed = parseTrackLine(text, fields);
        if (parsed.error.empty() && holdsQuotationMark(parsed.record) && !survivesSave(parsed.record))
            parsed.error = "quotation marks would not survive a save";
        if (!parsed.error.empty()) {
            keep(i, std::move(parsed.error));
            continue;
        }
        if (!parsed.warning.empty())
            problems.push_back({static_cast<int>(i) + 1, ListProblem::Severity::Warning, std::move(parsed.warning)});
        if (parsed.hexCode)
            store.modified = true;
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
    if (store.encoding == ListEncoding::Utf8WithBom)
        out += kByteOrderMark;

    std::string pending; // records in UTF-8 not yet encoded
    std::size_t nextKept = 0;
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
        pending += formatTrackLine(store.tracks[static_cast<std::size_t>(i)]);
        pending += kLineEnd;
        if (pending.size() >= kCodecRunBytes) {
            appendEncoded(out, pending, store.encoding);
            pending.clear();
        }
    }
    writeKeptLines(std::numeric_limits<std::int32_t>::max());
    appendEncoded(out, pending, store.encoding);
    // The encoding is told from the whole file, and the comments and blank
    // lines that decided it are not written back. Shift-JIS text can be valid
    // UTF-8 as well (half-width katakana pairs such as C3 A9), and a kept line
    // can begin with the byte-order mark's bytes: either would read back
    // differently without a line in front.
    if (store.encoding == ListEncoding::ShiftJis && detectListEncoding(out) != ListEncoding::ShiftJis
        && std::any_of(out.begin(), out.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        out.insert(0, std::string(kShiftJisComment) + std::string(kLineEnd));
    else if (store.encoding == ListEncoding::Utf8 && out.starts_with(kByteOrderMark))
        out.insert(0, kLineEnd);
    return out;
}
