// Measured data files as the reader takes them: their separators and decimal separators, their
// first row, and what it refuses.
#include "core/measuredresponse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velmora;

namespace {

MeasuredResponse read(const std::string &text)
{
    return ReadMeasuredResponse(text, false);
}

// Between semicolons or tabs, a comma between digits is the decimal point.
TEST(MeasuredResponse, DecimalCommaBetweenSemicolonsOrTabs)
{
    for (const char *text : { "0,1;20;-90\n1;0,5;-135,25\n10;-20;-175\n",
             "0,1\t20\t-90\n1\t0,5\t-135,25\n10\t-20\t-175\n",
             "0.1; 20; -90\n1 ;0,5; -135.25\n1e1;-2,0e1;-175\n" }) {
        SCOPED_TRACE(text);
        const MeasuredResponse data = read(text);
        EXPECT_EQ(data.omega, (std::vector<double> { 0.1, 1, 10 }));
        EXPECT_EQ(data.gainDb, (std::vector<double> { 20, 0.5, -20 }));
        EXPECT_EQ(data.phaseDeg, (std::vector<double> { -90, -135.25, -175 }));
    }
}

// Between commas, numbers take a decimal point, and a row that does not read says so.
TEST(MeasuredResponse, CommaSeparatedRowsThatDoNotReadMentionTheDecimalPoint)
{
    for (const char *text : { "1,0,-90\n2,0,5,-135\n", "1,0,-90\n2,0,-135\n4,x,-150\n" }) {
        SCOPED_TRACE(text);
        try {
            read(text);
            ADD_FAILURE() << "accepted";
        } catch (const DataError &error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("trois nombres attendus"), std::string::npos) << message;
            EXPECT_NE(message.find("point décimal"), std::string::npos) << message;
        }
    }
    try {
        read("1;0;-90\n2;0;x\n");
        ADD_FAILURE() << "accepted";
    } catch (const DataError &error) {
        EXPECT_EQ(std::string(error.what()).find("point décimal"), std::string::npos);
    }
}

} // namespace
