#include "framework/document.h"

#include <QApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cassert>
#include <exception>

#include "framework/archive.h"
#include "framework/file_exception.h"
#include "framework/file_loader.h"
#include "framework/safe_file_writer.h"
#include "platform/file_dialog.h"

#include "framework/doc_manager.h"
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

CWinApp* CDocument::GetApp() const { return m_pDocTemplate ? m_pDocTemplate->GetApp() : nullptr; }

void CDocument::UpdateAllViews(CView* sender, int hint) {
  // A copy: a view's refill may show a message box whose event loop closes windows.
  const std::vector<CView*> views = m_views;
  for (CView* view : views) {
    if (std::find(m_views.begin(), m_views.end(), view) != m_views.end()) {
      view->OnUpdate(sender, hint);
    }
  }
  if (CWinApp* app = GetApp()) app->RequestIdleUpdate();
}

void CDocument::AddView(CView* view) {
  assert(view && !view->GetDocument() && "a view belongs to one document, once");
  assert(std::find(m_views.begin(), m_views.end(), view) == m_views.end());
  m_views.push_back(view);
  view->SetDocument(this);
}

void CDocument::RemoveView(CView* view) {
  assert(view && view->GetDocument() == this && "only a view of this document leaves it");
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
  if (CWinApp* app = GetApp()) app->RequestIdleUpdate();
}

bool CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.clear();
  SetModifiedFlag(false);
  return true;
}

namespace {

// The wait cursor while a file is read or written.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void ReportFileFailure(const std::exception_ptr& error, const QString& path,
                       unsigned defaultTextId) {
  const FailureReport report = ReportForFailure(error, path.toStdString(), defaultTextId);
  QString text = LoadQString(report.textId);
  text.replace(QLatin1String("%1"), QString::fromStdString(report.path));
  AppMessageBox(text, platform::MbIcon::Exclamation);
}

void CDocument::Serialize(CArchive&) {}

bool CDocument::OnOpenDocument(const QString& path) {
  DeleteContents();
  SetModifiedFlag(true);
  try {
    WaitCursor wait;
    LoadFile(path.toStdString(), [this](CArchive& ar) { Serialize(ar); });
  } catch (...) {
    DeleteContents();
    ReportFileFailure(std::current_exception(), path, ids::IDS_FAILED_OPEN_DOC);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

bool CDocument::OnSaveDocument(const QString& path) {
  bool opened = false;
  try {
    WaitCursor wait;
    SaveFileSafely(path.toStdString(), [this, &opened](CArchive& ar) {
      opened = true;
      Serialize(ar);
    });
  } catch (...) {
    // Nothing of the failed save is left behind and the old file is as it was.
    ReportFileFailure(std::current_exception(), path,
                      opened ? ids::IDS_FAILED_SAVE_DOC : ids::IDS_INVALID_FILENAME);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

QStringList CDocument::DocumentFilters() const {
  QStringList filters;
  if (m_pDocTemplate) {
    const QString filter = m_pDocTemplate->GetDocString(CDocTemplate::filterName);
    if (!filter.isEmpty()) filters << filter;
  }
  filters << LoadQString(ids::IDS_ALL_FILES);
  return filters;
}

bool CDocument::DoSave(const QString& path) {
  QString target = path;
  if (target.isEmpty()) {
    QString proposed = m_strPathName;
    if (proposed.isEmpty()) {
      // The title before its first space or other character a name should not carry
      // (the modified marker goes with it), with the type's extension.
      proposed = GetTitle();
      const int cut = proposed.indexOf(QRegularExpression(QStringLiteral("[ #%;/\\\\]")));
      if (cut >= 0) proposed.truncate(cut);
      if (m_pDocTemplate) proposed += m_pDocTemplate->GetDocString(CDocTemplate::filterExt);
    }
    platform::FileDialogRequest request;
    request.save = true;
    request.title = LoadQString(ids::IDS_SAVE_TITLE);
    request.filters = DocumentFilters();
    if (m_pDocTemplate) {
      request.defaultSuffix = m_pDocTemplate->GetDocString(CDocTemplate::filterExt).mid(1);
    }
    request.proposedName = proposed;
    request.owner = QApplication::activeWindow();
    const std::optional<QString> chosen = platform::ShowFileDialog(request);
    if (!chosen) return false;
    target = CanonicalDocumentPath(*chosen);
  }
  if (!OnSaveDocument(target)) return false;
  if (target != m_strPathName) SetPathName(target);
  if (CWinApp* app = GetApp()) app->DocManager().AddToRecentFileList(target);
  return true;
}

bool CDocument::DoFileSave() {
  const QFileInfo file(m_strPathName);
  if (m_strPathName.isEmpty() || !file.exists() || !file.isWritable()) return DoSave(QString());
  return DoSave(m_strPathName);
}

void CDocument::OnFileSave() { DoFileSave(); }

void CDocument::OnFileSaveAs() { DoSave(QString()); }

void CDocument::SetPathName(const QString& path) {
  m_strPathName = path;
  const int slash = path.lastIndexOf(QLatin1Char('/'));
  SetTitle(path.mid(slash + 1));
}


bool CDocument::OnCmdMsg(unsigned id, CCmdUI* ui) {
  static const CommandMapEntry<CDocument> map[] = {
      {ids::ID_FILE_CLOSE, &CDocument::OnFileClose, nullptr},
      {ids::ID_FILE_SAVE, &CDocument::OnFileSave, nullptr},
      {ids::ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs, nullptr},
  };
  return DispatchCommandMap(this, map, id, ui);
}

void CDocument::OnFileClose() {
  if (!SaveModified()) return;
  if (m_pDocTemplate) m_pDocTemplate->CloseDocument(this);
}

}  // namespace fw
