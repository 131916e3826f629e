#pragma once

#include <QString>

#include "platform/desktop_integration.h"

namespace app {

// The desktop entry, MIME package and icons that make the desktop open *.tvn files with
// `executable`.
platform::DesktopFiles TolvaneDesktopFiles(const QString& executable, const QString& dataHome);

// Registers the running program with the desktop (see platform::RegisterDesktopFiles).
bool RegisterWithDesktop();

}  // namespace app
