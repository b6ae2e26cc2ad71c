#include "Unitabout.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "AboutArt.h"
#include "ApplicationLogic.h"
#include "ControlTexts.h"
#include "DialogKit.h"
#include "Qtexts.h"
#include "Skin.h"
#include "WebPages.h"

namespace {

constexpr int kClientWidth = 379;
constexpr int kClientHeight = 243;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAttribute(Qt::WA_TranslucentBackground);
  return label;
}

// A label that shows `url` as a blue link with the hand cursor.
QLabel* MakeLink(QWidget* parent, const char* name, const std::string& url) {
  QLabel* label = MakeLabel(parent, name);
  const QString address = Q(url);
  label->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff\">%2</a>")
                     .arg(address.toHtmlEscaped(), address.toHtmlEscaped()));
  label->setTextFormat(Qt::RichText);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  label->setCursor(Qt::PointingHandCursor);
  label->setToolTip(address);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(const std::string& version, QWidget* parent) : QDialog(parent) {
  QFont windowFont(ArialFamily());
  windowFont.setPixelSize(13);
  setFont(windowFont);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  ProgramIcon = MakeLabel(this, "ProgramIcon");
  ProgramIcon->setScaledContents(true);
  ProductName = MakeLabel(this, "ProductName");
  QFont nameFont = ProductName->font();
  nameFont.setBold(true);
  nameFont.setPixelSize(15);
  ProductName->setFont(nameFont);
  ProductURL = MakeLink(this, "ProductURL", HomePageUrl());
  Copyright = MakeLabel(this, "Copyright",
                        QStringLiteral("\u00A9 The Pardow developers. "
                                       "All rights reserved."));
  CompanyURL = MakeLink(this, "CompanyURL", MakerPageUrl());
  CompanyURL->setWordWrap(true);
  LbTranslation = MakeLabel(this, "LbTranslation");
  LbTranslatorName = MakeLabel(this, "LbTranslatorName");
  BtOk = new QPushButton(this);
  BtOk->setObjectName("BtOk");
  BtOk->setDefault(true);
  BtOk->setFixedSize(75, 25);
  ApplyTexts({
      {CaptionOf(this), 10000, "About"},
      {CaptionOf(BtOk), 1, "OK"},
      {CaptionOf(LbTranslation), 10002, "Translation:"},
      {CaptionOf(LbTranslatorName), 10003, "Name"},
  });
  ProductName->setText(QStringLiteral("Pardow ") + Q(version));

  // From the top, as the design lays them out: the name under the band,
  // the links and the rights line, the translator, the button.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 30, 16, 10);
  layout->setSpacing(2);
  layout->addWidget(ProductName);
  layout->addWidget(ProductURL);
  layout->addSpacing(14);
  layout->addWidget(Copyright);
  layout->addWidget(CompanyURL);
  layout->addStretch(1);
  layout->addWidget(LbTranslation);
  layout->addWidget(LbTranslatorName);
  layout->addSpacing(14);
  auto* buttons = new QHBoxLayout;
  buttons->addSpacing(150 - 16);
  buttons->addWidget(BtOk);
  buttons->addStretch();
  layout->addLayout(buttons);
  const QSize needed = layout->sizeHint();
  setFixedSize(std::max(kClientWidth, needed.width()), std::max(kClientHeight, needed.height()));

  // A build without web addresses shows none rather than a made-up one.
  ProductURL->setVisible(!HomePageUrl().empty());
  CompanyURL->setVisible(!MakerPageUrl().empty());
  connect(ProductURL, &QLabel::linkActivated, this, &TAboutBox::ProductURLClick);
  connect(CompanyURL, &QLabel::linkActivated, this, &TAboutBox::CompanyURLClick);
  connect(BtOk, &QPushButton::clicked, this, &QDialog::accept);
  ApplyControlIcons(this);
}

void TAboutBox::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  QPixmap background(size());
  QPainter painter(&background);
  PaintAboutBackground(painter, background.rect());
  painter.end();
  ProgramIcon->setGeometry(rect());
  ProgramIcon->setPixmap(background);
  ProgramIcon->lower();
}

void TAboutBox::ProductURLClick() {
  OpenWebPage(QUrl(Q(HomePageUrl())));
}

void TAboutBox::CompanyURLClick() {
  OpenWebPage(QUrl(Q(MakerPageUrl())));
}
