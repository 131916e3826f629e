#pragma once

#include <QIcon>
#include <QProxyStyle>
#include <map>

namespace platform {

// The application's style, unchanged but for one thing: a standard icon (a tool bar's
// extension arrow, the document windows' system-menu pictures) is read only when it is
// first drawn or measured. Qt keeps most of them as PNG files in its resources, and the
// first image read by file name loads every image format plugin and their libraries;
// widgets ask for these icons in their constructors, though most are seldom shown.
class DeferredIconStyle : public QProxyStyle {
 public:
  using OwnIcons = std::map<StandardPixmap, QIcon>;

  // `own`: standard icons the program draws itself, given instead of the style's.
  DeferredIconStyle(QStyle* base, OwnIcons own);

  QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;

 private:
  OwnIcons m_ownIcons;
};

// Wraps the application's style (whichever the desktop or -style chose) in a
// DeferredIconStyle. Call once, after the application object exists and before any
// window is made.
void InstallDeferredIconStyle(DeferredIconStyle::OwnIcons own = {});

}  // namespace platform
