#pragma once

namespace platform {

// Installs Qt's Japanese translation (qtbase_ja from Qt's translations folder), so that
// the standard buttons, the edit boxes' context menus and the file dialogs speak
// Japanese like the program's own texts. Call once, after the application object exists
// and before any window is made. False when the translation is not installed.
bool InstallQtTranslations();

}  // namespace platform
