#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

// The language of the user interface: picks the text block from the stored choice (or the user's locale),
// looks texts up by their number and fills the "xxx" placeholder. Every window that stays open while the
// language can change connects LanguageChanged to its own Localize, so that all open windows follow a
// switch of the language.
class cLang : public QObject
{
    Q_OBJECT
public:
    // Reads AppLanguageId (0 = automatic) and picks the block.
    cLang();
    // Writes AppLanguageId back.
    ~cLang() override;

    int AppLanguageId() const { return m_appLanguageId; }
    void setAppLanguageId(int id) { m_appLanguageId = id; }
    // Recomputes the block offset and the help file from AppLanguageId, then emits LanguageChanged.
    bool LanguageUpdate();

    // The text `id` (a number, or text holding a number, trailing blanks allowed) in the current language;
    // defstring when there is none.
    QString LRS(const QVariant &id, const QString &defstring = QString()) const;
    // The same with every "xxx" replaced by val.
    QString LRSV(const QVariant &id, const QVariant &val, const QString &defstring = QString()) const;

    int blockOffset() const { return m_offset; }
    QString helpFile() const { return m_helpFile; }

    // The stored AppLanguageId (0, automatic, when it is missing, not a number or not a 16-bit one).
    static int StoredLanguageId();

    // The block offset for an AppLanguageId, and for the automatic choice, for a Windows language id.
    static int offsetForLanguageId(int appLanguageId, const QString &windowsLanguageId);

signals:
    // The texts of the current language may have changed (emitted by every LanguageUpdate).
    void LanguageChanged();

private:
    int m_appLanguageId = 0;
    int m_offset = 3000;
    QString m_helpFile;
};

// Shortcuts to the program's language object (the texts of the current language).
QString LRS(const QVariant &id, const QString &defstring = QString());
QString LRSV(const QVariant &id, const QVariant &val, const QString &defstring = QString());

// Qt's own texts (the buttons of message boxes, the file dialogs) in the language of a text block: Qt's
// translation of that language replaces the one installed before. English needs none.
void InstallQtTranslation(int blockOffset);

// The text table, loaded once from the program's resources: id (block offset + number) -> text.
const QHash<int, QString> &textTable();
