#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <string>

namespace dialogs {
class CFindDialog;
}

namespace view {

class CTolvaneView;

// The find dialog's state for the whole run, shared by the program's views: at most one
// dialog, bound to the view that opened it, and what the next opening offers again (text,
// direction, place). Nothing of it is saved between runs.
struct FindState {
  FindState() = default;
  FindState(const FindState&) = delete;
  FindState& operator=(const FindState&) = delete;
  // An open dialog closes with the state it belongs to.
  ~FindState() { CloseDialog(); }

  QPointer<CTolvaneView> m_pOwnerView;
  QPointer<dialogs::CFindDialog> m_pFindDialog;
  std::string m_strLastFind;
  int m_bSearchDown = 1;
  int m_bFirstOpen = 1;
  // The dialog's outer rectangle when it last closed.
  QRect m_placement;

  // `dialog` is the open one, owned by `owner`: it closes when the owner goes.
  void OpenDialog(CTolvaneView* owner, dialogs::CFindDialog* dialog);
  // Saves the open dialog's place, destroys its window and forgets dialog and owner.
  void CloseDialog();
  // The same, only when `view` owns the open dialog.
  void CloseDialogOwnedBy(const CTolvaneView* view);

 private:
  QMetaObject::Connection m_ownerGone;
};

}  // namespace view
