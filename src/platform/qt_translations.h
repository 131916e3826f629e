#pragma once

#include <optional>
#include <string>

namespace platform {

// Installs Qt's Japanese translation (qtbase_ja from Qt's translations folder), so that
// the standard buttons, the edit boxes' context menus and the file dialogs speak
// Japanese like the program's own texts. Call once, after the application object exists
// and before any window is made. False when the translation is not installed.
bool InstallQtTranslations();

// Makes Qt's own locale Japanese whatever the session's locale is: the file dialogs'
// dates, sizes and file types follow it. Qt reads its locale from the environment while
// the application object is made, so construct this before it and call Restore() after:
// the environment and the C library's locale (which decides the items' code page) are
// then the session's again.
class JapaneseQtLocale {
 public:
  JapaneseQtLocale();
  ~JapaneseQtLocale();
  JapaneseQtLocale(const JapaneseQtLocale&) = delete;
  JapaneseQtLocale& operator=(const JapaneseQtLocale&) = delete;

  void Restore();

 private:
  bool m_bRestored = false;
  std::string m_strCLocale;
  std::optional<std::string> m_strLcAll;
  std::optional<std::string> m_strLanguage;
};

}  // namespace platform
