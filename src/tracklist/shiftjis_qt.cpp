#include "tracklist/shiftjis.h"

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// Code page 932 as Windows has it; ICU knows it under this name.
constexpr char kShiftJisName[] = "CP932";

// ICU's table for code page 932 swaps three control codes (bytes 1A, 1C and
// 7F come out as U+001C, U+007F and U+001A); Windows maps them to themselves,
// as the list codec's shortcut for ASCII does.
void undoControlSwap(QString &text)
{
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x1C: c = QChar(0x1A); break;
        case 0x7F: c = QChar(0x1C); break;
        case 0x1A: c = QChar(0x7F); break;
        default: break;
        }
    }
}

void applyControlSwap(QString &text)
{
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x1A: c = QChar(0x1C); break;
        case 0x1C: c = QChar(0x7F); break;
        case 0x7F: c = QChar(0x1A); break;
        default: break;
        }
    }
}

} // unnamed

std::optional<std::string> shiftJisToUtf8(std::string_view bytes)
{
    // Stateless: a lead byte without its second byte at the end is an error,
    // not a character silently dropped.
    QStringDecoder decoder(kShiftJisName, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError())
        return std::nullopt;
    undoControlSwap(text);
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::string toUtf8Replacing(std::string_view bytes, bool shiftJis)
{
    // The line end goes along so that a lead byte at the end is decoded as a
    // bad byte instead of waiting for its second byte.
    const QByteArray withEnd = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())) + '\n';
    QStringDecoder decoder(shiftJis ? kShiftJisName : "UTF-8");
    QString text = decoder.decode(withEnd);
    text.chop(1);
    // The Shift-JIS decoder marks a bad byte with the control character SUB.
    text.replace(QChar(0x1A), QChar::ReplacementCharacter);
    return text.toStdString();
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8)
{
    QStringEncoder encoder(kShiftJisName);
    if (!encoder.isValid())
        return std::nullopt;
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    applyControlSwap(text);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
