#include "resources/toolbar.h"

#include "resources/command_ids.h"

namespace res {
namespace {

constexpr unsigned kToolBar[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0,
    ID_EDIT_MODIFY, 0,
    ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
    ID_EDIT_CLEAR, 0,
    ID_APP_ABOUT, ID_CONTEXT_HELP,
};

constexpr unsigned kStatusPanes[] = {
    0, ID_INDICATOR_ITEMS, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};

}  // namespace

std::span<const unsigned> ToolBarLayout() { return kToolBar; }

std::span<const unsigned> StatusPanes() { return kStatusPanes; }

}  // namespace res
