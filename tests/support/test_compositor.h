#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

class CompositorLoop;

// A small Wayland compositor for the clipboard tests, on a thread of its own: a seat and
// the data-control managers it is told to offer, under the standard name (ext), the
// wlroots name (wlr), both or neither. It passes selections between its data-control
// clients as a desktop does: every device, the setter's too, is told of each new
// selection, and the previous source is cancelled. Primary selections go only to devices
// that can take them (ext, and wlr bound at version 2).
// The test side sets selections of its own and reads the current one as another program
// would; those calls may come from any thread and return once the compositor has done
// them.
class TestCompositor {
 public:
  enum Offers { kNone = 0, kExt = 1, kWlr = 2, kBoth = kExt | kWlr };

  struct TypedBytes {
    std::string type;
    std::string bytes;
  };

  explicit TestCompositor(Offers offers);
  ~TestCompositor();
  TestCompositor(const TestCompositor&) = delete;
  TestCompositor& operator=(const TestCompositor&) = delete;

  // The absolute path of its socket, for WAYLAND_DISPLAY; empty when it could not start.
  const std::string& Socket() const;

  // A selection of the compositor's own: it writes the bytes for any request of one of
  // the types, without holding up its loop however large they are.
  void SetSelection(std::vector<TypedBytes> content);
  // A selection whose owner takes every request and never answers it (until the
  // selection changes).
  void SetSilentSelection(std::vector<std::string> types);
  void SetPrimarySelection(std::vector<TypedBytes> content);
  void ClearSelection();

  // The current selection's bytes of `type` as its owner writes them, as a pasting
  // program reads them; none when there is no selection, it lacks the type, or its owner
  // does not finish within `timeoutMs`.
  std::optional<std::string> ReadSelection(const std::string& type, int timeoutMs = 5000);
  std::vector<std::string> SelectionTypes();

  // How many times clients set the clipboard selection (an empty one included).
  int ClientSelections();
  // How many data-control devices clients created under each name.
  int ExtDevices();
  int WlrDevices();

 private:
  std::unique_ptr<CompositorLoop> m_pLoop;
};

}  // namespace testing_support
