#include "framework/doc_template.h"

#include <QStringList>
#include <algorithm>
#include <new>

#include "framework/document.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"
#include "platform/alloc_fault.h"
#include "framework/framework_ids.h"

namespace fw {

CDocTemplate::CDocTemplate(unsigned resourceId, QString templateString,
                           DocumentFactory makeDocument, FrameFactory makeFrame,
                           ViewFactory makeView)
    : m_nIDResource(resourceId),
      m_docStrings(templateString.split(QLatin1Char('\n'))),
      m_makeDocument(std::move(makeDocument)),
      m_makeFrame(std::move(makeFrame)),
      m_makeView(std::move(makeView)) {}

CDocTemplate::~CDocTemplate() {
  // Windows first: their views still point at the documents.
  while (!m_docs.empty()) CloseDocument(m_docs.back().get());
}

QString CDocTemplate::GetDocString(DocStringIndex index) const {
  return index < m_docStrings.size() ? m_docStrings[index] : QString();
}

CMDIChildWnd* CDocTemplate::MakeFrame(CDocument* doc) {
  CMDIFrameWnd* mainFrame = m_pApp ? m_pApp->GetMainWnd() : nullptr;
  if (!mainFrame) return nullptr;
  CMDIChildWnd* frame = m_makeFrame ? m_makeFrame() : nullptr;
  if (!frame) return nullptr;
  CView* view = m_makeView ? m_makeView() : nullptr;
  if (!view) {
    delete frame;
    return nullptr;
  }
  frame->SetView(view);
  doc->AddView(view);
  mainFrame->AddChildFrame(frame);
  doc->UpdateFrameTitles();
  return frame;
}

namespace {

// A document and its window while they are being made: unless Release() is called, the
// window is destroyed again, and the document with it.
class HalfMadeDocument {
 public:
  explicit HalfMadeDocument(CDocTemplate* docTemplate) : m_pTemplate(docTemplate) {}
  ~HalfMadeDocument() {
    if (m_pFrame) {
      m_pFrame->DestroyWindow();
    } else if (m_pDoc) {
      m_pTemplate->RemoveDocument(m_pDoc);
    }
  }
  void Set(CDocument* doc, CMDIChildWnd* frame) {
    m_pDoc = doc;
    m_pFrame = frame;
  }
  void Release() { m_pDoc = nullptr, m_pFrame = nullptr; }

 private:
  CDocTemplate* m_pTemplate;
  CDocument* m_pDoc = nullptr;
  CMDIChildWnd* m_pFrame = nullptr;
};

}  // namespace

CDocument* CDocTemplate::OpenNewDocument() { return OpenDocumentFile(QString()); }

CDocument* CDocTemplate::OpenDocumentFile(const QString& path) {
  return OpenDocumentWith([this, &path](CDocument& doc) {
    if (path.isEmpty()) {
      SetDefaultTitle(&doc);
      if (!doc.OnNewDocument()) return false;
      ++m_nUntitledCount;
      return true;
    }
    if (!doc.OnOpenDocument(path)) return false;
    doc.SetPathName(path);
    return true;
  });
}

CDocument* CDocTemplate::OpenDocumentWith(const std::function<bool(CDocument&)>& setUp) {
  HalfMadeDocument guard(this);
  CDocument* doc = nullptr;
  CMDIChildWnd* frame = nullptr;
  try {
    platform::CheckAllocation();
    std::unique_ptr<CDocument> owned = m_makeDocument ? m_makeDocument() : nullptr;
    if (owned) {
      doc = owned.get();
      owned->SetDocTemplate(this);
      m_docs.push_back(std::move(owned));
      guard.Set(doc, nullptr);
      frame = MakeFrame(doc);
      guard.Set(doc, frame);
    }
  } catch (const std::bad_alloc&) {
    frame = nullptr;
  }
  if (!doc || !frame) {
    AppMessageBox(ids::IDS_FAILED_NEW_DOC);
    return nullptr;
  }

  if (!setUp(*doc)) return nullptr;
  guard.Release();

  // The view fills itself before its window is activated: the focus then finds the
  // list filled, and what the focus updates (the item count) reads the loaded list.
  for (CView* view : doc->GetViews()) {
    if (view->GetParentFrame() == frame) view->OnInitialUpdate();
  }
  frame->show();
  if (CMDIFrameWnd* mainFrame = frame->GetMDIFrame()) mainFrame->MDIActivate(frame);
  return doc;
}

CMDIChildWnd* CDocTemplate::CreateNewFrame(CDocument* doc) {
  CMDIChildWnd* frame = nullptr;
  try {
    frame = MakeFrame(doc);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (!frame) return nullptr;
  frame->GetActiveView()->OnInitialUpdate();
  frame->show();
  if (CMDIFrameWnd* mainFrame = frame->GetMDIFrame()) mainFrame->MDIActivate(frame);
  return frame;
}

void CDocTemplate::SetDefaultTitle(CDocument* doc) {
  doc->SetTitle(GetDocString(docName) + QString::number(m_nUntitledCount + 1));
}

void CDocTemplate::NoteUntitledTitle(const QString& title) {
  const QString name = GetDocString(docName);
  if (!title.startsWith(name)) return;
  bool isNumber = false;
  const unsigned number = title.mid(name.size()).toUInt(&isNumber);
  if (isNumber && number > m_nUntitledCount) m_nUntitledCount = number;
}

void CDocTemplate::CloseDocument(CDocument* doc) {
  // Destroying the last window removes the document (RemoveDocument).
  for (CMDIChildWnd* frame : doc->GetFrames()) frame->DestroyWindow();
  RemoveDocument(doc);
}

void CDocTemplate::RemoveDocument(CDocument* doc) {
  auto it = std::find_if(m_docs.begin(), m_docs.end(),
                         [doc](const std::unique_ptr<CDocument>& d) { return d.get() == doc; });
  if (it == m_docs.end()) return;
  std::unique_ptr<CDocument> ending = std::move(*it);
  m_docs.erase(it);
}

}  // namespace fw
