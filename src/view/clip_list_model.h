#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <string>

namespace doc {
class CClipList;
}

namespace view {

// The lines of a list view: line i shows item i of the document, led by the marker when
// the item equals the current clipboard text. Lines are built only for the rows Qt
// paints, so a refill costs the same whatever the number of items.
class ClipListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum class RefillResult { Complete, OutOfMemory };

  explicit ClipListModel(QObject* parent = nullptr);

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
  bool IsMarked(int row) const;
  // The display width of item `row`, measured now when it is not known yet.
  int MeasuredWidth(int row);
  int ExtentFor(int widest) const;
  void MeasureSlice();

  const doc::CClipList* m_pList = nullptr;
  const std::string* m_pClipText = nullptr;
  int m_nRows = 0;
  int m_nExtent = 0;
  int m_nLineHeight = 16;
  int m_nMarkerWidth = 0;
  QFont m_font;
  int m_nMeasureFrom = -1;
  // The widest measured text of m_pList as it was at version m_nListVersion.
  int m_nWidest = 0;
  unsigned m_nListVersion = 0;  // next item to look at while measuring in slices; -1 when done
};

}  // namespace view
