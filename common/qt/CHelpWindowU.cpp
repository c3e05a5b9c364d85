#include "CHelpWindowU.h"

#include <QFile>
#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "CChmFileU.h"

namespace {

constexpr const char* kScheme = "chm";

}  // namespace

// Reads every page and resource from the help file of its window.
class CHelpWindowU::PageBrowser : public QTextBrowser {
 public:
  explicit PageBrowser(const CHelpWindowU& owner) : owner_(owner) { setOpenExternalLinks(false); }

  QVariant loadResource(int type, const QUrl& name) override {
    if (name.scheme() != QLatin1String(kScheme) || !owner_.chm_) return {};
    std::string bytes;
    if (!owner_.chm_->Read(name.path().toStdString(), bytes)) return {};
    const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) {
      return QString::fromUtf8(data);
    }
    return data;
  }

 protected:
  void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
    // Only pages inside the help file are shown; anchors within a page too.
    if (name.scheme() != QLatin1String(kScheme)) return;
    QTextBrowser::doSetSource(name, type);
  }

 private:
  const CHelpWindowU& owner_;
};

CHelpWindowU::CHelpWindowU(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Справка"));
  resize(640, 520);

  browser_ = new PageBrowser(*this);
  back_ = new QToolButton(this);
  back_->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
  back_->setToolTip(QStringLiteral("Назад"));
  back_->setEnabled(false);
  forward_ = new QToolButton(this);
  forward_->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
  forward_->setToolTip(QStringLiteral("Вперёд"));
  forward_->setEnabled(false);
  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Справка") : title);
  });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back_);
  buttons->addWidget(forward_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buttons);
  layout->addWidget(browser_, 1);
}

CHelpWindowU::~CHelpWindowU() = default;

QTextBrowser* CHelpWindowU::Browser() const {
  return browser_;
}

QString CHelpWindowU::CurrentPath() const {
  return browser_->source().path();
}

bool CHelpWindowU::ShowTopic(const QString& file, const QString& path) {
  if (!chm_ || file != file_) {
    auto chm = std::make_unique<CChmFileU>(QFile::encodeName(file).toStdString());
    if (!chm->IsOpen() || !chm->Contains(path.toStdString())) return false;
    // The history holds pages of the previous file, which can no longer be read.
    browser_->clearHistory();
    chm_ = std::move(chm);
    file_ = file;
  } else if (!chm_->Contains(path.toStdString())) {
    return false;
  }
  QUrl url;
  url.setScheme(QString::fromLatin1(kScheme));
  url.setPath(path);
  browser_->setSource(url, QTextDocument::HtmlResource);
  return true;
}
