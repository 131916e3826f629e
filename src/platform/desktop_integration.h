#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace platform {

// The icon sizes, in pixels, that registration writes and unregistration removes.
inline const std::vector<int> kDesktopIconSizes = {16, 32, 48, 64, 128, 256};

// What the desktop needs to offer Tolvane for *.tvn files: a desktop entry, a MIME type
// and the icons, as the bytes of each file. Paths come from DesktopFilePaths.
struct DesktopFiles {
  QString dataHome;  // $XDG_DATA_HOME, or ~/.local/share
  QByteArray desktopEntry;
  QByteArray mimePackage;
  // PNG images, one per size of `iconSizes`, for the application and the document type.
  std::vector<int> iconSizes = kDesktopIconSizes;
  std::vector<QByteArray> appIcons;
  std::vector<QByteArray> docIcons;
  // What the files were made from (the program's build). Registration records it once
  // every file is in place; see DesktopFilesAreCurrent.
  QByteArray stamp;
};

inline constexpr const char* kDesktopEntryName = "tolvane.desktop";
inline constexpr const char* kMimePackageName = "tolvane.xml";
inline constexpr const char* kMimeType = "application/x-tolvane";
inline constexpr const char* kAppIconName = "tolvane";
inline constexpr const char* kDocIconName = "application-x-tolvane";

// $XDG_DATA_HOME when set to an absolute path, else ~/.local/share.
QString DesktopDataHome();

// The files below `dataHome`, in this order: the desktop entry, the MIME package, then
// the application icon and the document icon at each size.
QStringList DesktopFilePaths(const QString& dataHome, const std::vector<int>& iconSizes);

// The desktop entry that starts `executable` with the files it is given.
QByteArray DesktopEntryText(const QString& executable);
// The shared-mime-info package for *.tvn, any letter case.
QByteArray MimePackageText();

// Writes each file that is missing, or differs while it is still one that registration
// wrote (a record below `dataHome` keeps the digest of each), then has the desktop refresh
// its caches (in processes of their own, not waited for) when anything was written. A
// link, FIFO or other file that is not a regular one, and a file the user changed, are
// left as they are. False when a file is not in place: left alone or not writable.
bool RegisterDesktopFiles(const DesktopFiles& files);

// True when the last registration below `dataHome` recorded `stamp` and each of its files
// is still there: registering again would write nothing, so the files need not be made.
bool DesktopFilesAreCurrent(const QString& dataHome, const QByteArray& stamp,
                            const std::vector<int>& iconSizes = kDesktopIconSizes);

// Removes the files that registration writes while they are still as it wrote them (or
// as it would write them now). True when none of them is left (a file that was not
// there counts as removed).
bool UnregisterDesktopFiles(const DesktopFiles& files);

}  // namespace platform
