#pragma once

#include "player/textmeasure.h"
#include "qt/textwidthmodel.h"

#include <QString>
#include <QStringDecoder>

class QWidget;

// Widths in a widget's font, in twips at the widget's resolution; the cached
// width model gives the cheap upper bounds.
class QtTextMeasure : public TextMeasure
{
public:
    explicit QtTextMeasure(const QWidget &widget);

    float widthTwips(std::string_view text) override;
    float upperBoundTwips(std::string_view text) override;

private:
    QFontMetricsF m_metrics;
    int m_dpi;
    double m_twipsPerPixel;
    TextWidthModel m_model;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    QString m_buffer; // room for the text in hand
};
