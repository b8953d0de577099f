#pragma once

// The words offered while a row's text is typed: fact and action names,
// the values their parameter types allow, the AI's constants and the
// preprocessor symbols, by where the cursor stands.
#include "files/rowstext.h"

#include <QString>
#include <QStringList>
#include <QStringView>

class Vocabulary;

namespace RowCompletion {

struct Sources {
    QStringList facts, actions, symbols, constants;
    // the parameter types of facts and actions; none: no values offered
    const Vocabulary *vocabulary = nullptr;
};
// The catalogues' names and symbols as loaded now, with the vocabulary's
// types and the constants given.
Sources fromCatalogues(const Vocabulary *vocabulary, QStringList constants);

// Where the word being typed starts in text, the cursor at its end.
qsizetype wordStart(QStringView text);
// The words that may stand at the end of before (the text up to the word
// being typed) in a row of place, sorted without regard to case.
QStringList offered(QStringView before, SaveOpen::RowPlace place, const Sources &sources);

} // namespace RowCompletion
