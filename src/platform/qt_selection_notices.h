#pragma once

#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace platform {

// Qt's clipboard asks the X server to tell it of every new owner of the clipboard and of
// the primary selection: each copy or text selection anywhere on the desktop then wakes
// Qt's event thread and, through it, the window's thread. The program reads the clipboard
// on a thread of its own; Qt needs to hear of new owners only while one of its edit boxes
// may paste. This turns Qt's notices off and on. Turning them on tells Qt that the owners
// may have changed meanwhile, so that it drops the formats it listed for an earlier owner.
// Qt also stamps its requests to the server with the newest time it has seen in its own
// events; without the notices that time may be older than another program's copy, and the
// server would ignore Qt's taking the clipboard after it: CatchUpTime hands Qt the time.
class QtSelectionNotices {
 public:
  // Finds the window Qt's clipboard listens on, among the top-level windows of Qt's
  // connection (ids in the range ownBase/ownMask); null when there is none.
  // `clipboardAtom`: the CLIPBOARD atom, as the reader interned it.
  static std::unique_ptr<QtSelectionNotices> Find(xcb_connection_t* connection,
                                                  std::uint32_t ownBase, std::uint32_t ownMask,
                                                  std::uint32_t clipboardAtom);
  // Leaves Qt hearing of new owners, as it was found.
  ~QtSelectionNotices();

  // Notices start on, as Qt asked for them. `newestChangeTime` is the server's time at the
  // newest change of the clipboard's owner (0: none seen).
  void SetHeard(bool bHeard, std::uint32_t newestChangeTime);
  // Makes Qt's time at least `newestChangeTime`, at once.
  static void CatchUpTime(std::uint32_t newestChangeTime);

 private:
  QtSelectionNotices(xcb_connection_t* connection, std::uint32_t window);

  xcb_connection_t* m_pConnection;
  std::uint32_t m_window;
  std::uint32_t m_clipboardAtom = 0;
  std::uint8_t m_nFixesEventBase = 0;
  bool m_bHeard = true;
};

}  // namespace platform
