// The help slideshow's pages and how Next and Previous move between them.
#pragma once
#include <array>

// Bitmap ids of the help pages, in the order they are shown.
inline constexpr std::array<int, 6> kHelpPages = {179, 172, 173, 174, 175, 176};

// What the slideshow shows: the page, whether Previous can be pressed, whether Next reads "Finish".
struct HelpView {
    int page = kHelpPages.front();
    bool previousEnabled = false;
    bool finish = false;
    bool operator==(const HelpView&) const = default;
};

enum class HelpCommand { Next, Previous };

struct HelpStep {
    HelpView view;
    bool closes = false;  // Next was pressed on "Finish"
};

// The view a page paints: Previous off on the first page, "Finish" on the last.
HelpView PaintedHelpView(HelpView view);
// One press of Next or Previous, followed by the repaint it requests.
HelpStep HelpPageSequence(const HelpView& view, HelpCommand command);
