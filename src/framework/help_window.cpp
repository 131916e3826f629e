#include "framework/help_window.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "framework/resource_tables.h"

namespace fw {
namespace {

QPointer<HelpWindow> g_pHelpWindow;

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

HelpWindow* HelpWindow::Instance() {
  if (!g_pHelpWindow) g_pHelpWindow = new HelpWindow;
  return g_pHelpWindow;
}

HelpWindow* HelpWindow::Existing() { return g_pHelpWindow; }

void HelpWindow::Quit() { delete g_pHelpWindow.data(); }

HelpWindow::HelpWindow()
    : QWidget(nullptr, Qt::Window),
      m_pBrowser(new QTextBrowser),
      m_pIndex(new QTreeWidget),
      m_pContents(new QPushButton),
      m_pBack(new QPushButton),
      m_pForward(new QPushButton) {
  setObjectName(QStringLiteral("HelpWindow"));
  const HelpViewerTexts& texts = GetUiTables().helpViewer;
  setWindowTitle(Utf8(texts.title));
  m_pContents->setText(Utf8(texts.contents));
  m_pBack->setText(Utf8(texts.back));
  m_pForward->setText(Utf8(texts.forward));
  m_pIndex->setHeaderLabel(Utf8(texts.index));
  m_pIndex->header()->setSectionsClickable(false);
  m_pBack->setEnabled(false);
  m_pForward->setEnabled(false);
  // The buttons leave the keyboard with the text, which scrolls with the keys.
  for (QPushButton* button : {m_pContents, m_pBack, m_pForward}) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
  }

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_pContents);
  buttons->addWidget(m_pBack);
  buttons->addWidget(m_pForward);
  buttons->addStretch();
  auto* splitter = new QSplitter;
  splitter->addWidget(m_pIndex);
  splitter->addWidget(m_pBrowser);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(splitter, 1);

  // Links to other files (none in the help file) stay inside this window too.
  m_pBrowser->setOpenExternalLinks(false);
  connect(m_pContents, &QPushButton::clicked, this, [this] { m_pBrowser->setSource(m_fileUrl); });
  connect(m_pBack, &QPushButton::clicked, m_pBrowser, &QTextBrowser::backward);
  connect(m_pForward, &QPushButton::clicked, m_pBrowser, &QTextBrowser::forward);
  connect(m_pBrowser, &QTextBrowser::backwardAvailable, m_pBack, &QPushButton::setEnabled);
  connect(m_pBrowser, &QTextBrowser::forwardAvailable, m_pForward, &QPushButton::setEnabled);
  connect(m_pBrowser, &QTextBrowser::sourceChanged, this, &HelpWindow::FollowSource);
  // An index entry chosen by click, Enter or the arrow keys shows its topic.
  const auto showEntry = [this](QTreeWidgetItem* item) {
    const QString topic = item ? item->data(0, Qt::UserRole).toString() : QString();
    if (!item || topic == m_pBrowser->source().fragment()) return;
    QUrl url = m_fileUrl;
    if (!topic.isEmpty()) url.setFragment(topic);
    m_pBrowser->setSource(url);
  };
  connect(m_pIndex, &QTreeWidget::itemActivated, this, showEntry);
  connect(m_pIndex, &QTreeWidget::currentItemChanged, this, showEntry);

  const QSize area = screen() ? screen()->availableSize() : QSize(1024, 768);
  resize(std::min(760, area.width() * 3 / 4), std::min(560, area.height() * 3 / 4));
  splitter->setSizes({width() / 3, width() * 2 / 3});
}

void HelpWindow::FillIndex(const QString& html) {
  m_pIndex->clear();
  // The headings that carry an id, with their level; the topics of a section go under it.
  static const QRegularExpression heading(
      QStringLiteral("<h([1-3])\\s+id=\"([^\"]+)\"[^>]*>(.*?)</h\\1>"),
      QRegularExpression::DotMatchesEverythingOption);
  QTreeWidgetItem* section = nullptr;
  for (auto it = heading.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    const int level = match.captured(1).toInt();
    const QString text = QTextDocumentFragment::fromHtml(match.captured(3)).toPlainText().trimmed();
    QTreeWidgetItem* item = level == 3 && section ? new QTreeWidgetItem(section)
                                                  : new QTreeWidgetItem(m_pIndex);
    item->setText(0, text);
    // The contents heading stands for the file itself, without a fragment.
    item->setData(0, Qt::UserRole, level == 1 ? QString() : match.captured(2));
    if (level == 2) section = item;
  }
  m_pIndex->expandAll();
}

void HelpWindow::ShowTopic(const QUrl& url) {
  QUrl file = url;
  file.setFragment(QString());
  if (file != m_fileUrl) {
    m_fileUrl = file;
    QFile source(file.toLocalFile());
    FillIndex(source.open(QIODevice::ReadOnly) ? QString::fromUtf8(source.readAll()) : QString());
  }
  if (url != m_pBrowser->source()) {
    m_pBrowser->setSource(url);
  } else if (!url.fragment().isEmpty()) {
    m_pBrowser->scrollToAnchor(url.fragment());
  }
  FollowModalDialog();
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  m_pBrowser->setFocus();
}

QString HelpWindow::CurrentTopic() const { return m_pBrowser->source().fragment(); }

void HelpWindow::FollowSource(const QUrl& url) {
  const QString topic = url.fragment();
  QTreeWidgetItem* shown = nullptr;
  for (QTreeWidgetItemIterator it(m_pIndex); *it && !shown; ++it) {
    if ((*it)->data(0, Qt::UserRole).toString() == topic) shown = *it;
  }
  m_pIndex->setCurrentItem(shown);
  // The caption names the topic shown, as the main window's names the active list.
  const QString title = Utf8(GetUiTables().helpViewer.title);
  setWindowTitle(shown && !topic.isEmpty() ? title + QStringLiteral(" - ") + shown->text(0) : title);
}

void HelpWindow::FollowModalDialog() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == this || modal == parentWidget()) return;
  const QRect frame = geometry();
  setParent(modal, Qt::Window);
  setGeometry(frame);
  auto* dialog = qobject_cast<QDialog*>(modal);
  if (!dialog) return;
  // When the dialog ends, the window stands on its own again, where it was.
  connect(dialog, &QDialog::finished, this, [this, dialog] {
    if (parentWidget() != dialog) return;
    const bool shown = isVisible();
    const QRect where = geometry();
    setParent(nullptr, Qt::Window);
    setGeometry(where);
    if (shown) show();
  });
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace fw
