// Qt's own texts and its locale speak Japanese whatever the session's locale, and the parts of the
// main window that Qt supplies behave as the program's own: the window menu's prompts,
// no tool-bar context menu, status texts that end with "…" where they do not fit.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QLibraryInfo>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionToolBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <clocale>
#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/child_frame.h"
#include "framework/elided_label.h"
#include "framework/eliding_status_bar.h"
#include "framework/mdi_child_wnd.h"
#include "framework/win_app.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

using testing_support::AppTest;

bool TranslationInstalled() {
  return QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                       QStringLiteral("/qtbase_ja.qm"));
}

class PlatformTextsTest : public AppTest {};

TEST_F(PlatformTextsTest, StandardButtonsReadJapanese) {
  if (!TranslationInstalled()) GTEST_SKIP() << "qtbase_ja.qm is not installed";
  QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::No);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("はい(&Y)"));
  EXPECT_EQ(box.button(QDialogButtonBox::No)->text(), QStringLiteral("いいえ(&N)"));
}

// The file dialogs' list: a folder's type and its date in Japanese, while the C library
// keeps the session's locale (test main's C.UTF-8), which decides the items' code page.
TEST_F(PlatformTextsTest, FileDialogListReadsJapanese) {
  if (!TranslationInstalled()) GTEST_SKIP() << "qtbase_ja.qm is not installed";
  EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
  QFileSystemModel model;
  QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
  const QModelIndex root = model.setRootPath(dir.path());
  ASSERT_TRUE(loaded.wait());
  ASSERT_EQ(model.rowCount(root), 1);
  const QModelIndex folder = model.index(0, 0, root);
  EXPECT_EQ(folder.siblingAtColumn(2).data().toString(), QStringLiteral("フォルダ"));
  EXPECT_EQ(folder.siblingAtColumn(3).data().toString(),
            QLocale(QLocale::Japanese, QLocale::Japan)
                .toString(model.lastModified(folder), QLocale::ShortFormat));
}

// The document window's own menu: the window system's items and key names, each showing
// its prompt in the status bar while highlighted.
TEST_F(PlatformTextsTest, WindowMenuHasItsItemsAndTheirPrompts) {
  Start();
  Frame()->show();
  QMenu* menu = ActiveChild()->systemMenu();
  ASSERT_NE(menu, nullptr);
  const struct {
    const char* text;
    unsigned prompt;
  } expected[] = {
      {"元のｻｲｽﾞに戻す(&R)", res::IDS_SC_RESTORE}, {"移動(&M)", res::IDS_SC_MOVE},
      {"ｻｲｽﾞ変更(&S)", res::IDS_SC_SIZE},          {"最小化(&N)", res::IDS_SC_MINIMIZE},
      {"最大化(&X)", res::IDS_SC_MAXIMIZE},        {"閉じる(&C)\tCtrl+F4", res::IDS_SC_CLOSE},
      {"次のｳｨﾝﾄﾞｳ(&T)\tCtrl+F6", res::IDS_SC_NEXTWINDOW},
      {"前のｳｨﾝﾄﾞｳ(&P)", res::IDS_SC_PREVWINDOW},
  };
  QList<QAction*> items;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) items << action;
  }
  ASSERT_EQ(items.size(), std::size(expected));
  menu->popup(QPoint(10, 10));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  for (qsizetype i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i]->text(), QString::fromUtf8(expected[i].text));
    EXPECT_TRUE(items[i]->shortcuts().isEmpty()) << expected[i].text;
    const QString prompt = fw::LoadQString(expected[i].prompt);
    EXPECT_EQ(items[i]->statusTip(), prompt);
    if (!items[i]->isEnabled()) continue;  // Restore of a normal window: not highlighted
    menu->setActiveAction(items[i]);
    EXPECT_EQ(Frame()->StatusBar()->currentMessage(), prompt);
  }
  menu->close();
}

TEST_F(PlatformTextsTest, ToolBarHasNoContextMenu) {
  Start();
  Frame()->show();
  QWidget* popup = nullptr;
  // A popup would run its own loop: note it and close it.
  QTimer::singleShot(0, [&] {
    popup = QApplication::activePopupWidget();
    if (popup) popup->close();
  });
  QToolBar* bar = Frame()->ToolBar();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), bar->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(bar, &event);
  ProcessEvents();
  EXPECT_EQ(popup, nullptr);
  EXPECT_EQ(static_cast<QMainWindow*>(Frame())->createPopupMenu(), nullptr);
  EXPECT_TRUE(bar->isVisible());
}

TEST_F(PlatformTextsTest, StatusTextsThatDoNotFitEndWithAnEllipsis) {
  Start();
  Frame()->resize(400, 200);
  Frame()->show();
  ProcessEvents();
  auto* bar = qobject_cast<fw::ElidingStatusBar*>(Frame()->StatusBar());
  ASSERT_NE(bar, nullptr);
  fw::ElidedLabel* idle = bar->findChild<fw::ElidedLabel*>();
  ASSERT_NE(idle, nullptr);

  const QString prompt = fw::LoadQString(res::ID_EDIT_COPY).section(QLatin1Char('\n'), 0, 0);
  bar->showMessage(prompt);
  const struct {
    const char* name;
    QString full;
    QString shown;
    int room;
  } texts[] = {{"idle", idle->text(), idle->ShownText(), idle->contentsRect().width()},
               {"prompt", prompt, bar->ShownMessage(), bar->MessageRect().width()}};
  for (const auto& t : texts) {
    ASSERT_GT(bar->fontMetrics().horizontalAdvance(t.full), t.room) << t.name;
    ASSERT_TRUE(t.shown.endsWith(QStringLiteral("…"))) << t.name << ": " << t.shown.toStdString();
    EXPECT_TRUE(t.full.startsWith(t.shown.chopped(1))) << t.name;
    EXPECT_LE(bar->fontMetrics().horizontalAdvance(t.shown), t.room) << t.name;
  }
  bar->clearMessage();
}

// The standard icons, read only when first drawn, are the style's own pixel for pixel, at
// both pixel ratios; a document window's menu icon is the document icon.
TEST_F(PlatformTextsTest, StandardIconsAreTheStylesOwn) {
  auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
  ASSERT_NE(proxy, nullptr);
  const QStyle* base = proxy->baseStyle();
  for (const QStyle::StandardPixmap icon :
       {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_TitleBarMaxButton,
        QStyle::SP_TitleBarCloseButton, QStyle::SP_MessageBoxWarning}) {
    for (const qreal ratio : {1.0, 2.0}) {
      const QImage shown = proxy->standardIcon(icon).pixmap(QSize(16, 16), ratio).toImage();
      EXPECT_FALSE(shown.isNull()) << icon;
      EXPECT_EQ(shown, base->standardIcon(icon).pixmap(QSize(16, 16), ratio).toImage())
          << icon << " at " << ratio;
    }
  }
  EXPECT_EQ(proxy->standardIcon(QStyle::SP_TitleBarMenuButton).pixmap(16).toImage(),
            doc::CChildFrame::DocumentIcon().pixmap(16).toImage());
}

// The main window's tool bar, drawn in tiles, is the style's own pixel for pixel, whole
// and where a button is redrawn, at both pixel ratios.
TEST_F(PlatformTextsTest, ToolBarInTilesIsTheStylesOwn) {
  Start();
  auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
  ASSERT_NE(proxy, nullptr);
  QToolBar* bar = Frame()->ToolBar();
  QStyleOptionToolBar option;
  option.initFrom(bar);
  option.rect = QRect(0, 0, 333, 29);
  option.toolBarArea = Qt::TopToolBarArea;
  option.state |= QStyle::State_Horizontal;
  for (const qreal ratio : {1.0, 2.0}) {
    for (const QRect clip : {option.rect, QRect(70, 3, 24, 22)}) {
      QImage drawn[2];
      for (int i = 0; i < 2; ++i) {
        drawn[i] = QImage(option.rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        drawn[i].setDevicePixelRatio(ratio);
        drawn[i].fill(Qt::white);
        QPainter painter(&drawn[i]);
        painter.setClipRect(clip);
        (i == 0 ? static_cast<const QStyle*>(proxy) : proxy->baseStyle())
            ->drawControl(QStyle::CE_ToolBar, &option, &painter, bar);
      }
      EXPECT_EQ(drawn[0], drawn[1]) << "ratio " << ratio << ", clip x " << clip.x();
    }
  }
}

}  // namespace
