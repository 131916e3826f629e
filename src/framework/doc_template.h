#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "framework/cmd_target.h"

namespace fw {

class CDocument;
class CMDIChildWnd;
class CView;
class CWinApp;

// Ties a document class to its window and view classes and owns the open documents.
class CDocTemplate : public CCmdTarget {
 public:
  using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
  using FrameFactory = std::function<CMDIChildWnd*()>;
  using ViewFactory = std::function<CView*()>;

  // The fields of the template string, separated by newlines.
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId,
                        regFileTypeName };

  CDocTemplate(unsigned resourceId, QString templateString, DocumentFactory makeDocument,
               FrameFactory makeFrame, ViewFactory makeView);
  ~CDocTemplate() override;

  // The application whose main window holds the documents' windows; null until the
  // template is added to one.
  CWinApp* GetApp() const { return m_pApp; }
  void SetApp(CWinApp* app) { m_pApp = app; }

  unsigned GetResourceId() const { return m_nIDResource; }
  QString GetDocString(DocStringIndex index) const;

  // The one creation path of New and Open: document, window and view; then, for an empty
  // path, the default title, the new-document set-up and the untitled counter, else the
  // document read from `path` (absolute). A failure tears the half-made document and its
  // window down again and returns null after a message.
  CDocument* OpenDocumentFile(const QString& path);
  CDocument* OpenNewDocument();
  // The same creation path for a document whose content comes from neither a file nor
  // the new-document set-up: `setUp` fills it (and names it); false tears it down again.
  CDocument* OpenDocumentWith(const std::function<bool(CDocument&)>& setUp);
  // Another window with its own view on `doc`; null when it can't be made.
  CMDIChildWnd* CreateNewFrame(CDocument* doc);

  // Names a new, unnamed document: the document name and the untitled counter plus one.
  virtual void SetDefaultTitle(CDocument* doc);
  // A document that carries such a name from elsewhere (brought back after a crash): the
  // counter goes past its number, so that no later new document takes the same name.
  void NoteUntitledTitle(const QString& title);

  const std::vector<std::unique_ptr<CDocument>>& GetDocuments() const { return m_docs; }
  // Closes every window of the document, then the document itself.
  void CloseDocument(CDocument* doc);
  // Called when the document's last window is gone: the document ends.
  void RemoveDocument(CDocument* doc);

 private:
  CMDIChildWnd* MakeFrame(CDocument* doc);

  unsigned m_nIDResource;
  QStringList m_docStrings;
  DocumentFactory m_makeDocument;
  FrameFactory m_makeFrame;
  ViewFactory m_makeView;
  unsigned m_nUntitledCount = 0;
  CWinApp* m_pApp = nullptr;
  std::vector<std::unique_ptr<CDocument>> m_docs;
};

}  // namespace fw
