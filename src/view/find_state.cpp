#include "view/find_state.h"

#include "dialogs/find_dialog.h"
#include "view/tolvane_view.h"

namespace view {

void FindState::CloseDialog() {
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

FindState& TheFindState() {
  static FindState state;
  return state;
}

}  // namespace view
