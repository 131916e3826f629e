#pragma once

#include <QIcon>
#include <QProxyStyle>
#include <map>

namespace platform {

// The application's style, drawn as it is, with less work behind it:
// - a standard icon (a tool bar's extension arrow, the document windows' system-menu
//   pictures) is read only when it is first drawn or measured. Qt keeps most of them as
//   PNG files in its resources, and the first image read by file name loads every image
//   format plugin and their libraries; widgets ask for these icons in their constructors,
//   though most are seldom shown;
// - the main window's tool bar is drawn in tiles. Qt's raster engine hands any line of
//   more than about a hundred pixels to a pool of threads, which it starts for the first
//   one: the tool bar's long edge lines would start two threads at the first paint and
//   wake them at every repaint of the bar (a button under the pointer).
class LeanStyle : public QProxyStyle {
 public:
  using OwnIcons = std::map<StandardPixmap, QIcon>;

  // `own`: standard icons the program draws itself, given instead of the style's.
  LeanStyle(QStyle* base, OwnIcons own);

  QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;

 private:
  OwnIcons m_ownIcons;
};

// Wraps the application's style (whichever the desktop or -style chose) in a
// LeanStyle. Call once, after the application object exists and before any
// window is made.
void InstallLeanStyle(LeanStyle::OwnIcons own = {});

}  // namespace platform
