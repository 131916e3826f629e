#include "resources/accelerators.h"

#include "resources/command_ids.h"

namespace res {
namespace {

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+E", ID_EDIT_MODIFY},
    {"Ctrl+F", ID_EDIT_FIND},
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Alt+Backspace", ID_EDIT_UNDO},
    {"Del", ID_EDIT_CLEAR},
    {"Shift+Del", ID_EDIT_CUT},
    {"F1", ID_HELP},
    {"Shift+F1", ID_CONTEXT_HELP},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    {"Ctrl+Ins", ID_EDIT_COPY},
    {"Shift+Ins", ID_EDIT_PASTE},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Ctrl+Z", ID_EDIT_UNDO},
};

}  // namespace

std::span<const Accelerator> Accelerators() { return kAccelerators; }

}  // namespace res
