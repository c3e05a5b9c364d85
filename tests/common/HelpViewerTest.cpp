// The help viewer on the help file the build makes: every program's topic
// opens, links inside the file are followed and links out of it are not,
// and context pop-ups find their texts or say that there is none.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTextBrowser>

#include "CHelpWindowU.h"
#include "HtmlHelpU.h"
#include "TempDir.h"
#include "TestApplication.h"

namespace {

QApplication& App() {
  return TestApplication<QApplication>("help-tests");
}

class HelpViewerTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    owner_ = new QWidget;
  }
  void TearDown() override { delete owner_; }

  QString Address(const char* topic) const {
    return HtmlHelpU::Address(nvtest::BinDir() + "/", QString::fromUtf8(topic));
  }

  QWidget* owner_ = nullptr;
};

TEST_F(HelpViewerTest, EveryProgramsTopicOpensFromTheBuiltFile) {
  const struct {
    const char* topic;
    const char* title;
  } topics[] = {
      {"edmel_about.htm", "Редактор мелодий"},
      {"bell_about.html", "Программа звонок"},
      {"edstos_about.htm", "Редактор наборов мелодий"},
      {"edmel_import.htm", "Загрузка мелодии из MIDI файла"},
      {"edmel_ringtone.htm", "Текст мелодии и транспонирование"},
  };
  for (const auto& t : topics) {
    CHelpWindowU* window = HtmlHelpU::DisplayTopic(owner_, Address(t.topic));
    ASSERT_NE(nullptr, window) << t.topic;
    EXPECT_EQ(QStringLiteral("/") + t.topic, window->CurrentPath());
    EXPECT_EQ(QString::fromUtf8(t.title), window->Browser()->documentTitle());
    EXPECT_EQ(QString::fromUtf8(t.title), window->windowTitle());
    EXPECT_GT(window->Browser()->toPlainText().size(), 300) << t.topic;
  }
}

TEST_F(HelpViewerTest, LinksInsideTheFileAreFollowedAndOthersAreNot) {
  CHelpWindowU* window = HtmlHelpU::DisplayTopic(owner_, Address("edmel_about.htm"));
  ASSERT_NE(nullptr, window);
  QTextBrowser* browser = window->Browser();
  browser->setSource(browser->source().resolved(QUrl(QStringLiteral("edstos_about.htm"))));
  EXPECT_EQ(QStringLiteral("/edstos_about.htm"), window->CurrentPath());
  EXPECT_TRUE(browser->isBackwardAvailable());
  browser->setSource(QUrl(QStringLiteral("http://example.invalid/page.htm")));
  EXPECT_EQ(QStringLiteral("/edstos_about.htm"), window->CurrentPath());
  browser->backward();
  EXPECT_EQ(QStringLiteral("/edmel_about.htm"), window->CurrentPath());
}

TEST_F(HelpViewerTest, MissingFilesAndTopicsShowNothing) {
  nvtest::TempDir dir;
  for (const QString& address :
       {Address("no_such_page.htm"), HtmlHelpU::Address(dir.path() + "/", QStringLiteral("edmel_about.htm")),
        QStringLiteral("edmel_about.htm"), Address("")}) {
    EXPECT_EQ(nullptr, HtmlHelpU::DisplayTopic(owner_, address)) << address.toStdString();
  }
  EXPECT_EQ(nullptr, owner_->findChild<CHelpWindowU*>());
}

TEST_F(HelpViewerTest, PopUpsSayWhenThereIsNoText) {
  const QString missing = QString::fromUtf8(HtmlHelpU::kNoTopicText);
  const struct {
    const char* file;
    int topic;
    bool described;
  } cases[] = {{"CSH_ImportDlg.txt", 1303, true}, {"CSH_ImportDlg.txt", 0, false}, {"no_such.txt", 1303, false}};
  for (const auto& c : cases) {
    QLabel* popup = HtmlHelpU::DisplayTextPopup(owner_, Address(c.file), c.topic, QPoint(10, 10));
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(!c.described, popup->text() == missing) << c.file << c.topic;
    delete popup;
  }
}

TEST(HelpTextTest, PopupTopicsAreFoundByNumberOnly) {
  const QString text = QStringLiteral(
      ".topic 1\r\nпервый\r\n\r\n.topic IDH_NAMED\nименованный\n.topic 12\n  двенадцатый\n  вторая строка\n"
      ".topic 120\nсто двадцать\n");
  const struct {
    int topic;
    std::optional<QString> text;
  } cases[] = {{1, QStringLiteral("первый")},
               {12, QStringLiteral("двенадцатый\n  вторая строка")},
               {120, QStringLiteral("сто двадцать")},
               {2, std::nullopt},
               {0, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(c.text, HtmlHelpU::PopupText(text, c.topic)) << c.topic;
}

TEST(HelpTextTest, AddressesSplitAtTheirLastDoubleColon) {
  QString file;
  QString object;
  ASSERT_TRUE(HtmlHelpU::SplitAddress(QStringLiteral("/a::b/Vireon.chm::/x.htm"), file, object));
  EXPECT_EQ(QStringLiteral("/a::b/Vireon.chm"), file);
  EXPECT_EQ(QStringLiteral("/x.htm"), object);
  ASSERT_TRUE(HtmlHelpU::SplitAddress(QStringLiteral("h.chm::y.htm"), file, object));
  EXPECT_EQ(QStringLiteral("/y.htm"), object);
  for (const char* bad : {"h.chm", "::/x.htm", "h.chm::", "h.chm::/"}) {
    EXPECT_FALSE(HtmlHelpU::SplitAddress(QString::fromUtf8(bad), file, object)) << bad;
  }
}

}  // namespace
