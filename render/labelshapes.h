// render/labelshapes.h — chart labels shaped once and kept, for drawing them again (render layer)
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QString>

namespace velmora {

// The glyphs of each label text in each font, laid out once. A chart drawn again with the same
// labels shapes nothing; drawing the kept glyphs gives the very pixels QPainter::drawText gives.
class LabelShapes {
public:
    struct Shape {
        QList<QGlyphRun> runs; // glyph positions from the top of the line
        int width = 0; // pixels, as QFontMetrics::horizontalAdvance gives it
        qreal ascent = 0; // of the laid-out line
    };

    // The shape of `text` in `font`, laid out now if it is not kept yet.
    const Shape &shape(const QFont &font, const QString &text);

private:
    // Kept shapes at the most; past it they are all forgotten and laid out again as needed.
    static constexpr qsizetype Capacity = 4096;

    QHash<QString, Shape> m_shapes; // by font key and text
    // The font asked for last and its key, which takes long to write out.
    QFont m_lastFont;
    QString m_lastKey;
};

} // namespace velmora
