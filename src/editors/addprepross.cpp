#include "addprepross.h"

#include "catalogues/prepross.h"
#include "document/linebuilders.h"
#include "shell/messages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>

namespace {
const char *const CategoryCaptions[11] = {
    "Type de partie",    "Époque de départ",
    "Ressources de départ", "Taille de la carte",
    "Type de carte",     "Type de victoire",
    "Difficulté",        "Limite de population",
    "Verrouillage de la vitesse du jeu", "Verrouillage des équipes",
    "Civilisation du joueur"};

// An entry's symbol when a line is edited: its text before " (".
QString editSymbol(const QString &entry)
{
    return LineText::valuePart(entry);
}
} // namespace

AddPrepross::AddPrepross() : ActivatedDialog(EditorSupport::dialogParent())
{
    setWindowTitle(QStringLiteral("Ajout d'un chargement conditionnel"));
    setModal(true);
    auto *layout = new QGridLayout(this);
    MenuBar = new QMenuBar(this);
    layout->setMenuBar(MenuBar);
    // Alt+A opens the menu; the category entries keep their plain titles,
    // which the filter compares with the catalogue's.
    ShowItems = MenuBar->addMenu(QStringLiteral("&Afficher"));
    ST = ShowItems->addMenu(QStringLiteral("&Types"));
    SC = ShowItems->addMenu(QStringLiteral("&Catégories"));
    auto tickable = [](QMenu *menu, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setCheckable(true);
        a->setChecked(true);
        return a;
    };
    ShowG1 = tickable(ST, QStringLiteral("Symboles globaux type 1"));
    ShowG2 = tickable(ST, QStringLiteral("Symboles globaux type 2"));
    ShowL1 = tickable(ST, QStringLiteral("Symboles locaux type 1"));
    ShowL2 = tickable(ST, QStringLiteral("Symboles locaux type 2"));
    for (int i = 0; i < 11; ++i) {
        ShowT[i] = tickable(SC, QString::fromUtf8(CategoryCaptions[i]));
        connect(ShowT[i], &QAction::triggered, this, &AddPrepross::filter);
    }
    ShowT1 = ShowT[0], ShowT2 = ShowT[1], ShowT3 = ShowT[2], ShowT4 = ShowT[3], ShowT5 = ShowT[4];
    ShowT6 = ShowT[5], ShowT7 = ShowT[6], ShowT8 = ShowT[7], ShowT9 = ShowT[8], ShowT10 = ShowT[9];
    ShowT11 = ShowT[10];
    connect(ShowG1, &QAction::triggered, this, [this](bool t) { typeClicked(ShowG1, t, {2, 3, 4, 5, 6, 7, 8}); });
    connect(ShowG2, &QAction::triggered, this, [this](bool t) { typeClicked(ShowG2, t, {1, 9, 10}); });
    connect(ShowL1, &QAction::triggered, this, [this](bool t) { typeClicked(ShowL1, t, {11}); });
    // ShowL2 governs no category: its tick only changes.

    Label1 = new QLabel(QStringLiteral("Type de condition:"), this);
    Combo1 = new QComboBox(this);
    for (const QString &type : LineText::ConditionTypes)
        Combo1->addItem(type);
    Label2 = new QLabel(QStringLiteral("Condition:"), this);
    Combo2 = new QComboBox(this);
    Combo2->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo2->setMinimumContentsLength(45);
    Combo2->setMaxVisibleItems(20);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command1->setDefault(true);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Combo1, 0, 1, 1, 2);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(Combo2, 1, 1, 1, 2);
    layout->addWidget(Command1, 2, 1);
    layout->addWidget(Command2, 2, 2);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &AddPrepross::Combo1_Click);
    connect(Command1, &QPushButton::clicked, this, &AddPrepross::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

void AddPrepross::fillAll()
{
    QStringList texts;
    texts.reserve(int(Prepross::SymbolTable.size()));
    for (const Prepross::SymbolEntry &e : Prepross::SymbolTable)
        texts.append(e.listText);
    Combo2->clear();
    Combo2->addItems(texts);
}

void AddPrepross::filter()
{
    m_filtered = true;
    m_showsAll = false;
    QStringList texts;
    for (QAction *category : ShowT) {
        if (!category->isChecked() || !category->isVisible())
            continue;
        for (const Prepross::SymbolEntry &e : Prepross::SymbolTable)
            if (e.category == category->text())
                texts.append(e.listText);
    }
    Combo2->clear();
    Combo2->addItems(texts);
    Combo2->setCurrentIndex(texts.isEmpty() ? -1 : 0);
}

void AddPrepross::typeClicked(QAction *, bool ticked, std::initializer_list<int> categories)
{
    // The action's tick has already changed: ticked is its new state.
    for (int n : categories)
        ShowT[n - 1]->setVisible(ticked);
    bool anyVisible = false;
    for (QAction *category : ShowT)
        anyVisible = anyVisible || category->isVisible();
    SC->menuAction()->setVisible(anyVisible);
}

void AddPrepross::chooseFirstSymbol()
{
    int first = 0;
    while (first < Combo2->count() && Prepross::isSeparator(Combo2->itemText(first)))
        ++first;
    Combo2->setCurrentIndex(first < Combo2->count() ? first : (Combo2->count() > 0 ? 0 : -1));
}

QString AddPrepross::lineText() const
{
    if (EditMod::EditingLine && Combo1->currentIndex() == m_filledType && Combo2->currentIndex() == m_filledSymbol)
        return m_rowText;
    return LineText::conditional(Combo1->currentIndex(), Combo2->currentText());
}

void AddPrepross::Form_Activate()
{
    if (m_showsAll && m_filtered)
        filter(); // the whole table was shown for one edited line only
    m_showsAll = false;
    if (m_outside)
        Combo2->removeItem(0);
    m_outside = false;
    m_filledType = m_filledSymbol = -1;
    Combo1->setCurrentIndex(0);
    Combo1_Click();
    chooseFirstSymbol();
    confirm = false;
    Combo1->setFocus();
    if (!EditMod::EditingLine)
        return;

    const QString text = EditorSupport::selectedRowText();
    QString symbol;
    if (text == RowText::EndIf) {
        Combo1->setCurrentIndex(3);
    } else if (text == RowText::Else) {
        Combo1->setCurrentIndex(2);
    } else if (text.startsWith(RowText::IfNotPrefix)) {
        Combo1->setCurrentIndex(1);
        symbol = text.mid(RowText::IfNotPrefix.size());
    } else if (text.startsWith(RowText::IfPrefix)) {
        Combo1->setCurrentIndex(0);
        symbol = text.mid(RowText::IfPrefix.size());
    }
    m_rowText = text;
    m_filledType = Combo1->currentIndex();
    if (Combo1->currentIndex() > 1)
        return;
    auto find = [&] {
        for (int i = 0; i < Combo2->count(); ++i)
            if (editSymbol(Combo2->itemText(i)) == symbol)
                return i;
        return -1;
    };
    int found = find();
    if (found < 0 && m_filtered) {
        // The filter hides the line's own symbol: show the whole table this
        // time, so that confirming as is keeps the line.
        fillAll();
        m_showsAll = true;
        found = find();
    }
    if (found < 0) {
        // a symbol of another vocabulary: shown, and kept, as written
        Combo2->insertItem(0, QStringLiteral("%1 (absent du catalogue)").arg(symbol));
        m_outside = true;
        found = 0;
    }
    Combo2->setCurrentIndex(found);
    m_filledSymbol = found;
}

void AddPrepross::Combo1_Click()
{
    const bool test = Combo1->currentIndex() < 2;
    Combo2->setVisible(test);
    Label2->setVisible(test);
}

void AddPrepross::Command1_Click()
{
    if (!Combo2->isHidden() && Prepross::isSeparator(Combo2->currentText())) {
        Messages::info(this, QStringLiteral("La sélection est invalide!"));
        return;
    }
    confirm = true;
    accept();
}

void Prepross::FillSymbolChooser()
{
    AddPrepross::instance().fillAll();
}
