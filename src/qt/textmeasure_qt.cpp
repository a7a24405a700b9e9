#include "qt/textmeasure_qt.h"

#include "player/windowlayout.h"

#include <QWidget>

namespace {

// Widths come in steps of 1/64 pixel; the slack covers rounding in the model's sums.
constexpr double kSlackPixels = 1.0 / 1024.0;

} // namespace

QtTextMeasure::QtTextMeasure(const QWidget &widget)
    : m_metrics(widget.font())
    , m_dpi(widget.logicalDpiX())
    , m_twipsPerPixel(static_cast<double>(kTwipsPerInch) / m_dpi)
    , m_model(widget.font())
{
}

float QtTextMeasure::widthTwips(std::string_view text)
{
    return static_cast<float>(m_metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())))
                              * static_cast<double>(kTwipsPerInch) / m_dpi);
}

float QtTextMeasure::upperBoundTwips(std::string_view text)
{
    // Decoded into one reused buffer: a QString per cell of a long list costs
    // as much as the model's sum.
    if (m_buffer.size() < static_cast<qsizetype>(text.size()))
        m_buffer.resize(static_cast<qsizetype>(text.size()));
    const QChar *end = m_utf8.appendToBuffer(m_buffer.data(), QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    const QStringView utf16(m_buffer.constData(), end - m_buffer.constData());
    return static_cast<float>((m_model.pixels(utf16) + kSlackPixels) * m_twipsPerPixel);
}
