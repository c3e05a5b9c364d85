// The window helpers of the programs: the command-state table over menu,
// tool bar and dialog buttons, the status bar's fields, and the message
// target that brings posted messages to the GUI thread.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>
#include <thread>

#include "CCommandStatesU.h"
#include "CStatusBarU.h"
#include "QtMessageTarget.h"
#include "QtUserDialogs.h"
#include "TestApplication.h"

namespace {

QApplication& App() {
  return TestApplication<QApplication>("helper-tests");
}

class CommandStatesTest : public testing::Test {
 protected:
  void SetUp() override { App(); }

  CommandState rows_[5] = {
      {3001, 1, 3000, 0, 100, 0, 0}, {3002, 1, 3000, 0, 100, 0, 1}, {3005, 1, 3000, 0, 0, 0, 0},
      {3008, 1, 3000, 0, 100, 0, 0}, {0, 0, 0, 0, 0, 0, 0},
  };
  CCommandStatesU states_{rows_};
};

}  // namespace

TEST_F(CommandStatesTest, AStateReachesMenuAndToolBarTogetherOnApply) {
  QMainWindow window;
  QMenu* menu = window.menuBar()->addMenu("m");
  for (LONG id : {3001, 3002, 3005, 3008}) states_.BindAction(id, menu->addAction(QString::number(id)));
  QToolBar bar;
  ASSERT_EQ(3, states_.FillToolBar(&bar, std::vector<QIcon>(3)));
  const QList<QAction*> buttons = bar.actions();
  ASSERT_EQ(4, buttons.size()) << "three buttons and the separator after the second";
  EXPECT_EQ(states_.Action(3001), buttons[0]);
  EXPECT_EQ(states_.Action(3002), buttons[1]);
  EXPECT_TRUE(buttons[2]->isSeparator());
  EXPECT_EQ(states_.Action(3008), buttons[3]);

  states_.SetState(3002, false);
  states_.SetState(4711, false);  // not in the table: nothing happens
  EXPECT_TRUE(states_.Action(3002)->isEnabled()) << "nothing changes before the apply";
  EXPECT_FALSE(states_.IsEnabled(3002));
  EXPECT_TRUE(states_.IsEnabled(4711));
  EXPECT_EQ(1, rows_[1].menuDirty);
  EXPECT_EQ(1, rows_[1].toolBarDirty);

  states_.ApplyToMenu();
  EXPECT_FALSE(states_.Action(3002)->isEnabled());
  EXPECT_FALSE(bar.widgetForAction(states_.Action(3002))->isEnabled()) << "the button greys out with the item";
  EXPECT_EQ(0, rows_[1].menuDirty);
  EXPECT_EQ(1, rows_[1].toolBarDirty);
  states_.ApplyToToolBar();
  EXPECT_EQ(0, rows_[1].toolBarDirty);
  for (const CommandState* row = rows_; row->command != 0; ++row) {
    EXPECT_EQ(row->command == 3002 ? 0 : 1, row->enabled) << row->command;
  }
  EXPECT_EQ(0, states_.FillToolBar(&bar, std::vector<QIcon>(2))) << "too few pictures";
}

TEST_F(CommandStatesTest, DialogButtonsFollowAndTakeTheFocusOnlyWhenEnabled) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  QPushButton* buttons[3];
  const LONG ids[3] = {3001, 3002, 3005};
  for (int i = 0; i < 3; ++i) {
    buttons[i] = new QPushButton(QString::number(ids[i]), &dialog);
    CCommandStatesU::SetControlId(buttons[i], ids[i]);
    layout->addWidget(buttons[i]);
  }
  auto* plain = new QLabel("no command", &dialog);
  layout->addWidget(plain);
  buttons[0]->setDefault(true);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  buttons[0]->setFocus();

  states_.SetState(3002, false);
  states_.ApplyToDialog(buttons[1], &dialog);
  EXPECT_FALSE(buttons[1]->isEnabled());
  EXPECT_TRUE(buttons[0]->isEnabled());
  EXPECT_TRUE(plain->isEnabled());
  EXPECT_EQ(buttons[0], QApplication::focusWidget()) << "a disabled control does not take the focus";
  EXPECT_FALSE(buttons[0]->isDefault());

  states_.ApplyToDialog(buttons[2], &dialog);
  EXPECT_EQ(buttons[2], QApplication::focusWidget());
  EXPECT_TRUE(buttons[2]->isDefault());
  states_.SetState(3002, true);
  states_.ApplyToDialog(nullptr, &dialog);
  EXPECT_TRUE(buttons[1]->isEnabled());
  EXPECT_TRUE(buttons[2]->isDefault()) << "without a focus control the default stays";
}

TEST(StatusBar, FieldsAlignByTheirLeadingTabs) {
  App();
  QMainWindow window;
  CStatusBarU bar(&window, {{201, " 1000000 н. "}, {202, "  Соль#  "}});
  const struct {
    const char* text;
    const char* shown;
    Qt::Alignment alignment;
  } cases[] = {{"left", "left", Qt::AlignLeft},
               {"\tcentre", "centre", Qt::AlignHCenter},
               {"\t\t12 н.", "12 н.", Qt::AlignRight}};
  auto* label = window.findChild<QLabel*>("part201");
  ASSERT_NE(nullptr, label);
  for (const auto& c : cases) {
    bar.SetText(201, c.text);
    EXPECT_EQ(QString(c.text), bar.Text(201));
    EXPECT_EQ(QString(c.shown), label->text());
    EXPECT_TRUE(label->alignment() & c.alignment) << c.text;
  }
  bar.SetText(999, "ignored");
  EXPECT_EQ(QString(), bar.Text(999));
  EXPECT_GT(label->width(), window.findChild<QLabel*>("part202")->width()) << "sized to the template texts";
}

TEST(FileDialogFilters, ListPatternsAsQtMatchesThemAndAllFilesWithoutExtension) {
  const struct {
    const char* description;
    const char* patterns;
    const char* filter;
  } cases[] = {
      {"Мелодии (*.mel)", "*.mel", "Мелодии (*.mel)"},
      {"Набор мелодий", "*.sto", "Набор мелодий (*.sto)"},
      {"MIDI (*.mid;*.kar)", "*.mid;*.kar", "MIDI (*.mid *.kar)"},
      {"Все файлы (*.*)", "*.*", "Все файлы (*)"},
      {"Все файлы", "*.*", "Все файлы (*)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QString::fromUtf8(c.filter),
              QtUserDialogs::NameFilter(QString::fromUtf8(c.description), QString::fromUtf8(c.patterns)))
        << c.description;
  }
}

TEST(MessageTarget, DeliversPostsFromOtherThreadsInOrderOnItsOwn) {
  App();
  std::vector<WPARAM> received;
  std::thread::id handlerThread;
  HWND handle = nullptr;
  {
    QtMessageTarget target([&](UINT message, WPARAM w, LPARAM l) {
      EXPECT_EQ(0x8001u, message);
      EXPECT_EQ(7, l);
      received.push_back(w);
      handlerThread = std::this_thread::get_id();
    });
    handle = target.Handle();
    ASSERT_NE(nullptr, handle);
    std::thread poster([handle] {
      for (WPARAM i = 0; i < 50; ++i) EXPECT_TRUE(PostMessage(handle, 0x8001, i, 7));
    });
    poster.join();
    EXPECT_TRUE(received.empty()) << "nothing runs on the posting thread";
    QApplication::processEvents();
  }
  ASSERT_EQ(50u, received.size());
  for (WPARAM i = 0; i < 50; ++i) EXPECT_EQ(i, received[i]);
  EXPECT_EQ(std::this_thread::get_id(), handlerThread);
  EXPECT_FALSE(PostMessage(handle, 0x8001, 0, 0)) << "gone with the target";
}
