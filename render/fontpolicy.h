// render/fontpolicy.h — which installed face draws a chart font, and at what pixel size (render
// layer)
#pragma once

#include <QFont>
#include <QString>

#include <string>

namespace velmora {

// Face of the default font and the face installed in its place (fonts-dejavu-core).
extern const char *const DefaultFontFace; // "MS Sans Serif"
extern const char *const SubstituteFontFace; // "DejaVu Sans"

// Images are drawn at this many pixels per inch, whatever the screen.
constexpr int ChartDotsPerInch = 96;

// Pixels at 96 dpi for a size in points, halves to even; at least 1.
int PointsToPixels(int points);

// The installed family that draws a face name of the settings.
QString DrawnFamily(const std::string &face);

// The face name the settings keep for an installed family picked by the user: the default face
// when `family` is what draws `current`, so that confirming a chooser unchanged changes nothing.
std::string SettingsFace(const QString &family, const std::string &current);

// A chart font: regular, unstretched, hinted, antialiased, at a size in pixels. Every attribute
// is set, so that no application default (the windows' own font) leaks into the chart.
QFont ChartFont(const QString &family, int pixelSize);

} // namespace velmora
