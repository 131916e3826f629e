#include "framework/command_bars.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QToolBar>

#include "framework/document.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"
#include "resources/accelerators.h"
#include "resources/command_ids.h"
#include "resources/icons.h"
#include "resources/menus.h"
#include "resources/string_table.h"
#include "resources/toolbar.h"

namespace fw {
namespace {

const char kCommandProperty[] = "tolvaneCommand";

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ApplyState(QAction* action, const CCmdUI& ui) {
  action->setEnabled(ui.IsEnabled());
  action->setCheckable(ui.IsChecked());
  action->setChecked(ui.IsChecked());
  if (ui.Text()) action->setText(*ui.Text());
}

}  // namespace

unsigned CommandIdOf(const QAction* action) {
  return action ? action->property(kCommandProperty).toUInt() : 0;
}

CommandBars::CommandBars(CMDIFrameWnd* frame) : QObject(frame), m_pFrame(frame) {}

QAction* CommandBars::MakeCommandAction(unsigned id, const QString& text, QObject* parent) {
  auto* action = new QAction(text, parent);
  action->setProperty(kCommandProperty, id);
  action->setStatusTip(Utf8(res::Prompt(id)));
  connect(action, &QAction::triggered, m_pFrame, [this, id] { m_pFrame->RunCommand(id); });
  return action;
}

void CommandBars::SetMenu(unsigned menuId) {
  if (menuId == m_nMenuId) return;
  m_nMenuId = menuId;
  QMenuBar* bar = m_pFrame->menuBar();
  bar->clear();
  for (QMenu* popup : m_popups) popup->deleteLater();
  m_popups.clear();
  m_windowListActions.clear();

  for (const res::MenuPopup& popupData : res::Menu(menuId)) {
    auto* popup = new QMenu(Utf8(popupData.title), bar);
    for (const res::MenuItem& item : popupData.items) {
      if (item.id == 0) {
        popup->addSeparator();
        continue;
      }
      QAction* action = MakeCommandAction(item.id, Utf8(item.text), popup);
      if (item.grayed) action->setProperty("grayed", true);
      popup->addAction(action);
    }
    connect(popup, &QMenu::aboutToShow, this, [this, popup] { UpdateMenu(popup); });
    bar->addMenu(popup);
    m_popups.push_back(popup);
  }
}

void CommandBars::UpdateMenu(QMenu* menu) {
  bool hasWindowCommands = false;
  for (QAction* action : menu->actions()) {
    const unsigned id = CommandIdOf(action);
    if (id == 0) continue;
    if (id == res::ID_WINDOW_CASCADE) hasWindowCommands = true;
    if (action->property("grayed").toBool()) {
      action->setEnabled(false);
      continue;
    }
    CCmdUI ui(id);
    m_pFrame->RouteCommand(id, &ui);
    ApplyState(action, ui);
  }
  if (hasWindowCommands) AppendWindowList(menu);
}

void CommandBars::AppendWindowList(QMenu* menu) {
  for (QAction* action : m_windowListActions) {
    menu->removeAction(action);
    action->deleteLater();
  }
  m_windowListActions.clear();
  const std::vector<CMDIChildWnd*> frames = m_pFrame->GetChildFrames();
  if (frames.empty()) return;
  m_windowListActions.push_back(menu->addSeparator());
  CMDIChildWnd* active = m_pFrame->MDIGetActive();
  int number = 1;
  for (CMDIChildWnd* frame : frames) {
    QString title = frame->windowTitle();
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                     : QStringLiteral("%1 %2").arg(number).arg(title);
    QAction* action = menu->addAction(text);
    action->setCheckable(frame == active);
    action->setChecked(frame == active);
    connect(action, &QAction::triggered, m_pFrame, [this, frame] {
      if (!frame->isHidden()) m_pFrame->MDIActivate(frame);
    });
    m_windowListActions.push_back(action);
    ++number;
  }
}

void CommandBars::InstallAccelerators() {
  for (const res::Accelerator& accel : res::Accelerators()) {
    auto* action = new QAction(m_pFrame);
    action->setShortcut(QKeySequence(Utf8(accel.keys)));
    action->setShortcutContext(Qt::WindowShortcut);
    const unsigned id = accel.id;
    connect(action, &QAction::triggered, m_pFrame, [this, id] { m_pFrame->RunCommand(id); });
    m_pFrame->addAction(action);
  }
  // The window system's keys for document windows.
  auto* close = new QAction(m_pFrame);
  close->setShortcut(QKeySequence(QStringLiteral("Ctrl+F4")));
  connect(close, &QAction::triggered, m_pFrame, [this] {
    if (CMDIChildWnd* child = m_pFrame->MDIGetActive()) child->CloseFrame();
  });
  m_pFrame->addAction(close);
  auto* next = new QAction(m_pFrame);
  next->setShortcut(QKeySequence(QStringLiteral("Ctrl+F6")));
  connect(next, &QAction::triggered, m_pFrame, [this] { m_pFrame->MDINext(); });
  m_pFrame->addAction(next);
}

void CommandBars::FillToolBar(QToolBar* toolBar) {
  const QPixmap strip(res::ToolBarXpm());
  int image = 0;
  for (unsigned id : res::ToolBarLayout()) {
    if (id == 0) {
      toolBar->addSeparator();
      continue;
    }
    QAction* action = MakeCommandAction(id, Utf8(res::ToolTip(id)), toolBar);
    action->setIcon(QIcon(strip.copy(image * res::kButtonWidth, 0, res::kButtonWidth,
                                     res::kButtonHeight)));
    action->setToolTip(Utf8(res::ToolTip(id)));
    toolBar->addAction(action);
    m_buttons[id] = action;
    ++image;
  }
}

void CommandBars::UpdateButtons() {
  for (auto& [id, action] : m_buttons) {
    CCmdUI ui(id);
    m_pFrame->RouteCommand(id, &ui);
    ApplyState(action, ui);
  }
}

QMenu* CommandBars::CreatePopup(unsigned menuId, int popupIndex, QWidget* parent) {
  const auto popups = res::Menu(menuId);
  if (popupIndex < 0 || popupIndex >= static_cast<int>(popups.size())) return nullptr;
  auto* menu = new QMenu(parent);
  for (const res::MenuItem& item : popups[popupIndex].items) {
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    menu->addAction(MakeCommandAction(item.id, Utf8(item.text), menu));
  }
  return menu;
}

QAction* CommandBars::FindMenuAction(unsigned id) const {
  for (QMenu* popup : m_popups) {
    for (QAction* action : popup->actions()) {
      if (CommandIdOf(action) == id) return action;
    }
  }
  return nullptr;
}

QAction* CommandBars::FindButton(unsigned id) const {
  auto it = m_buttons.find(id);
  return it == m_buttons.end() ? nullptr : it->second;
}

}  // namespace fw
