// render/fontpolicy.cpp — which installed face draws a chart font (render layer)
#include "render/fontpolicy.h"

#include <algorithm>
#include <cmath>

namespace velmora {

const char *const DefaultFontFace = "MS Sans Serif";
const char *const SubstituteFontFace = "DejaVu Sans";

namespace {

constexpr int MaxFontPixels = 2000;

int scaledPixels(int points, double scale)
{
    const int designed = PointsToPixels(points);
    if (scale == 1)
        return designed;
    return static_cast<int>(
        std::clamp(std::nearbyint(designed * scale), 1.0, static_cast<double>(MaxFontPixels)));
}

} // namespace

int PointsToPixels(int points)
{
    const double pixels = std::nearbyint(static_cast<double>(points) * ChartDotsPerInch / 72);
    return static_cast<int>(std::clamp(pixels, 1.0, static_cast<double>(MaxFontPixels)));
}

QString DrawnFamily(const std::string &face)
{
    if (face == DefaultFontFace)
        return QString::fromLatin1(SubstituteFontFace);
    return QString::fromStdString(face);
}

std::string SettingsFace(const QString &family, const std::string &current)
{
    if (family == DrawnFamily(current))
        return current;
    return family.toStdString();
}

QFont ChartFont(const QString &family, int pixelSize)
{
    QFont font;
    font.setFamily(family);
    font.setStretch(QFont::Unstretched);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setKerning(true);
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

SurfaceFont::SurfaceFont(double scale)
    : m_scale(scale)
    , m_font(ChartFont(DrawnFamily(DefaultFontFace), scaledPixels(8, scale)))
{
}

void SurfaceFont::setFace(const std::string &face)
{
    if (face.empty())
        return;
    const QString family = DrawnFamily(face);
    if (family != m_font.family()) {
        m_font.setFamily(family);
        m_metrics.reset();
    }
}

void SurfaceFont::setPoints(int points)
{
    const int pixels = scaledPixels(points, m_scale);
    if (pixels != m_font.pixelSize()) {
        m_font.setPixelSize(pixels);
        m_metrics.reset();
    }
}

const QFontMetrics &SurfaceFont::metrics()
{
    if (!m_metrics)
        m_metrics.emplace(m_font);
    return *m_metrics;
}

} // namespace velmora
