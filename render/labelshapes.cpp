// render/labelshapes.cpp — chart labels shaped once and kept (render layer)
#include "render/labelshapes.h"

#include <QTextLayout>

namespace velmora {

const LabelShapes::Shape &LabelShapes::shape(const QFont &font, const QString &text)
{
    if (m_lastKey.isEmpty() || !(font == m_lastFont)) {
        m_lastFont = font;
        m_lastKey = font.key() + QChar('\n');
    }
    const QString key = m_lastKey + text;
    if (const auto found = m_shapes.constFind(key); found != m_shapes.cend())
        return *found;
    if (m_shapes.size() >= Capacity)
        m_shapes.clear();
    QTextLayout layout(text, font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    Shape shape;
    shape.runs = layout.glyphRuns();
    shape.width = qRound(line.horizontalAdvance());
    shape.ascent = line.ascent();
    return *m_shapes.insert(key, std::move(shape));
}

} // namespace velmora
