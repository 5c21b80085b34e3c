#include "cli/batch_progress.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

TEST(BatchProgress, ClockTextShowsMinutesAndHours)
{
    const std::vector<std::pair<double, const char *>> cases = {
        {0, "0:00"},      {0.4, "0:00"},     {0.6, "0:01"},       {59, "0:59"},      {60, "1:00"},
        {61.5, "1:02"},   {3599, "59:59"},   {3600, "1:00:00"},   {3661, "1:01:01"}, {36000 + 62, "10:01:02"},
        {-5, "0:00"},
    };
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(clockText(seconds), QString(text)) << seconds;
}

TEST(BatchProgress, LineShowsDoneOfTotalRateAndTimeLeft)
{
    struct Case {
        int done, total;
        double seconds;
        const char *line;
    };
    const std::vector<Case> cases = {
        {0, 340, 0.0, "0/340 files, 0.0 pictures/s, --:-- left"},
        {0, 340, 2.0, "0/340 files, 0.0 pictures/s, --:-- left"},
        {12, 340, 1.5, "12/340 files, 8.0 pictures/s, 0:41 left"},
        {10, 10, 4.0, "10/10 files, 2.5 pictures/s, 0:00 left"},
        {1, 7201, 1.0, "1/7201 files, 1.0 pictures/s, 2:00:00 left"},
        {3, 4, 0.0, "3/4 files, 0.0 pictures/s, --:-- left"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(progressLine(c.done, c.total, c.seconds), QString(c.line));
}

TEST(BatchProgress, StyleFollowsTheTerminalsAndQuiet)
{
    struct Case {
        bool quiet, stderrTerminal, stdoutTerminal;
        bool statusLine, fileLines;
    };
    const std::vector<Case> cases = {
        {false, false, false, false, true}, // pipes and files: one line per file, as before
        {false, false, true, false, true},
        {false, true, false, true, true},   // stdout to a file keeps its list
        {false, true, true, true, false},   // one terminal: the status line stands for the list
        {true, true, true, false, false},
        {true, false, false, false, false},
    };
    for (const Case &c : cases) {
        const ProgressStyle style = progressStyleFor(c.quiet, c.stderrTerminal, c.stdoutTerminal);
        EXPECT_EQ(style.statusLine, c.statusLine) << c.quiet << c.stderrTerminal << c.stdoutTerminal;
        EXPECT_EQ(style.fileLines, c.fileLines) << c.quiet << c.stderrTerminal << c.stdoutTerminal;
    }
}

} // namespace
