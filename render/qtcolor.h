// render/qtcolor.h — the settings' 0x00BBGGRR colours as Qt's colours and back (render layer)
#pragma once

#include "core/chartsettings.h"

#include <QColor>

namespace velmora {

inline QRgb ToRgb(Color color)
{
    return qRgb(RedOf(color), GreenOf(color), BlueOf(color));
}

inline Color ColorOf(const QColor &color)
{
    return RgbColor(color.red(), color.green(), color.blue());
}

} // namespace velmora
