#include "view/find_state.h"

#include "dialogs/find_dialog.h"
#include "view/tolvane_view.h"

namespace view {

void FindState::OpenDialog(CTolvaneView* owner, dialogs::CFindDialog* dialog) {
  m_pOwnerView = owner;
  m_pFindDialog = dialog;
  // The dialog is the context: the link ends with the dialog too.
  m_ownerGone = QObject::connect(owner, &QObject::destroyed, dialog, [this] { CloseDialog(); });
}

void FindState::CloseDialog() {
  QObject::disconnect(m_ownerGone);
  if (dialogs::CFindDialog* dialog = m_pFindDialog) {
    m_placement = dialog->frameGeometry();
    dialog->hide();
    // Later: the dialog may be inside its own signal.
    dialog->deleteLater();
  }
  m_pFindDialog = nullptr;
  m_pOwnerView = nullptr;
}

void FindState::CloseDialogOwnedBy(const CTolvaneView* view) {
  if (m_pFindDialog && m_pOwnerView == view) CloseDialog();
}

}  // namespace view
