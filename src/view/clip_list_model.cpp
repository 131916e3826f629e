#include "view/clip_list_model.h"

#include <QFontMetrics>
#include <QSize>
#include <algorithm>
#include <new>

#include "document/clip_list.h"
#include "platform/alloc_fault.h"
#include "platform/code_page.h"
#include "view/display_line.h"

namespace view {
namespace {

constexpr int kExtentMargin = 10;

QString ForDisplay(const std::string& line) {
  const std::string utf8 = DisplayUtf8(line, platform::SystemCodePage());
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

ClipListModel::ClipListModel(QObject* parent) : QAbstractListModel(parent) {}

ClipListModel::RefillResult ClipListModel::Refill(const doc::CClipList* list,
                                                  const std::string* clipText,
                                                  const QFont& font) {
  const int count = list ? list->GetCount() : 0;
  RefillResult result = RefillResult::Complete;
  int rows = count;
  int extent = m_nExtent;
  if (count > 0) {
    const QFontMetrics metrics(font);
    const platform::CodePage cp = platform::SystemCodePage();
    // Each item's text is measured once and kept with the item; the marker's width is
    // added to the widest text.
    int widest = 0;
    for (int i = 0; i < count; ++i) {
      int width = list->GetCachedWidth(i);
      if (width < 0) {
        try {
          platform::CheckAllocation();
          const std::string line = BuildDisplayLine(list->GetAt(i), false, cp);
          width = metrics.horizontalAdvance(ForDisplay(line.substr(2)));
        } catch (const std::bad_alloc&) {
          result = RefillResult::OutOfMemory;
          rows = i;
          break;
        }
        list->SetCachedWidth(i, width);
      }
      widest = std::max(widest, width);
    }
    const std::string marker(platform::MarkerBytes(cp));
    const int markerWidth = std::max(metrics.horizontalAdvance(ForDisplay(marker)),
                                     metrics.horizontalAdvance(QStringLiteral("  ")));
    extent = widest + markerWidth + kExtentMargin;
    m_nLineHeight = metrics.height() + 2;
  }

  if (list == m_pList && rows == m_nRows && extent == m_nExtent && rows > 0) {
    // Same lines, same sizes: new content only. The view repaints without laying out
    // every row again, which a reset would make it do.
    m_pClipText = clipText;
    emit dataChanged(index(0), index(rows - 1), {Qt::DisplayRole});
    return result;
  }
  beginResetModel();
  m_pList = list;
  m_pClipText = clipText;
  m_nRows = rows;
  m_nExtent = extent;
  endResetModel();
  return result;
}

int ClipListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_nRows;
}

bool ClipListModel::IsMarked(int row) const {
  return m_pClipText && m_pList->GetAt(row) == *m_pClipText;
}

std::string ClipListModel::DisplayLine(int row) const {
  return BuildDisplayLine(m_pList->GetAt(row), IsMarked(row), platform::SystemCodePage());
}

QString ClipListModel::DisplayText(int row) const { return ForDisplay(DisplayLine(row)); }

QVariant ClipListModel::data(const QModelIndex& index, int role) const {
  // The list may already be shorter than the rows shown while a message box waits
  // before the next refill.
  if (!index.isValid() || !m_pList || index.row() >= m_nRows ||
      index.row() >= m_pList->GetCount()) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole:
      return DisplayText(index.row());
    case Qt::SizeHintRole:
      // Every line has this size: it also sets the horizontal scroll range.
      return QSize(m_nExtent, m_nLineHeight);
    default:
      return {};
  }
}

}  // namespace view
