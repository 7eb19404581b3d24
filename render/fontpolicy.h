// render/fontpolicy.h — which installed face draws a chart font, and at what pixel size (render
// layer)
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <optional>
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

// The font of a drawing surface: the face and size the chart asks for, the installed family and
// pixel size that draw them, and the metrics, measured once per change. It starts as a new image
// does: the default face at 8 points. On a surface of scale r the pixel size is r times the
// designed one, rounded (halves to even).
class SurfaceFont {
public:
    explicit SurfaceFont(double scale = 1);

    // An empty face leaves the face as it is.
    void setFace(const std::string &face);
    void setPoints(int points);

    const QFont &font() const { return m_font; }
    const QFontMetrics &metrics();

private:
    double m_scale;
    QFont m_font;
    std::optional<QFontMetrics> m_metrics;
};

} // namespace velmora
