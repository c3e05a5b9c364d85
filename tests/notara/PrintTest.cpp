// Printing from the editor as a user meets it: the print dialog (answered by
// a script that picks a PDF file as the printer), the print preview, and the
// printed pages opened by another program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTest>

#include "CMainWindow.h"
#include "CNotaraApp.h"
#include "CPrintCommands.h"
#include "NotaraCommands.h"
#include "NotaraTestSupport.h"
#include "QtDrawSurface.h"
#include "TestApplication.h"

namespace {

QApplication& App() {
  return TestApplication<QApplication>("notara-print-tests");
}

// A melody file of count quarter notes climbing through the range.
void WriteMel(const std::string& path, int count) {
  std::vector<notaratest::MelNote> notes;
  for (int i = 0; i < count; ++i) notes.push_back({static_cast<BYTE>(i % 32), 2, 0});
  notaratest::WriteMel(path, notes);
}

// pdfinfo's page count of path; -1 when it cannot tell.
int PdfPages(const std::string& path) {
  QProcess process;
  process.start("pdfinfo", {QString::fromStdString(path)});
  if (!process.waitForFinished(-1) || process.exitCode() != 0) return -1;
  for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
    if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
  }
  return -1;
}

class PrintTest : public testing::Test {
 protected:
  void SetUp() override {
    App();
    notaratest::PrepareSonvox();
  }
  void TearDown() override {
    if (app_) app_->Shutdown();
  }

  // The editor with a melody of count notes open.
  void Start(int count) {
    const std::string path = dir_.file("melody.mel");
    WriteMel(path, count);
    app_ = std::make_unique<CNotaraApp>(dialogs_);
    ASSERT_TRUE(app_->Start(QString::fromStdString(path)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app_->Window()));
  }

  nvtest::TempDir dir_;
  notaratest::ScriptedDialogs dialogs_;
  std::unique_ptr<CNotaraApp> app_;
};

TEST_F(PrintTest, ThePrintDialogsPrinterGetsEveryPage) {
  struct Case {
    int notes;
    bool accept;
    int pages;  // -1: nothing printed
  } cases[] = {
      {1, true, 1}, {300, true, 3}, {300, false, -1},  // cancelled
  };
  for (const Case& c : cases) {
    Start(c.notes);
    const std::string pdf = dir_.file("printed" + std::to_string(c.notes) + (c.accept ? "a" : "c") + ".pdf");
    QPageLayout offered;
    dialogs_.exec = [&](QDialog& dialog) {
      auto* print = qobject_cast<QPrintDialog*>(&dialog);
      if (print == nullptr) return int{QDialog::Rejected};
      offered = print->printer()->pageLayout();
      print->printer()->setOutputFormat(QPrinter::PdfFormat);
      print->printer()->setOutputFileName(QString::fromStdString(pdf));
      return int{c.accept ? QDialog::Accepted : QDialog::Rejected};
    };
    app_->Window()->RunCommand(IDM_PRINT);
    EXPECT_EQ(QPageSize::A4, offered.pageSize().id()) << c.notes;
    EXPECT_EQ(QPageLayout::Portrait, offered.orientation()) << c.notes;
    EXPECT_TRUE(dialogs_.boxes.empty()) << c.notes;
    if (c.pages < 0) {
      EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdf)));
    } else {
      EXPECT_EQ(c.pages, PdfPages(pdf)) << c.notes << " notes (pdfinfo from poppler-utils)";
    }
    app_->Shutdown();
    app_.reset();
  }
}

TEST_F(PrintTest, ThePreviewShowsThePagesOfTheMelody) {
  Start(300);
  int shown = -1;
  dialogs_.exec = [&](QDialog& dialog) {
    if (qobject_cast<QPrintPreviewDialog*>(&dialog) == nullptr) return int{QDialog::Rejected};
    dialog.resize(1000, 560);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) return int{QDialog::Rejected};
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    if (preview == nullptr) return int{QDialog::Rejected};
    preview->setViewMode(QPrintPreviewWidget::AllPagesView);
    preview->fitInView();
    QApplication::processEvents();
    shown = preview->pageCount();
    // A picture of the preview for the documentation, when asked for.
    if (const QByteArray folder = qgetenv("NV_PREVIEW_SHOT"); !folder.isEmpty()) {
      dialog.grab().save(QString::fromLocal8Bit(folder) + "/notara-print-preview.png");
    }
    dialog.hide();
    return int{QDialog::Accepted};
  };
  app_->Window()->RunCommand(IDM_PRINT_PREVIEW);
  EXPECT_EQ(3, shown);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

// The preview keeps its pages as recordings and plays them whenever it
// repaints, long after the glyph lists they were drawn from are gone.
TEST_F(PrintTest, ThePreviewKeepsGlyphsWhoseListsAreGone) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewWidget preview(&printer);
  QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [](QPrinter* target) {
    QPainter painter(target);
    painter.scale(25, 25);
    ImageList list(64, 48);
    // Transparent at the left, as glyphs are around their ink.
    std::vector<uint32_t> pixels(64 * 48, 0xFF0000FFu);
    for (size_t i = 0; i < pixels.size(); i += 64) std::fill_n(pixels.begin() + static_cast<long>(i), 16, 0u);
    list.Add(std::move(pixels));
    QtDrawSurface surface(painter);
    surface.DrawImage(&list, 0, 1, 1, ILD_TRANSPARENT);
  });
  preview.resize(500, 700);
  preview.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
  preview.updatePreview();
  // The freed pixels are taken over by pictures of another colour.
  std::vector<std::vector<uint32_t>> others;
  for (int i = 0; i < 16; ++i) others.emplace_back(64 * 48, 0xFFFF0000u);
  const QImage shown = preview.grab().toImage();
  int blue = 0;
  int red = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      const QColor c = shown.pixelColor(x, y);
      blue += c.blue() > 200 && c.red() < 60 && c.green() < 60 ? 1 : 0;
      red += c.red() > 200 && c.blue() < 60 && c.green() < 60 ? 1 : 0;
    }
  }
  EXPECT_GT(blue, 100);
  EXPECT_EQ(0, red);
}

}  // namespace
