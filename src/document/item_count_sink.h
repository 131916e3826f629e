#pragma once

namespace doc {

// Where a list's item count is shown: the main window's item-count pane.
class ItemCountSink {
 public:
  virtual void UpdateItemCount(unsigned count) = 0;

 protected:
  ~ItemCountSink() = default;
};

}  // namespace doc
