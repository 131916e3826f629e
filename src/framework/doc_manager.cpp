#include "framework/doc_manager.h"

#include <QDir>
#include <QFileInfo>
#include <exception>
#include <new>

#include "framework/doc_template.h"
#include "framework/document.h"
#include "framework/framework_ids.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/win_app.h"

namespace fw {

CDocManager::CDocManager() = default;

CDocManager::~CDocManager() {
  // Windows first: their views still point at the documents.
  CloseAllDocuments();
  m_templates.clear();
}

void CDocManager::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
  m_templates.push_back(std::move(docTemplate));
}

CDocTemplate* CDocManager::GetDocTemplate() const {
  return m_templates.empty() ? nullptr : m_templates.front().get();
}

std::vector<CDocument*> CDocManager::GetDocuments() const {
  std::vector<CDocument*> docs;
  for (const auto& docTemplate : m_templates) {
    for (const auto& doc : docTemplate->GetDocuments()) docs.push_back(doc.get());
  }
  return docs;
}

CDocument* CDocManager::FindDocumentByPath(const QString& path) const {
  if (path.isEmpty()) return nullptr;
  for (CDocument* doc : GetDocuments()) {
    if (doc->GetPathName() == path) return doc;
  }
  return nullptr;
}

CDocument* CDocManager::OpenNewDocument() {
  CDocTemplate* docTemplate = GetDocTemplate();
  return docTemplate ? docTemplate->OpenDocumentFile(QString()) : nullptr;
}

CDocument* CDocManager::OpenDocumentFile(const QString& path) {
  const QString absolute = CanonicalDocumentPath(path);
  if (CDocument* open = FindDocumentByPath(absolute)) {
    const std::vector<CMDIChildWnd*> frames = open->GetFrames();
    if (!frames.empty()) {
      if (CMDIFrameWnd* main = frames.front()->GetMDIFrame()) {
        main->MDIActivate(frames.front());
        main->activateWindow();
      }
    }
    return open;
  }
  CDocTemplate* docTemplate = GetDocTemplate();
  if (!docTemplate) return nullptr;
  // The boundary of every open flow: a failure that escapes the template's own reports
  // ends here with one message, and the program goes on.
  try {
    return docTemplate->OpenDocumentFile(absolute);
  } catch (const std::bad_alloc&) {
    AppMessageBox(ids::IDS_MEMORY_EXCEPTION, platform::MbIcon::Exclamation,
                  platform::MbButtons::Ok, 0, /*systemModal=*/true);
  } catch (const std::exception&) {
    AppMessageBox(ids::IDS_FAILED_OPEN_DOC, platform::MbIcon::Exclamation);
  }
  return nullptr;
}

void CDocManager::AddToRecentFileList(const QString&) {}

void CDocManager::CloseAllDocuments() {
  for (const auto& docTemplate : m_templates) {
    while (!docTemplate->GetDocuments().empty()) {
      docTemplate->CloseDocument(docTemplate->GetDocuments().back().get());
    }
  }
}

bool CDocManager::SaveAllModified() {
  for (CDocument* doc : GetDocuments()) {
    if (!doc->SaveModified()) return false;
  }
  return true;
}

QString CanonicalDocumentPath(const QString& path) {
  if (path.isEmpty()) return path;
  const QFileInfo info(QDir::current(), path);
  const QString target = info.canonicalFilePath();  // empty when the file is missing
  return target.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : target;
}

}  // namespace fw
