#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <utility>
#include <vector>

// What the catalogues say a script may hold, arranged for checking a script
// against it: the facts and actions with the types of their parameters, the
// values each type allows, and the preprocessor symbols. Names and values
// compare without regard to case, as the game reads them.
class Vocabulary
{
public:
    // From the catalogues as loaded now.
    static Vocabulary fromCatalogues();
    // Reads the four catalogues from the plug-in's folder first (their
    // problems reported as the loaders report them).
    static Vocabulary loadCatalogues();

    struct Entry {
        QString name;      // as the catalogue writes it
        QStringList types; // one per parameter, in order
        std::vector<int> typeIndex; // each one's place in the types below
    };
    const Entry *fact(QStringView name) const { return find(m_facts, name); }
    const Entry *action(QStringView name) const { return find(m_actions, name); }
    // The catalogue name closest to name, a letter or two away; "" when none is.
    QString closestFact(QStringView name) const { return closest(m_facts, name); }
    QString closestAction(QStringView name) const { return closest(m_actions, name); }

    // The values a parameter type allows.
    struct Type {
        bool anyValue = true; // typed text, or a type the catalogue does not describe
        QSet<QString> words;  // its listed values, folded
        QStringList listed;   // the same as listed, for messages
        std::vector<std::pair<int, int>> ranges;
        bool allows(QStringView value) const;
        // "un nombre de 0 à 20", "ble, bois, pierre, …", for messages.
        QString description;
    };
    const Type &type(const QString &name) const;
    const Type &type(int index) const { return m_typeList[size_t(index)]; }

    bool knowsSymbol(QStringView symbol) const { return m_symbols.contains(folded(symbol)); }

    // Lower case, for comparisons.
    static QString fold(QStringView s) { return s.toString().toLower(); }
    // The same in a buffer of the calling thread's, reused: a lookup per
    // value of a 100,000-row script allocates nothing.
    static const QString &folded(QStringView s);

private:
    using Entries = QHash<QString, Entry>;
    static const Entry *find(const Entries &entries, QStringView name);
    static QString closest(const Entries &entries, QStringView name);
    Entries m_facts, m_actions;
    std::vector<Type> m_typeList; // the first one allows any value
    QHash<QString, int> m_types;
    QHash<QString, bool> m_symbols;
};
