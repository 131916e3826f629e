#include "resources/program_tables.h"

#include "resources/accelerators.h"
#include "resources/help_texts.h"
#include "resources/icons.h"
#include "resources/menus.h"
#include "resources/string_table.h"
#include "resources/toolbar.h"

namespace res {

fw::UiTables ProgramUiTables() {
  fw::UiTables tables;
  tables.loadString = &LoadString;
  tables.prompt = &Prompt;
  tables.toolTip = &ToolTip;
  tables.whatsThis = &WhatsThisText;
  tables.menu = &Menu;
  tables.documentWindowMenu = &DocumentWindowMenu;
  tables.accelerators = &Accelerators;
  tables.toolBarLayout = &ToolBarLayout;
  tables.toolBarXpm = &ToolBarXpm;
  tables.buttonWidth = kButtonWidth;
  tables.buttonHeight = kButtonHeight;
  tables.helpViewer = kHelpViewerTexts;
  return tables;
}

}  // namespace res
