#include "mainwindow/frmAbout.h"

#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/WindowSupport.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVersionNumber>

namespace {
// The version of this release, for a run in which the application has not been given its version.
constexpr char ReleaseVersion[] = ORVEL_VERSION;
// The general help topic of the program.
constexpr int HelpContext = 1;
constexpr int PictureSize = 48;

// Shows the busy pointer for as long as it lives, so every way out restores the default pointer.
struct BusyPointer {
    BusyPointer() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

QLabel *linkLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setCursor(Qt::PointingHandCursor);
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    label->setPalette(p);
    return label;
}
} // namespace

void frmAbout::ShowModal(QWidget *owner)
{
    frmAbout box(owner);
    box.exec();
}

QString frmAbout::WebAddress()
{
    return QStringLiteral("www.tarnwel.example");
}

QString frmAbout::WebLink()
{
    return QStringLiteral("https://") + WebAddress() + QLatin1Char('/');
}

QString frmAbout::SupportAddress()
{
    return QStringLiteral("support@tarnwel.example");
}

QString frmAbout::SupportLink()
{
    return QStringLiteral("mailto:") + SupportAddress();
}

QString frmAbout::VersionNumbers()
{
    QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    if (v.isNull())
        v = QVersionNumber::fromString(QLatin1String(ReleaseVersion));
    return QStringLiteral("%1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(v.microVersion());
}

frmAbout::frmAbout(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Icons::program().pixmap(PictureSize, PictureSize));
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    lblWeb = linkLabel(this, "lblWeb", WebAddress());
    lblMain = linkLabel(this, "lblMain", SupportAddress());
    // The button's caption is the same in every language.
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(lblTitle, 0, 1);
    layout->addWidget(lblVersion, 1, 1);
    layout->addWidget(Line1, 2, 0, 1, 2);
    layout->addWidget(lblWeb, 3, 1);
    layout->addWidget(lblMain, 4, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons, 5, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    lblWeb->installEventFilter(this);
    lblMain->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    Form_Load();
}

void frmAbout::Form_Load()
{
    const QString title = Env ? Env->AppTitle : QString();
    setWindowTitle(title);
    lblVersion->setText(LRS(1355) + QLatin1Char(' ') + VersionNumbers());
    lblTitle->setText(title);
}

void frmAbout::OpenLink(const QString &link)
{
    BusyPointer busy;
    platform::openWithDefaultApplication(link);
}

void frmAbout::lblWeb_Click()
{
    OpenLink(WebLink());
}

void frmAbout::lblMain_Click()
{
    OpenLink(SupportLink());
}

void frmAbout::cmdOK_Click()
{
    accept();
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == lblWeb) {
            lblWeb_Click();
            return true;
        }
        if (watched == lblMain) {
            lblMain_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelpPage(this, HelpContext);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
