// Charts against images drawn before the engine was reorganised and sped up: the chart without
// loops must stay the same to the pixel. The images were written by velmora-render with the
// options given beside each case; they depend on the font files and FreeType of Debian 12.
#include "render/chartfile.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>

using namespace velmora;

namespace {

struct Golden {
    const char *file;
    const char *options; // as velmora-render took them
    std::function<void(ChartSettings &)> adjust;
    RenderProfile profile;
    ImageSize size;
};

TEST(GoldenCharts, SameToThePixelAsBefore)
{
    const Golden cases[] = {
        { "w_default.png", "", [](ChartSettings &) {}, WindowProfile(), {} },
        { "c_default.png", "--profile clipboard", [](ChartSettings &) {}, ClipboardProfile(),
            { 600, 950 } },
        { "c_450.png", "--profile clipboard --width 450.7 --height 777", [](ChartSettings &) {},
            ClipboardProfile(), { 450, 777 } },
        { "w_custom.png",
            "--grid --dotted-grid --gain-max 60 --gain-min -45 --gain-step 5 --phase-min -360 "
            "--phase-step 45 --font 'DejaVu Serif' --font-size 10 --axis-color '#123456' "
            "--isogain-color '#ff0000' --isophase-color '#0000ff'",
            [](ChartSettings &s) {
                s.axisStyle.grid = true;
                s.axisStyle.dottedGrid = true;
                s.gainMax = 60;
                s.gainMin = -45;
                s.gainStep = 5;
                s.phaseMin = -360;
                s.phaseStep = 45;
                s.axisStyle.fontName = "DejaVu Serif";
                s.axisStyle.fontSize = 10;
                s.axisStyle.axisColor = RgbColor(0x12, 0x34, 0x56);
                s.isogainColor = RgbColor(255, 0, 0);
                s.isophaseColor = RgbColor(0, 0, 255);
            },
            WindowProfile(), {} },
        { "c_grid.png", "--grid --profile clipboard --isogains 0,3,-3,20 --isophases=-10,-180,-350",
            [](ChartSettings &s) {
                s.axisStyle.grid = true;
                s.isogainValues = { 0, 3, -3, 20 };
                s.isophaseValues = { -10, -180, -350 };
            },
            ClipboardProfile(), { 600, 950 } },
    };
    for (const Golden &c : cases) {
        ChartSettings settings = DefaultChartSettings();
        c.adjust(settings);
        const QImage expected(QStringLiteral(VELMORA_GOLDEN_DIR "/") + c.file);
        ASSERT_FALSE(expected.isNull()) << c.file;
        EXPECT_EQ(ChartImage({ settings }, c.profile, c.size).convertToFormat(QImage::Format_RGB32),
            expected.convertToFormat(QImage::Format_RGB32))
            << c.file << ": velmora-render " << c.options;
    }
}

} // namespace
