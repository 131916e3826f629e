#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <memory>

#include "document/clip_list.h"
#include <string>
#include <vector>

namespace view {

class ItemWidthCache;

// The lines of a list view: line i shows item i of the document, led by the marker when
// the item equals the current clipboard text. Lines are built only for the rows Qt
// paints, so a refill costs the same whatever the number of items.
class ClipListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum class RefillResult { Complete, OutOfMemory };
  // What the last refill changed in the lines already drawn. Marker: the same items in
  // the same places, only the marker may have moved. ToHead: one item came to the head
  // from MovedFrom() (a capture of a listed text), and the lines above that place moved one
  // down. Added: a new item at the head, every line one down, the selection with them.
  // Other: anything else, drawn again as a whole.
  enum class LineChange { Marker, ToHead, Added, Other };

  explicit ClipListModel(QObject* parent = nullptr);
  ~ClipListModel() override;

  // Shows `list` anew with `clipText` marked; measures the items not measured before for
  // the horizontal extent (widest line + 10 pixels). Stops at the first item whose line
  // could not be made for lack of memory: the lines before it stay. A list with many
  // unmeasured items (a file just opened) is shown at once: its first lines and its
  // longest ones are measured now, the rest a slice at a time while the program idles,
  // and the extent grows when a wider line turns up (ExtentChanged).
  RefillResult Refill(const doc::CClipList* list, const std::string* clipText, const QFont& font);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  int HorizontalExtent() const { return m_nExtent; }
  // Whether some items still wait to be measured.
  bool IsMeasuring() const { return m_nMeasureFrom >= 0; }
  // Measures every item still waiting (tests, and anything that needs the final extent).
  void FinishMeasuring();
  int LineHeight() const { return m_nLineHeight; }
  LineChange LastChange() const { return m_lastChange; }
  int MovedFrom() const { return m_nMovedFrom; }
  // Whether a row's line carries the marker now, and the rows last drawn with it (as
  // they stand after the last refill).
  bool IsMarked(int row) const;
  const std::vector<int>& DrawnMarked() const { return m_drawnMarked; }
  // The display text of a row as the list shows it.
  QString DisplayText(int row) const;
  // The display line of a row in the system code page (marker, text, shortening).
  std::string DisplayLine(int row) const;

 signals:
  void ExtentChanged();

 private:
  // What a refill shows: how many lines, how wide, and whether all could be made.
  struct Layout {
    int rows;
    int extent;
    RefillResult result = RefillResult::Complete;
  };

  // Follows the list between two refills: whether its changes add up to one item
  // moved to the head (a removal, then an insertion at the head).
  class MoveWatch : public doc::CClipList::Observer {
   public:
    void Restart(const doc::CClipList* list);
    bool Unchanged(unsigned version) const { return version == m_nVersion; }
    // The place the head item came from (the last line of `count` for an item added),
    // or -1 when the changes were anything else.
    int MovedFrom(unsigned version, int count) const;
    void OnInserted(int position) noexcept override;
    void OnRemoved(int position) noexcept override;
    void OnReplaced(int) noexcept override { m_bOther = true; }
    void OnRemovedAll() noexcept override { m_bOther = true; }

   private:
    unsigned m_nVersion = 0;
    int m_nRemoved = -1;
    bool m_bToHead = false;
    bool m_bOther = false;
  };

  void TakeFontMetrics(const QFont& font);
  // Measures what `list` needs measured now and plans the slices for the rest; the
  // lines end before the first one that could not be measured for lack of memory.
  // `resumeFrom` is where the slices had got to, -1 when none were under way.
  Layout MeasureFor(const doc::CClipList& list, bool sameList, int resumeFrom);
  // The rows to measure at once out of `waiting` unmeasured ones.
  std::vector<int> RowsToMeasureNow(const doc::CClipList& list, std::size_t waiting,
                                    bool slicesGoOn) const;
  // The first `limit` unmeasured rows among the first `within` rows.
  std::vector<int> UnmeasuredRows(int within, std::size_t limit) const;
  // Shows the new lines: nothing to announce when the lines drawn can be moved (the view
  // moves them), a repaint when only their content changed, else a reset.
  void Publish(const doc::CClipList* list, const std::string* clipText, bool sameList,
               const Layout& layout);
  // Where the drawn marker went with the lines moved by the last refill.
  void MoveDrawnMarked();
  void NoteDrawnMarker(int row, bool marked) const;
  // The display width of item `row`, measured now when it is not known yet.
  int MeasuredWidth(int row);
  int ExtentFor(int widest) const;
  void MeasureSlice();

  const doc::CClipList* m_pList = nullptr;
  // The widths of m_pList's items, shared with the other views of the same list.
  std::shared_ptr<ItemWidthCache> m_pWidths;
  const std::string* m_pClipText = nullptr;
  int m_nRows = 0;
  int m_nExtent = 0;
  int m_nLineHeight = 16;
  int m_nMarkerWidth = 0;
  QFont m_font;
  std::string m_marker;  // the marker m_nMarkerWidth was measured for
  bool m_bMetricsTaken = false;
  // The next item to look at while measuring in slices; -1 when done.
  int m_nMeasureFrom = -1;
  // The widest measured text of m_pList as it was at version m_nListVersion.
  int m_nWidest = 0;
  unsigned m_nListVersion = 0;
  MoveWatch m_moves;
  LineChange m_lastChange = LineChange::Other;
  int m_nMovedFrom = -1;
  // Rows whose line was handed out with the marker for drawing.
  mutable std::vector<int> m_drawnMarked;
};

}  // namespace view
