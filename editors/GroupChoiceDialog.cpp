#include "editors/GroupChoiceDialog.h"

#include "foundation/cLang.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int PictureSize = 32;

void setBold(QWidget *w, bool bold)
{
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
}
} // namespace

GroupChoiceDialog::GroupChoiceDialog(QWidget *owner, const Design &design)
    : ModalDialog(owner)
{
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(PictureSize, PictureSize));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(design.picture.pixmap(PictureSize, PictureSize));
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *options = new QVBoxLayout(Frame1);
    for (int i = 0; i < 2; ++i) {
        m_options[i] = new QRadioButton(Frame1);
        m_options[i]->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(design.optionName)).arg(i));
        options->addWidget(m_options[i]);
        connect(m_options[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                option_Click(i);
        });
    }
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addWidget(Label1, 1);
    auto *middle = new QHBoxLayout;
    middle->addWidget(Frame1, 1);
    middle->addWidget(Image2, 0, Qt::AlignVCenter);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &GroupChoiceDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &GroupChoiceDialog::cmdCancel_Click);

    setWindowTitle(LRS(design.caption));
    Label1->setText(LRS(1130));
    m_options[0]->setText(LRS(design.option0));
    m_options[1]->setText(LRS(design.option1));
    // Each option keeps the width its text takes in bold, as when it is chosen: the dialog's size and its
    // buttons' place do not change with the choice.
    for (QRadioButton *option : m_options) {
        QFont bold = option->font();
        bold.setBold(true);
        const int extra = QFontMetrics(bold).horizontalAdvance(option->text())
                          - option->fontMetrics().horizontalAdvance(option->text());
        option->setMinimumWidth(option->sizeHint().width() + qMax(0, extra));
    }
    cmdOK->setText(LRS(design.ok));
    cmdCancel->setText(LRS(1109));
    setHelpContextID(design.helpContext);

    m_options[0]->setChecked(true);
    option_Click(0);
    m_options[0]->setFocus();
}

int GroupChoiceDialog::Apri()
{
    // Only a choice made in this showing counts.
    GroupChoice = Cancelled;
    exec();
    return GroupChoice;
}

void GroupChoiceDialog::cmdOK_Click()
{
    GroupChoice = m_options[0]->isChecked() ? FirstOption : SecondOption;
    accept();
}

void GroupChoiceDialog::cmdCancel_Click()
{
    GroupChoice = Cancelled;
    QDialog::reject();
}

void GroupChoiceDialog::reject()
{
    cmdCancel_Click();
}

void GroupChoiceDialog::option_Click(int Index)
{
    setBold(m_options[0], Index == 0);
    setBold(m_options[1], Index == 1);
}
