#include "editors/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent)
    : QWidget(parent), m_buddy(buddy), m_minimum(minimum), m_maximum(maximum)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    upButton = new QToolButton(this);
    upButton->setArrowType(Qt::UpArrow);
    downButton = new QToolButton(this);
    downButton->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {upButton, downButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        b->setFixedWidth(buddy->sizeHint().height() * 3 / 4);
        layout->addWidget(b);
    }
    setFixedHeight(buddy->sizeHint().height());
    connect(upButton, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(downButton, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::stepBy(int steps)
{
    bool ok = false;
    const int current = m_buddy->text().trimmed().toInt(&ok);
    const int value = qBound(m_minimum, (ok ? current : m_minimum) + steps, m_maximum);
    m_buddy->setText(QString::number(value));
}
