#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <memory>
#include <string>
#include <vector>

namespace doc {
class CClipList;
}

namespace view {

class ItemWidthCache;

// The lines of a list view: line i shows item i of the document, led by the marker when
// the item equals the current clipboard text. Lines are built only for the rows Qt
// paints, so a refill costs the same whatever the number of items.
class ClipListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum class RefillResult { Complete, OutOfMemory };

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

  bool IsMarked(int row) const;
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
  // Shows the new lines: a repaint when only their content changed, else a reset.
  void Publish(const doc::CClipList* list, const std::string* clipText, bool sameList,
               const Layout& layout);
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
  // The next item to look at while measuring in slices; -1 when done.
  int m_nMeasureFrom = -1;
  // The widest measured text of m_pList as it was at version m_nListVersion.
  int m_nWidest = 0;
  unsigned m_nListVersion = 0;
};

}  // namespace view
