#pragma once

#include <QStringList>

#include "platform/clipboard_port.h"

class QClipboard;
class QMimeData;

namespace platform {

// The real clipboard (the CLIPBOARD selection) through QClipboard.
class QtClipboardPort : public ClipboardPort {
  Q_OBJECT

 public:
  explicit QtClipboardPort(QObject* parent = nullptr);

  ClipboardStatus ReadText(std::string& text) override;
  ClipboardStatus WriteText(const std::string& text) override;
  bool Clear() override;
  bool HasText() override;
  bool HasAnyFormat() override;
  bool SeesCopiesOnlyWithFocus() const override;

 private:
  void OnDataChanged();
  void RefreshFormats();

  QClipboard* m_pClipboard;
  // Formats are asked of the owner once per change: the enable rules query them on every
  // idle pass, and each query is a round trip to the owning program.
  bool m_bFormatsKnown = false;
  bool m_bHasText = false;
  bool m_bHasAnyFormat = false;
};

// True when the content carries the password managers' hint that it is a secret.
bool IsSecretContent(const QMimeData& mime);

}  // namespace platform
