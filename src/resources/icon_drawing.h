#pragma once

#include <QImage>

namespace res {

// The application icon (a clipboard holding lines of text) and the document icon (a page
// with a list), drawn at any size in pixels. Every edge is rounded to whole pixels of
// that size, so small sizes stay sharp and large ones are not scaled-up bitmaps.
QImage DrawAppIcon(int size);
QImage DrawDocIcon(int size);

}  // namespace res
