#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The up-down (spin) buttons beside a whole-number text box, its buddy: each click steps the box's number by
// one within [minimum, maximum] and writes it back into the box. A box that holds no number steps from the
// minimum. The buttons take no focus, so the box keeps its own checks.
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent);

    void stepBy(int steps);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }

    QToolButton *upButton = nullptr;
    QToolButton *downButton = nullptr;

private:
    QLineEdit *m_buddy;
    int m_minimum;
    int m_maximum;
};
