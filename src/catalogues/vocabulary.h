#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <utility>
#include <vector>

// What the catalogues say a script may hold, arranged for checking a script
// against it: the facts and actions with the types of their parameters, the
// values each type allows, and the preprocessor symbols. Names and values
// compare without regard to ASCII case, as the game reads them.
class Vocabulary
{
public:
    // From the catalogues as loaded now.
    static Vocabulary fromCatalogues();
    // Reads the four catalogues from the plug-in's folder first (their
    // problems reported as the loaders report them).
    static Vocabulary loadCatalogues();
    // Why the catalogues of folder cannot be read, "" when they can: the
    // folder and its four files must be there.
    static QString unreadable(const QString &folder);
    // The value a catalogue entry stands for: its text before the first " (".
    static QString valuePart(const QString &entry);

    struct Entry {
        QString name;      // as the catalogue writes it
        QStringList types; // one per parameter, in order
        std::vector<int> typeIndex; // each one's place in the types below
    };
    const Entry *fact(QStringView name) const { return find(m_facts, name); }
    const Entry *action(QStringView name) const { return find(m_actions, name); }
    // The catalogue name closest to name, a letter or two away; "" when none is.
    QString closestFact(QStringView name) const;
    QString closestAction(QStringView name) const;

    // The values a parameter type allows.
    struct Type {
        // Typed text, a type the catalogue does not describe, or one it
        // gives no usable value.
        bool anyValue = true;
        QSet<QString> words;  // its listed values, folded
        QStringList listed;   // the same as listed, for messages
        std::vector<std::pair<int, int>> ranges;
        // The lowest and highest number listed as a value (its steps); low
        // above high when none is.
        int lowestStep = 1, highestStep = 0;
        // Allowed: a listed value or a number of a range. Step: a number
        // the type does not list, where ranges do not bound it (between or
        // beside its steps, or a type of words): the catalogue suggests, the
        // game may take it. Refused: a word it does not list, or a number
        // outside every range and beyond the steps.
        enum class Verdict : quint8 { Allowed, Step, Refused };
        Verdict judge(QStringView value) const;
        bool allows(QStringView value) const { return judge(value) == Verdict::Allowed; }
        // "un nombre de 0 à 20", "ble, bois, pierre, …", for messages.
        QString description;
    };
    const Type &type(const QString &name) const;
    const Type &type(int index) const { return m_typeList[size_t(index)]; }

    bool knowsSymbol(QStringView symbol) const { return m_symbols.contains(folded(symbol)); }

    // The edit distance of a and b, letters compared as they are, or more
    // than limit when it is.
    static int distance(QStringView a, QStringView b, int limit);

    // ASCII letters in lower case, for comparisons: the game folds no other.
    static QString fold(QStringView s) { return folded(s); }
    // The same in a buffer of the calling thread's, reused: a lookup per
    // value of a 100,000-row script allocates nothing.
    static const QString &folded(QStringView s);

    Vocabulary();
    ~Vocabulary();
    Vocabulary(Vocabulary &&);
    Vocabulary &operator=(Vocabulary &&);

private:
    using Entries = QHash<QString, Entry>;
    class NameIndex;
    static const Entry *find(const Entries &entries, QStringView name);
    static QString closest(std::unique_ptr<NameIndex> &index, const Entries &entries, QStringView name);
    Entries m_facts, m_actions;
    // The names cut in parts, for the suggestions; made on first use.
    mutable std::unique_ptr<NameIndex> m_factIndex, m_actionIndex;
    std::vector<Type> m_typeList; // the first one allows any value
    QHash<QString, int> m_types;
    QHash<QString, bool> m_symbols;
};
