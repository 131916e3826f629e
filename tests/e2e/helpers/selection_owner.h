#pragma once

#include <xcb/xcb.h>

#include <string>
#include <vector>

// A minimal owner of the CLIPBOARD selection for the end-to-end helpers.
class SelectionOwner {
 public:
  // How the owner answers requests for its content.
  enum class Answer { Everything, TargetsOnly, Nothing };

  // Connects to $DISPLAY and makes the owner's window; exits the process on failure.
  SelectionOwner();
  ~SelectionOwner();

  xcb_connection_t* Connection() const { return m_pConnection; }
  xcb_atom_t Atom(const char* name) const;

  // Takes the clipboard with `text` as its content and waits until the server agrees.
  void Take(const std::string& text, Answer answer);
  // Marks the content as a password managers' secret.
  void MarkSecret() { m_bSecret = true; }
  // Serves requests for up to `ms` milliseconds (forever for a negative value); false once
  // another program took the clipboard.
  bool Serve(int ms);

 private:
  void Answer(const xcb_selection_request_event_t& request);
  xcb_timestamp_t ServerTime();

  xcb_connection_t* m_pConnection = nullptr;
  xcb_window_t m_window = 0;
  xcb_atom_t m_clipboard = 0;
  std::string m_strText;
  enum Answer m_answer = Answer::Everything;
  bool m_bOwner = false;
  bool m_bSecret = false;
};
