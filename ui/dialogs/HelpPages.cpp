// Next and Previous over the help pages.
#include "ui/dialogs/HelpPages.h"
#include <algorithm>

namespace {
int IndexOf(int page) {
    const auto it = std::find(kHelpPages.begin(), kHelpPages.end(), page);
    return it == kHelpPages.end() ? 0 : static_cast<int>(it - kHelpPages.begin());
}
}  // namespace

HelpView PaintedHelpView(HelpView view) {
    if (view.page == kHelpPages.front()) view.previousEnabled = false;
    if (view.page == kHelpPages.back()) view.finish = true;
    return view;
}

HelpStep HelpPageSequence(const HelpView& view, HelpCommand command) {
    HelpStep step{view};
    const int last = static_cast<int>(kHelpPages.size()) - 1;
    const int i = IndexOf(view.page);
    if (command == HelpCommand::Next) {
        step.view.page = kHelpPages[std::min(i + 1, last)];
        if (i == 0) step.view.previousEnabled = true;
        step.closes = view.finish;  // the caption at the moment of the press decides
    } else {
        step.view.page = kHelpPages[std::max(i - 1, 0)];
        if (i == last) step.view.finish = false;
    }
    step.view = PaintedHelpView(step.view);
    return step;
}
