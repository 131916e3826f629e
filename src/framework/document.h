#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <vector>

#include "framework/cmd_target.h"

namespace fw {

class CArchive;
class CView;
class CDocTemplate;
class CMDIChildWnd;
class CWinApp;

// The base of a document: title, path, modified flag and the views that show it.
class CDocument : public CCmdTarget {
 public:
  CDocument() = default;
  ~CDocument() override;
  CDocument(const CDocument&) = delete;
  CDocument& operator=(const CDocument&) = delete;

  const QString& GetTitle() const { return m_strTitle; }
  // Sets the title and retitles every window of the document.
  virtual void SetTitle(const QString& title);
  const QString& GetPathName() const { return m_strPathName; }
  // The document's file: the path, and the file's name as its title.
  virtual void SetPathName(const QString& path);

  bool IsModified() const { return m_bModified; }
  virtual void SetModifiedFlag(bool modified = true);

  // Passes the sender and the hint to OnUpdate of every view.
  void UpdateAllViews(CView* sender, int hint);

  const std::vector<CView*>& GetViews() const { return m_views; }
  void AddView(CView* view);
  void RemoveView(CView* view);
  // The windows that show this document, in the order of its views.
  std::vector<CMDIChildWnd*> GetFrames() const;
  // Renumbers the windows (":1", ":2" when there are several) and sets their captions.
  void UpdateFrameTitles();

  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  void SetDocTemplate(CDocTemplate* docTemplate) { m_pDocTemplate = docTemplate; }

  // New-document set-up: DeleteContents, empty path, not modified.
  virtual bool OnNewDocument();
  // Reads the document from the file at `path`; false after the failure was reported.
  virtual bool OnOpenDocument(const QString& path);
  // Writes the document to the file at `path`, safely; false after the failure was
  // reported (the document then stays modified).
  virtual bool OnSaveDocument(const QString& path);
  // Writes the document to a storing archive, or reads it from a loading one.
  virtual void Serialize(CArchive& ar);

  // Save: under the document's path, or with a name asked for when it has none, the file
  // is gone or it is read-only. Save As: always asks. False when nothing was saved.
  bool DoFileSave();
  bool DoSave(const QString& path);
  virtual void DeleteContents() {}
  // Whether the document may close; the default asks nothing.
  virtual bool SaveModified() { return true; }

  bool OnCmdMsg(unsigned id, CCmdUI* ui) override;

 protected:
  // Close: the save check, then every window of the document.
  void OnFileClose();
  void OnFileSave();
  void OnFileSaveAs();
  // The file dialog filters of the document type: its own, then all files.
  QStringList DocumentFilters() const;

  bool m_bModified = false;

 private:
  // The application of the document's template; null for a document without one.
  CWinApp* GetApp() const;

  QString m_strTitle;
  QString m_strPathName;
  std::vector<CView*> m_views;
  CDocTemplate* m_pDocTemplate = nullptr;
};

// Tells the user why loading or saving `path` failed: the file or format error's own
// text with its path, else `defaultTextId`.
void ReportFileFailure(const std::exception_ptr& error, const QString& path,
                       unsigned defaultTextId);

}  // namespace fw
