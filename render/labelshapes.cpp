// render/labelshapes.cpp — chart labels shaped once and kept (render layer)
#include "render/labelshapes.h"

#include <QTextLayout>

namespace velmora {

const LabelShapes::Shape &LabelShapes::shape(const QFont &font, const QString &text)
{
    const QString key = font.key() + QChar('\n') + text;
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
