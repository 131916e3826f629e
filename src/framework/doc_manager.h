#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "framework/recent_file_list.h"

namespace fw {

class CDocTemplate;
class CDocument;
class CommandBars;
struct MenuListEntry;

// Owns the document templates and answers for the open documents as a whole: the New
// and Open flows, "the document open at this path" and closing everything. Every way of
// opening a file (the Open command, recent files, dropped files, the command line, the
// start-up file, another instance) goes through OpenDocumentFile, which is also where a
// failure of those flows is caught and reported.
class CDocManager {
 public:
  CDocManager();
  ~CDocManager();
  CDocManager(const CDocManager&) = delete;
  CDocManager& operator=(const CDocManager&) = delete;

  void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
  // The first template (the program has one).
  CDocTemplate* GetDocTemplate() const;

  // Every open document, template by template, oldest first.
  std::vector<CDocument*> GetDocuments() const;
  // The open document whose path is exactly `path` (Linux names differ by case), or null.
  CDocument* FindDocumentByPath(const QString& path) const;

  // A new untitled document with its window; null after a message.
  CDocument* OpenNewDocument();
  // The document of the file at `path`: the one already open there (its window
  // activated), or a new one read from the file; null after a message.
  CDocument* OpenDocumentFile(const QString& path);

  // The recent-file list: OpenDocumentFile adds each file it reads, the save flow the
  // path it saved to.
  CRecentFileList& RecentFileList() { return m_recentFileList; }
  void AddToRecentFileList(const QString& path);
  // Opens recent-file entry `index`; an entry that fails to open leaves the list.
  CDocument* OpenRecentFile(int index);
  // Shows the entries in the File menu in place of the recent-file placeholder.
  void AttachRecentFileMenu(CommandBars& bars);
  std::vector<MenuListEntry> RecentFileMenuEntries() const;

  // Closes every document and its windows, newest first, without asking.
  void CloseAllDocuments();
  // Asks each document whether it may close; false as soon as one says no.
  bool SaveAllModified();

 private:
  std::vector<std::unique_ptr<CDocTemplate>> m_templates;
  CRecentFileList m_recentFileList;
};

// The absolute form of a path as documents are known by: relative to the current
// directory, "." and ".." resolved, a symbolic link followed to its target.
QString CanonicalDocumentPath(const QString& path);

}  // namespace fw
