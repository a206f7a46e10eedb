// The help slideshow's page sequence: Next, Previous and the Finish caption.
#include "ui/dialogs/HelpPages.h"
#include <gtest/gtest.h>
#include <vector>

TEST(HelpPageSequence, NextPreviousAndFinishFollowTheSixPages) {
    using C = HelpCommand;
    struct Row { C command; int page; bool previousEnabled; bool finish; bool closes; };
    const std::vector<Row> rows = {
        {C::Previous, 179, false, false, false},  // nothing before the first page
        {C::Next, 172, true, false, false},
        {C::Previous, 179, false, false, false},  // back on the first page: Previous off again
        {C::Next, 172, true, false, false},
        {C::Next, 173, true, false, false},
        {C::Next, 174, true, false, false},
        {C::Next, 175, true, false, false},
        {C::Next, 176, true, true, false},        // the fifth Next from the start shows "Finish"
        {C::Previous, 175, true, false, false},   // leaving the last page gives "Next" back
        {C::Next, 176, true, true, false},        // and Next shows it again without closing
        {C::Next, 176, true, true, true},         // Next on "Finish" closes
    };
    HelpView view = PaintedHelpView(HelpView{});
    EXPECT_EQ(view, (HelpView{179, false, false}));
    for (size_t i = 0; i < rows.size(); ++i) {
        const HelpStep step = HelpPageSequence(view, rows[i].command);
        EXPECT_EQ(step.view, (HelpView{rows[i].page, rows[i].previousEnabled, rows[i].finish})) << "row " << i;
        EXPECT_EQ(step.closes, rows[i].closes) << "row " << i;
        view = step.view;
    }
}
