#pragma once

#include <QRgb>
#include <QString>
#include <QStringView>

// One row of the script: what the writer needs (kind and text) plus the
// colour the row is shown in. The display text is the stored content of the
// line, so every producer builds it in the exact form of its kind.
enum class LineKind : quint8 {
    Prep,   // "Prép": #load-if-defined / #load-if-not-defined / #else / #end-if
    Const,  // "Const"
    CommN,  // "Comm N": comment on a line of its own
    CommE,  // "Comm E": comment at the end of the line before
    FactB,
    FactE,
    FactOB,
    FactOE,
    FactAB,
    FactAE,
    Fact,
    Act,
    Load,
    RLoad,
    BL,
    FactTB, // "Tous": start of an and-group of facts
    FactTE, // "Fin de tous"
    FactNB, // "Ni": start of a nor-group of facts
    FactNE, // "Fin de ni"
    Text,   // "Texte": text the editor does not know, kept as read
    Unknown, // a tag that is none of the above; the writer skips it
};

// The exact tag value of a kind ("Prép" with its accent).
QString kindTag(LineKind kind);
// Exact, case-sensitive; anything else is LineKind::Unknown.
LineKind kindFromTag(QStringView tag);

struct ScriptLine {
    QString text;
    QRgb colour = qRgb(0, 0, 0);
    LineKind kind = LineKind::Unknown;
    // The form of the file the row was read from (an index into the
    // script's source forms), or NoForm for a row made in the editor.
    int form = NoForm;
    // The line of the file the row stands on now (as read, then as last
    // saved), 0 when it is in no file yet; several rows may share one.
    qint32 line = 0;
    // The line it was read from, 0 for a row made in the editor: saving a
    // form as read puts its rows where this says within it.
    qint32 readLine = 0;
    // AfterArrow: the rule's "=>" stands just before this row in the file (a
    // comment line or an end comment may come between "=>" and the first
    // action), so the layout writes it there.
    quint8 flags = 0;
    static constexpr int NoForm = -1;
    static constexpr quint8 AfterArrow = 1;
};

// How messages name the row at pos (1-based): by its file line, or by its
// place in the list when it is in no file yet.
QString rowPlace(const ScriptLine &line, int pos);

// The fixed texts of rows: the prefixes that give a row its form, and the
// texts of the rule structure rows. The reader, the writer and the editors
// all use these.
namespace RowText {
inline const QString ConstantPrefix = QStringLiteral("Constante: ");
inline const QString ConstantSeparator = QStringLiteral(" = ");
inline const QString EndCommentPrefix = QStringLiteral("|-- ");
inline const QString NegationPrefix = QStringLiteral("Inverse de ");
inline const QString IfPrefix = QStringLiteral("Si ");
inline const QString IfNotPrefix = QStringLiteral("Si inverse ");
inline const QString Else = QStringLiteral("Sinon");
inline const QString EndIf = QStringLiteral("Fin de si");
inline const QString RuleStart = QStringLiteral("Début de règle"); // made by the composer
inline const QString RuleStartRead = QStringLiteral("Début de fait"); // read from a file
inline const QString RuleEnd = QStringLiteral("Fin de règle");
inline const QString Or = QStringLiteral("Ou");
inline const QString OrEnd = QStringLiteral("Fin de ou");
inline const QString AndNot = QStringLiteral("Et pas");
inline const QString AndNotInserted = QStringLiteral("Et");
inline const QString AndNotEnd = QStringLiteral("Fin de et pas");
inline const QString AndNotEndInserted = QStringLiteral("Fin de et");
inline const QString And = QStringLiteral("Tous");
inline const QString AndEnd = QStringLiteral("Fin de tous");
inline const QString Nor = QStringLiteral("Ni");
inline const QString NorEnd = QStringLiteral("Fin de ni");
} // namespace RowText

// Colours of the rows, one per kind whoever makes them.
namespace Colours {
inline constexpr QRgb Prep = qRgb(255, 0, 0);
inline constexpr QRgb Const = qRgb(0, 0, 255);
// A new row is drawn as the rows of its kind read from a file.
inline constexpr QRgb Comment = qRgb(0, 128, 0);
inline constexpr QRgb Rule = qRgb(128, 0, 128);
inline constexpr QRgb Act = qRgb(0, 0, 0);
inline constexpr QRgb Load = qRgb(0, 0, 255); // and random loads
inline constexpr QRgb Blank = qRgb(255, 255, 255);
inline constexpr QRgb Text = qRgb(128, 128, 128);
} // namespace Colours
