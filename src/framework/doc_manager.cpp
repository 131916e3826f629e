#include "framework/doc_manager.h"

#include <QDir>
#include <QFileInfo>
#include <exception>
#include <new>

#include "framework/command_bars.h"
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
    CDocument* doc = docTemplate->OpenDocumentFile(absolute);
    if (doc) AddToRecentFileList(doc->GetPathName());
    return doc;
  } catch (...) {
    ReportEscapedFailure(std::current_exception(), /*inCommand=*/false);
  }
  return nullptr;
}

void CDocManager::AddToRecentFileList(const QString& path) {
  m_recentFileList.Add(path.toStdString());
}

CDocument* CDocManager::OpenRecentFile(int index) {
  if (index < 0 || index >= m_recentFileList.GetSize()) return nullptr;
  const std::string path = m_recentFileList[index];
  if (path.empty()) return nullptr;
  CDocument* doc = OpenDocumentFile(QString::fromStdString(path));
  if (doc) return doc;
  // The open flow has told the user why; the entry may have moved meanwhile.
  for (int i = 0; i < m_recentFileList.GetSize(); ++i) {
    if (m_recentFileList[i] == path) {
      m_recentFileList.Remove(i);
      break;
    }
  }
  return nullptr;
}

void CDocManager::AttachRecentFileMenu(CommandBars& bars) {
  bars.AddListProvider(ids::ID_FILE_MRU_FILE1, CommandBars::ListPlacement::ReplaceAnchor,
                       [this] { return RecentFileMenuEntries(); });
}

std::vector<MenuListEntry> CDocManager::RecentFileMenuEntries() const {
  std::vector<MenuListEntry> entries;
  const std::string currentDirectory = QDir::currentPath().toStdString();
  for (int i = 0; i < m_recentFileList.GetSize() && !m_recentFileList[i].empty(); ++i) {
    QString name = QString::fromStdString(m_recentFileList.GetDisplayName(i, currentDirectory));
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    MenuListEntry entry;
    entry.text = QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(name);
    entry.id = ids::ID_FILE_MRU_FILE1 + static_cast<unsigned>(i);
    entries.push_back(std::move(entry));
  }
  return entries;
}

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
