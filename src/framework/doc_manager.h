#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace fw {

class CDocTemplate;
class CDocument;

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

  // A file was opened or saved under `path`.
  void AddToRecentFileList(const QString& path);

  // Closes every document and its windows, newest first, without asking.
  void CloseAllDocuments();
  // Asks each document whether it may close; false as soon as one says no.
  bool SaveAllModified();

 private:
  std::vector<std::unique_ptr<CDocTemplate>> m_templates;
};

// The absolute form of a path as documents are known by: relative to the current
// directory, "." and ".." resolved, a symbolic link followed to its target.
QString CanonicalDocumentPath(const QString& path);

}  // namespace fw
