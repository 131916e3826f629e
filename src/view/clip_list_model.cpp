#include "view/clip_list_model.h"

#include <QFontMetrics>
#include <QSize>
#include <QTimer>
#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "document/clip_list.h"
#include "platform/alloc_fault.h"
#include "platform/code_page.h"
#include "view/display_line.h"
#include "view/item_width_cache.h"

namespace view {
namespace {

constexpr int kExtentMargin = 10;
// Measuring costs about 10 us a line: beyond a few thousand, the first lines and the
// longest ones now, which nearly always hold the widest, the rest later in slices.
constexpr std::size_t kMeasureNow = 3000;
constexpr std::size_t kLongestNow = 300;
constexpr int kFirstLines = 200;

QString ForDisplay(const std::string& line) {
  const std::string utf8 = DisplayUtf8(line, platform::SystemCodePage());
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

ClipListModel::ClipListModel(QObject* parent) : QAbstractListModel(parent) {}

ClipListModel::~ClipListModel() = default;

int ClipListModel::MeasuredWidth(int row) {
  int width = m_pWidths->Get(row);
  if (width >= 0) return width;
  platform::CheckAllocation();
  const std::string line = BuildDisplayLine(m_pList->GetAt(row), false, platform::SystemCodePage());
  width = QFontMetrics(m_font).horizontalAdvance(ForDisplay(line.substr(2)));
  m_pWidths->Set(row, width);
  return width;
}

int ClipListModel::ExtentFor(int widest) const { return widest + m_nMarkerWidth + kExtentMargin; }

ClipListModel::RefillResult ClipListModel::Refill(const doc::CClipList* list,
                                                  const std::string* clipText,
                                                  const QFont& font) {
  const bool sameList = list == m_pList;
  const bool wasMeasuring = IsMeasuring();
  const int resumeFrom = std::exchange(m_nMeasureFrom, -1);
  m_nMovedFrom = -1;
  m_lastChange = LineChange::Other;
  if (sameList && list) {
    m_nMovedFrom = m_moves.MovedFrom(list->GetVersion(), list->GetCount());
    if (m_moves.Unchanged(list->GetVersion())) m_lastChange = LineChange::Marker;
    if (m_nMovedFrom >= 0) m_lastChange = LineChange::ToHead;
  }
  m_moves.Restart(list);
  Layout layout{list ? list->GetCount() : 0, m_nExtent};
  if (!list) m_pWidths.reset();
  if (layout.rows > 0) {
    TakeFontMetrics(font);
    layout = MeasureFor(*list, sameList, resumeFrom);
  }
  Publish(list, clipText, sameList, layout);
  if (IsMeasuring() && !wasMeasuring) QTimer::singleShot(0, this, &ClipListModel::MeasureSlice);
  return layout.result;
}

void ClipListModel::TakeFontMetrics(const QFont& font) {
  // Shaping the marker costs more than the rest of a capture's refill: it is measured
  // again only when the font or the marker changes.
  std::string marker(platform::MarkerBytes(platform::SystemCodePage()));
  if (m_bMetricsTaken && font == m_font && marker == m_marker) return;
  const QFontMetrics metrics(font);
  m_font = font;
  m_marker = std::move(marker);
  m_bMetricsTaken = true;
  m_nMarkerWidth = std::max(metrics.horizontalAdvance(ForDisplay(m_marker)),
                            metrics.horizontalAdvance(QStringLiteral("  ")));
  m_nLineHeight = metrics.height() + 2;
}

ClipListModel::Layout ClipListModel::MeasureFor(const doc::CClipList& list, bool sameList,
                                                int resumeFrom) {
  const int count = list.GetCount();
  m_pList = &list;
  try {
    if (!m_pWidths || m_pWidths->ObservedList() != &list) m_pWidths = ItemWidthCache::For(list);
    m_pWidths->CatchUp();
  } catch (const std::bad_alloc&) {
    m_pWidths.reset();
    return {0, m_nExtent, RefillResult::OutOfMemory};
  }
  // A refill for the clipboard's marker alone leaves the list as it was: nothing to look
  // at again. Otherwise the cache's counts say what waits, without a look at every line.
  const bool unchanged = sameList && list.GetVersion() == m_nListVersion && count == m_nRows;
  const bool slicesGoOn = sameList && resumeFrom >= 0;
  const auto waiting = static_cast<std::size_t>(unchanged ? 0 : m_pWidths->UnmeasuredCount());
  int widest = unchanged ? m_nWidest : m_pWidths->Widest();
  const std::vector<int> now = RowsToMeasureNow(list, waiting, slicesGoOn);
  if (unchanged) m_nMeasureFrom = resumeFrom;
  if (waiting > kMeasureNow) m_nMeasureFrom = slicesGoOn ? resumeFrom : 0;

  Layout layout{count, 0};
  for (int row : now) {
    try {
      widest = std::max(widest, MeasuredWidth(row));
    } catch (const std::bad_alloc&) {
      layout.result = RefillResult::OutOfMemory;
      layout.rows = row;
      m_nMeasureFrom = -1;
      break;
    }
  }
  m_nWidest = widest;
  m_nListVersion = list.GetVersion();
  layout.extent = ExtentFor(widest);
  return layout;
}

std::vector<int> ClipListModel::RowsToMeasureNow(const doc::CClipList& list, std::size_t waiting,
                                                 bool slicesGoOn) const {
  const int count = list.GetCount();
  if (waiting <= kMeasureNow) return UnmeasuredRows(count, waiting);
  // The slices go on; only what this refill added is measured now.
  if (slicesGoOn) return UnmeasuredRows(std::min(count, kFirstLines), waiting);
  std::vector<int> rows = UnmeasuredRows(count, waiting);
  const auto longer = [&list](int a, int b) { return list.GetAt(a).size() > list.GetAt(b).size(); };
  std::nth_element(rows.begin(), rows.begin() + kLongestNow, rows.end(), longer);
  rows.resize(kLongestNow);
  for (int i = 0; i < std::min(count, kFirstLines); ++i) rows.push_back(i);
  return rows;
}

std::vector<int> ClipListModel::UnmeasuredRows(int within, std::size_t limit) const {
  std::vector<int> rows;
  for (int i = 0; i < within && rows.size() < limit; ++i) {
    if (m_pWidths->Get(i) < 0) rows.push_back(i);
  }
  return rows;
}

void ClipListModel::Publish(const doc::CClipList* list, const std::string* clipText,
                            bool sameList, const Layout& layout) {
  if (m_lastChange == LineChange::ToHead && layout.rows == m_nRows + 1 &&
      layout.extent == m_nExtent) {
    // One line more at the head: every line drawn moves down (the view moves them).
    m_lastChange = LineChange::Added;
    m_pClipText = clipText;
    beginInsertRows(QModelIndex(), 0, 0);
    m_nRows = layout.rows;
    endInsertRows();
    MoveDrawnMarked();
    return;
  }
  if (sameList && layout.rows == m_nRows && layout.extent == m_nExtent && layout.rows > 0) {
    m_pClipText = clipText;
    if (m_lastChange != LineChange::Other) {
      // The view moves the lines it has drawn and draws again only those whose look
      // changed (LastChange): no announcement, which would make it draw every line.
      MoveDrawnMarked();
      return;
    }
    // Same lines, same sizes: new content only. The list box repaints the lines in view
    // and keeps its current line and selection, which a reset would drop.
    m_drawnMarked.clear();
    emit dataChanged(index(0), index(layout.rows - 1), {Qt::DisplayRole});
    return;
  }
  m_lastChange = LineChange::Other;
  m_drawnMarked.clear();
  beginResetModel();
  m_pList = list;
  m_pClipText = clipText;
  m_nRows = layout.rows;
  m_nExtent = layout.extent;
  endResetModel();
}

void ClipListModel::MoveDrawnMarked() {
  if (m_lastChange != LineChange::ToHead && m_lastChange != LineChange::Added) return;
  std::vector<int> moved;
  for (int row : m_drawnMarked) {
    // The moved item's old line is drawn over; the head line is drawn anew.
    if (row < m_nMovedFrom) moved.push_back(row + 1);
    if (row > m_nMovedFrom) moved.push_back(row);
  }
  m_drawnMarked.swap(moved);
}

void ClipListModel::NoteDrawnMarker(int row, bool marked) const {
  const auto drawn = std::find(m_drawnMarked.begin(), m_drawnMarked.end(), row);
  if (marked && drawn == m_drawnMarked.end()) m_drawnMarked.push_back(row);
  if (!marked && drawn != m_drawnMarked.end()) m_drawnMarked.erase(drawn);
}

void ClipListModel::MoveWatch::Restart(const doc::CClipList* list) {
  Observe(list);
  m_nVersion = list ? list->GetVersion() : 0;
  m_nRemoved = -1;
  m_bToHead = false;
  m_bOther = false;
}

int ClipListModel::MoveWatch::MovedFrom(unsigned version, int count) const {
  if (!m_bToHead || m_bOther) return -1;
  // The changes seen are all that were made: a removal and an insertion, or an insertion
  // alone, which moves every line down as if the new one had come from the end.
  if (m_nRemoved >= 0) return version == m_nVersion + 2 ? m_nRemoved : -1;
  return version == m_nVersion + 1 ? count - 1 : -1;
}

void ClipListModel::MoveWatch::OnRemoved(int position) noexcept {
  if (m_nRemoved >= 0 || m_bToHead) m_bOther = true;
  m_nRemoved = position;
}

void ClipListModel::MoveWatch::OnInserted(int position) noexcept {
  if (position != 0 || m_bToHead) m_bOther = true;
  m_bToHead = true;
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
    if (m_pWidths->CatchUp()) row = 0;
    for (; row < count && measured < kSlice; ++row) {
      if (m_pWidths->Get(row) < 0) ++measured;
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
    case Qt::DisplayRole: {
      // What is handed out here is drawn: the rows drawn with the marker are known
      // when it moves.
      const int row = index.row();
      const bool marked = IsMarked(row);
      NoteDrawnMarker(row, marked);
      return ForDisplay(BuildDisplayLine(m_pList->GetAt(row), marked, platform::SystemCodePage()));
    }
    case Qt::SizeHintRole:
      // Every line has this size: it also sets the horizontal scroll range.
      return QSize(m_nExtent, m_nLineHeight);
    default:
      return {};
  }
}

}  // namespace view
