#include "platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace platform {
namespace {

// Qt's Japanese translation was made before some of Qt's texts moved to other classes:
// the file dialog's file types ("Folder", "Drive") are asked for under the icon
// provider's name and kept under the file dialog's.
class QtJapaneseTranslator : public QTranslator {
 public:
  using QTranslator::QTranslator;

  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override {
    QString text = QTranslator::translate(context, sourceText, disambiguation, n);
    if (text.isEmpty() && context && std::strcmp(context, "QAbstractFileIconProvider") == 0) {
      text = QTranslator::translate("QFileDialog", sourceText, nullptr, n);
    }
    return text;
  }
};

void SetOrUnset(const char* name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

bool InstallQtTranslations() {
  // Owned by the application object, so that it lives as long as the texts it gives.
  auto* translator = new QtJapaneseTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

JapaneseQtLocale::JapaneseQtLocale()
    : m_strCLocale(std::setlocale(LC_ALL, nullptr)),
      m_strLcAll(Variable("LC_ALL")),
      m_strLanguage(Variable("LANGUAGE")) {
  // LC_ALL outweighs every other locale variable; LANGUAGE orders the interface languages.
  setenv("LC_ALL", "ja_JP.UTF-8", 1);
  setenv("LANGUAGE", "ja", 1);
}

JapaneseQtLocale::~JapaneseQtLocale() { Restore(); }

void JapaneseQtLocale::Restore() {
  if (m_bRestored) return;
  m_bRestored = true;
  // Programs started from here get the session's locale.
  SetOrUnset("LC_ALL", m_strLcAll);
  SetOrUnset("LANGUAGE", m_strLanguage);
  // The application object has set the C library's locale from the environment.
  std::setlocale(LC_ALL, m_strCLocale.c_str());
}

}  // namespace platform
