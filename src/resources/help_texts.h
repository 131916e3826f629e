#pragma once

#include <string_view>

#include "framework/resource_tables.h"

namespace res {

// The text a click in help mode shows for a command: its status-bar prompt, or for the
// commands reached only by keys a line of their own. Empty for unknown ids.
std::string_view WhatsThisText(unsigned commandId);

// The help-mode text of a dialog's control; empty when it has none.
std::string_view ControlHelpText(unsigned dialogId, unsigned controlId);

// The help viewer's caption, buttons and index heading.
inline constexpr fw::HelpViewerTexts kHelpViewerTexts{
    "Tolvane ﾍﾙﾌﾟ", "目次(&C)", "戻る(&B)", "進む(&F)", "ﾄﾋﾟｯｸ",
};

}  // namespace res
