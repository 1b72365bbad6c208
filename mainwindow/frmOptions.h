#pragma once

#include <QDialog>
#include <QVector>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QWidget;
class cEnvironment;

// The preferences dialog: edits the preferences of the settings object. Save writes them into it (the
// start-with-the-system choice reaches its autostart entry at once, the others at the end of the run),
// closes the dialog and tells the main window (preferencesSaved), which rebuilds itself with them; Cancel
// changes nothing.
class frmOptions : public QDialog
{
    Q_OBJECT
public:
    // Loads the dialog over the main window (the owner; may be null in tests).
    explicit frmOptions(QWidget *owner);
    ~frmOptions() override;

    // What the dialog shows and saves: the start-with-the-system choice and the value of every
    // preference (in the order of Preferences::all(); flags as 1 or 0).
    struct Choices {
        bool StartOnWindows = false;
        std::vector<int> values;
        bool operator==(const Choices &) const = default;
    };
    static constexpr int CheckCount = 7;

    static Choices ReadChoices(const cEnvironment &env);
    // Writes into the settings object the preferences the dialog edits. The start-with-the-system choice
    // goes last and changes the autostart entry at once; a failure there (RuntimeError) leaves the other
    // preferences saved.
    static void SaveChoices(const Choices &choices, cEnvironment &env);
    // The default days as typed: a whole number within the preference's bounds (blanks around it allowed),
    // or else `kept`.
    static short AlertDaysFromText(const QString &text, short kept);

    // The choices the controls show.
    Choices choicesOnScreen() const;

    // --- controls ---
    QVector<QGroupBox *> frmopt;     // 0 global settings, 1 deadlines data sheet
    QVector<QCheckBox *> chkData;    // 0..6
    QVector<QLabel *> lblWarn;       // 0 "days", 1 the default term
    QWidget *picdata = nullptr;      // holds the days field
    QSpinBox *txtData = nullptr;     // the default days, with its up-down arrows
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;

    static constexpr int HelpContext = 23;

signals:
    // Save wrote the preferences and closed the dialog.
    void preferencesSaved();

public slots:
    void cmdSalva_Click();
    void cmdAnnulla_Click();
    void chkData_Click(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    void Form_Load();

    bool m_loaded = false;
};
