#include "framework/document.h"

#include <algorithm>

#include "framework/doc_template.h"
#include "framework/mdi_child_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"
#include "framework/framework_ids.h"

namespace fw {

CDocument::~CDocument() {
  for (CView* view : m_views) view->SetDocument(nullptr);
}

void CDocument::SetTitle(const QString& title) {
  m_strTitle = title;
  UpdateFrameTitles();
}

void CDocument::SetModifiedFlag(bool modified) { m_bModified = modified; }

void CDocument::UpdateAllViews(CView* sender, int hint) {
  // A copy: a view's refill may show a message box whose event loop closes windows.
  const std::vector<CView*> views = m_views;
  for (CView* view : views) {
    if (std::find(m_views.begin(), m_views.end(), view) != m_views.end()) {
      view->OnUpdate(sender, hint);
    }
  }
  if (CWinApp* app = CWinApp::Get()) app->RequestIdleUpdate();
}

void CDocument::AddView(CView* view) {
  m_views.push_back(view);
  view->SetDocument(this);
}

void CDocument::RemoveView(CView* view) {
  m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
  view->SetDocument(nullptr);
  UpdateFrameTitles();
}

std::vector<CMDIChildWnd*> CDocument::GetFrames() const {
  std::vector<CMDIChildWnd*> frames;
  for (CView* view : m_views) {
    if (CMDIChildWnd* frame = view->GetParentFrame()) frames.push_back(frame);
  }
  return frames;
}

void CDocument::UpdateFrameTitles() {
  const std::vector<CMDIChildWnd*> frames = GetFrames();
  int number = frames.size() > 1 ? 1 : 0;
  for (CMDIChildWnd* frame : frames) {
    frame->SetWindowNumber(number);
    if (number > 0) ++number;
  }
  if (CWinApp* app = CWinApp::Get()) app->RequestIdleUpdate();
}

bool CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.clear();
  SetModifiedFlag(false);
  return true;
}

void CDocument::SetPathName(const QString& path) {
  m_strPathName = path;
  const int slash = path.lastIndexOf(QLatin1Char('/'));
  SetTitle(path.mid(slash + 1));
}

bool CDocument::OnOpenDocument(const QString&) { return false; }

bool CDocument::OnCmdMsg(unsigned id, CCmdUI* ui) {
  static const CommandMapEntry<CDocument> map[] = {
      {ids::ID_FILE_CLOSE, &CDocument::OnFileClose, nullptr},
  };
  return DispatchCommandMap(this, map, id, ui);
}

void CDocument::OnFileClose() {
  if (!SaveModified()) return;
  if (m_pDocTemplate) m_pDocTemplate->CloseDocument(this);
}

}  // namespace fw
