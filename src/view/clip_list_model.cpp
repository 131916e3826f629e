#include "view/clip_list_model.h"

#include <QFontMetrics>
#include <QSize>
#include <QTimer>
#include <algorithm>
#include <new>
#include <vector>

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

int ClipListModel::MeasuredWidth(int row) {
  int width = m_pList->GetCachedWidth(row);
  if (width >= 0) return width;
  platform::CheckAllocation();
  const std::string line = BuildDisplayLine(m_pList->GetAt(row), false, platform::SystemCodePage());
  width = QFontMetrics(m_font).horizontalAdvance(ForDisplay(line.substr(2)));
  m_pList->SetCachedWidth(row, width);
  return width;
}

int ClipListModel::ExtentFor(int widest) const { return widest + m_nMarkerWidth + kExtentMargin; }

ClipListModel::RefillResult ClipListModel::Refill(const doc::CClipList* list,
                                                  const std::string* clipText,
                                                  const QFont& font) {
  const int count = list ? list->GetCount() : 0;
  const bool sameList = list == m_pList;
  RefillResult result = RefillResult::Complete;
  int rows = count;
  int extent = m_nExtent;
  const bool wasMeasuring = IsMeasuring();
  const int measureFrom = m_nMeasureFrom;
  m_nMeasureFrom = -1;
  if (count > 0) {
    const QFontMetrics metrics(font);
    m_font = font;
    const std::string marker(platform::MarkerBytes(platform::SystemCodePage()));
    m_nMarkerWidth = std::max(metrics.horizontalAdvance(ForDisplay(marker)),
                              metrics.horizontalAdvance(QStringLiteral("  ")));
    m_nLineHeight = metrics.height() + 2;

    // Each item's text is measured once and kept with the item; the marker's width is
    // added to the widest text.
    // Measuring costs about 10 us a line: beyond a few thousand, the first lines and the
    // longest ones now, which nearly always hold the widest, the rest later.
    constexpr std::size_t kMeasureNow = 3000;
    constexpr std::size_t kLongestNow = 300;
    const bool stillMeasuring = sameList && wasMeasuring;
    // A refill for the clipboard's marker alone leaves the list as it was: nothing to
    // look at again.
    const bool unchanged = sameList && list->GetVersion() == m_nListVersion && rows == m_nRows;
    // The list keeps count of its measured widths: after a capture only the new head
    // is looked for, not every line.
    const auto waiting = static_cast<std::size_t>(unchanged ? 0 : list->GetUnmeasuredCount());
    int widest = unchanged ? m_nWidest : list->GetWidestCachedWidth();
    std::vector<int> unmeasured;
    if (waiting <= kMeasureNow || !stillMeasuring) {
      for (int i = 0; i < count && unmeasured.size() < waiting; ++i) {
        if (list->GetCachedWidth(i) < 0) unmeasured.push_back(i);
      }
    }
    if (unchanged && wasMeasuring) m_nMeasureFrom = measureFrom;
    if (waiting > kMeasureNow) {
      if (stillMeasuring) {
        // The slices go on; only what this refill added is measured now.
        unmeasured.clear();
        for (int i = 0; i < std::min(count, 200); ++i) {
          if (list->GetCachedWidth(i) < 0) unmeasured.push_back(i);
        }
      } else {
        const auto longer = [list](int a, int b) {
          return list->GetAt(a).size() > list->GetAt(b).size();
        };
        std::nth_element(unmeasured.begin(), unmeasured.begin() + kLongestNow, unmeasured.end(),
                         longer);
        unmeasured.resize(kLongestNow);
        for (int i = 0; i < std::min(count, 200); ++i) unmeasured.push_back(i);
      }
      m_nMeasureFrom = stillMeasuring ? measureFrom : 0;
    }
    m_pList = list;
    for (int row : unmeasured) {
      try {
        widest = std::max(widest, MeasuredWidth(row));
      } catch (const std::bad_alloc&) {
        result = RefillResult::OutOfMemory;
        rows = row;
        m_nMeasureFrom = -1;
        break;
      }
    }
    m_nWidest = widest;
    m_nListVersion = list->GetVersion();
    extent = ExtentFor(widest);
  }

  if (sameList && rows == m_nRows && extent == m_nExtent && rows > 0) {
    // Same lines, same sizes: new content only. The view repaints without laying out
    // every row again, which a reset would make it do.
    m_pClipText = clipText;
    emit dataChanged(index(0), index(rows - 1), {Qt::DisplayRole});
  } else {
    beginResetModel();
    m_pList = list;
    m_pClipText = clipText;
    m_nRows = rows;
    m_nExtent = extent;
    endResetModel();
  }
  if (IsMeasuring() && !wasMeasuring) QTimer::singleShot(0, this, &ClipListModel::MeasureSlice);
  return result;
}

void ClipListModel::MeasureSlice() {
  if (!IsMeasuring() || !m_pList) return;
  // About 15 ms of measuring, then the event loop runs again.
  constexpr int kSlice = 1500;
  const int count = std::min(m_nRows, m_pList->GetCount());
  int widest = 0;
  int measured = 0;
  int row = m_nMeasureFrom;
  try {
    for (; row < count && measured < kSlice; ++row) {
      if (m_pList->GetCachedWidth(row) < 0) ++measured;
      widest = std::max(widest, MeasuredWidth(row));
    }
  } catch (const std::bad_alloc&) {
    row = count;  // the extent stays as it is; the lines are shown all the same
  }
  m_nMeasureFrom = row < count ? row : -1;
  m_nWidest = std::max(m_nWidest, widest);
  if (ExtentFor(widest) > m_nExtent) {
    m_nExtent = ExtentFor(widest);
    emit ExtentChanged();
  }
  if (IsMeasuring()) QTimer::singleShot(0, this, &ClipListModel::MeasureSlice);
}

void ClipListModel::FinishMeasuring() {
  while (IsMeasuring()) MeasureSlice();
}

int ClipListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_nRows;
}

bool ClipListModel::IsMarked(int row) const {
  return m_pClipText && SameText(m_pList->GetAt(row), *m_pClipText);
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
