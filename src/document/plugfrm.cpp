#include "plugfrm.h"

#include "editcommands.h"
#include "linebuilders.h"
#include "rowcommands.h"
#include "publicvars.h"
#include "scriptdocument.h"
#include "scriptlistview.h"
#include "scriptstatusbar.h"
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/params.h"
#include "catalogues/prepross.h"
#include "catalogues/vocabulary.h"
#include "editors/addcomm.h"
#include "editors/addconst.h"
#include "editors/addload.h"
#include "editors/addprepross.h"
#include "editors/addrandomload.h"
#include "files/filebars.h"
#include "files/filechoosers.h"
#include "files/filecommands.h"
#include "files/saveopen.h"
#include "help/aboutfrm.h"
#include "help/helpfrm.h"
#include "help/previewfrm.h"
#include "help/previewtext.h"
#include "rules/addact.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"
#include "shell/busycursor.h"
#include "shell/messages.h"
#include "shell/optfrm.h"
#include "shell/options.h"
#include "shell/pluginfolder.h"
#include "shell/windows.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
enum AddKind { Conditional, Rule, Action, Constant, Comment, Load, RandomLoad, Blank };


// Rule structure rows, blank lines and text the editor does not know have
// no editor.
bool isEditable(LineKind kind)
{
    switch (kind) {
    case LineKind::CommN:
    case LineKind::CommE:
    case LineKind::Const:
    case LineKind::Load:
    case LineKind::RLoad:
    case LineKind::Prep:
    case LineKind::Act:
    case LineKind::Fact:
        return true;
    default:
        return false;
    }
}
} // namespace

const QStringList &PlugFrm::lineKindCaptions()
{
    static const QStringList captions = {
        QStringLiteral("Chargement conditionnel"), QStringLiteral("Règle"),
        QStringLiteral("Action"),                  QStringLiteral("Constante"),
        QStringLiteral("Commentaire"),             QStringLiteral("Chargement"),
        QStringLiteral("Chargement aléatoire"),    QStringLiteral("Ligne blanche"),
    };
    return captions;
}

PlugFrm &PlugFrm::instance()
{
    if (!s_instance)
        s_instance = new PlugFrm;
    return *s_instance;
}

PlugFrm *PlugFrm::loaded()
{
    return s_instance;
}

void PlugFrm::unload()
{
    if (s_instance)
        s_instance->close();
}

PlugFrm::PlugFrm(QWidget *parent) : QMainWindow(parent)
{
    // The dialogs made while the window loads are its children.
    s_instance = this;
    s_current = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Editeur de fichiers PER & AI pur Kelvarra"));

    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    auto *listColumn = new QVBoxLayout;
    m_document = new ScriptDocument(this);
    // the list shows first; the parts kept as read are marked once known
    m_document->setJudgeAfterOpening(true);
    m_dialogs = std::make_unique<WindowFileDialogs>(this);
    m_files = new FileCommands(*m_document, *m_dialogs, this);
    ListView1 = new ScriptListView(m_document->rows(), central);
    Label2 = new QLabel(central);
    Label2->setWordWrap(true);
    Label2->hide();
    listColumn->addWidget(ListView1, 1);
    listColumn->addWidget(Label2);
    layout->addLayout(listColumn, 1);

    auto *side = new QVBoxLayout;
    Label1 = new QLabel(QStringLiteral("Ajouter"), central);
    Combo1 = new QComboBox(central);
    Combo1->addItems(lineKindCaptions());
    Ajouter = new QPushButton(QStringLiteral("Ajouter"), central);
    Command1 = new QPushButton(QStringLiteral("Insérer"), central);
    Command3 = new QPushButton(QStringLiteral("Editer"), central);
    Command4 = new QPushButton(QStringLiteral("Supprimer"), central);
    Command2 = new QPushButton(QStringLiteral("Prévisualiser"), central);
    side->addWidget(Label1);
    side->addWidget(Combo1);
    side->addWidget(Ajouter);
    side->addWidget(Command1);
    side->addSpacing(12);
    side->addWidget(Command3);
    side->addWidget(Command4);
    side->addSpacing(12);
    side->addWidget(Command2);
    side->addStretch(1);
    layout->addLayout(side);
    setCentralWidget(central);

    buildMenus();
    buildViewMenu();
    m_edit = new EditCommands(*m_document, ListView1, EditMnu, listColumn, this);
    UndoEdit = m_edit->undoAction;
    RedoEdit = m_edit->redoAction;
    FindBar1 = m_edit->findBar;
    FindText = m_edit->findAction;
    FindNext = m_edit->findNextAction;
    FindPrevious = m_edit->findPreviousAction;
    GoToLine = m_edit->goToLineAction;
    connect(UndoEdit, &QAction::triggered, this, &PlugFrm::UndoEdit_Click);
    connect(RedoEdit, &QAction::triggered, this, &PlugFrm::RedoEdit_Click);
    connect(GoToLine, &QAction::triggered, this, &PlugFrm::GoToLine_Click);
    buildRowCommands();
    setUpKeyboard();

    connect(Ajouter, &QPushButton::clicked, this, &PlugFrm::Ajouter_Click);
    connect(Command1, &QPushButton::clicked, this, &PlugFrm::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &PlugFrm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &PlugFrm::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &PlugFrm::Command2_Click);
    connect(NewFile, &QAction::triggered, this, &PlugFrm::NewFile_Click);
    connect(OpenFile, &QAction::triggered, this, &PlugFrm::OpenFile_Click);
    connect(SaveFile, &QAction::triggered, this, &PlugFrm::SaveFile_Click);
    connect(SaveFileAs, &QAction::triggered, this, &PlugFrm::SaveFileAs_Click);
    connect(Quit, &QAction::triggered, this, &PlugFrm::Quit_Click);
    connect(ShowOpts, &QAction::triggered, this, &PlugFrm::ShowOpts_Click);
    connect(ShowHelp, &QAction::triggered, this, &PlugFrm::ShowHelp_Click);
    connect(ShowAbout, &QAction::triggered, this, &PlugFrm::ShowAbout_Click);
    connect(&ListView1->rows(), &ScriptModel::contentChanged, this, &PlugFrm::showKeptForms);
    connect(m_document, &ScriptDocument::partsJudged, this, &PlugFrm::showKeptForms);
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, &PlugFrm::updateRowCommands);
    connect(&ListView1->rows(), &ScriptModel::rowsRemoved, this, &PlugFrm::updateRowCommands);
    connect(&ListView1->rows(), &ScriptModel::modelReset, this, &PlugFrm::updateRowCommands);
    updateRowCommands();

    resize(760, 560);
    buildWindowExtras();
    m_fileBars = new FileBars(*m_files, *m_document, listColumn, this);
    RecoveryBar1 = m_fileBars->RecoveryBar;
    DiskBar1 = m_fileBars->DiskBar;
    WarningBar1 = m_fileBars->WarningBar;
    buildProblems();
    buildNameCommands();
    // the panes where the user left them
    restoreState(Options::windowState());
    Form_Load();
    // work on a script in no file that an editor left behind
    m_files->lookForRecovery();
}

PlugFrm::~PlugFrm()
{
    m_files->finish();
    if (s_current == this)
        s_current = nullptr;
    if (s_instance == this)
        s_instance = nullptr;
}

void PlugFrm::buildMenus()
{
    File = menuBar()->addMenu(QStringLiteral("Fichier"));
    NewFile = File->addAction(QStringLiteral("Nouveau"));
    OpenFile = File->addAction(QStringLiteral("Ouvrir"));
    sep = File->addSeparator();
    SaveFile = File->addAction(QStringLiteral("Enregistrer"));
    SaveFileAs = File->addAction(QStringLiteral("Enregistrer sous..."));
    sep2 = File->addSeparator();
    Quit = File->addAction(QStringLiteral("Quitter"));

    EditMnu = menuBar()->addMenu(QStringLiteral("Edition"));
    ViewMnu = menuBar()->addMenu(QStringLiteral("Affichage"));

    ShowOpts = menuBar()->addAction(QStringLiteral("Options"));

    HelpMnu = menuBar()->addMenu(QStringLiteral("Aide"));
    ShowHelp = HelpMnu->addAction(QStringLiteral("Aide"));
    ShowHelp->setShortcut(QKeySequence(Qt::Key_F1));
    ShowHelp->setShortcutContext(Qt::WindowShortcut);
    sep3 = HelpMnu->addSeparator();
    ShowAbout = HelpMnu->addAction(QStringLiteral("A propos de..."));
}

void PlugFrm::updateRowCommands()
{
    const bool selected = ListView1->selectedPosition() > 0;
    for (QPushButton *command : {Command1, Command3, Command4})
        command->setEnabled(selected);
}

void PlugFrm::Form_Load()
{
    Combo1->setCurrentIndex(0);
    // The catalogues, in this order; the fact editor's chooser is filled
    // when it is used.
    Catalogues::clearProblems();
    Prepross::LoadSymbols();
    Prepross::FillSymbolChooser();
    Acts::LoadActs();
    Acts::FillActChooser();
    Facts::LoadFacts();
    Params::LoadParams();
    m_vocabulary.reset(); // made from these catalogues when first needed
    applyVocabulary();
    // A catalogue that could not be read stops nothing: one message, once
    // the window shows, names each.
    const QString problems = Catalogues::problemsMessage();
    if (!problems.isEmpty())
        QTimer::singleShot(0, this, [this, problems] { Messages::error(this, problems); });
}

void PlugFrm::SelectNewItem()
{
    // Appended, the new row is selected; inserted, the selection stays on the
    // row it went before (but for a conditional line, which selects itself),
    // and the new row was scrolled into view when placed.
    if (m_lastPlaced > 0 && add)
        ListView1->selectRow(m_lastPlaced);
}

void PlugFrm::selectNewRow(bool appended)
{
    ListView1->selectRow(appended ? ListView1->count() : ListView1->selectedPosition());
}

int PlugFrm::selectedRow() const
{
    return ListView1->selectedPosition();
}

QString PlugFrm::rowText(int pos) const
{
    return pos >= 1 && pos <= ListView1->count() ? ListView1->rows().text(pos) : QString();
}

LineKind PlugFrm::rowKind(int pos) const
{
    return pos >= 1 && pos <= ListView1->count() ? ListView1->rows().kind(pos) : LineKind::Unknown;
}

void PlugFrm::setRowText(int pos, const QString &text)
{
    ListView1->rows().setText(pos, text);
}

bool PlugFrm::mayChangeForm(int form)
{
    if (!m_document->needsConsent(form))
        return true;
    if (!Messages::yesNo(this, m_document->source().keptReason(form)
                                   + QStringLiteral("\n\nLa modifier la fera réécrire dans la mise en forme de l'éditeur. "
                                                    "Voulez-vous continuer ?")))
        return false;
    m_document->consent(form);
    return true;
}

void PlugFrm::showKeptForms()
{
    const int kept = ListView1->rows().source().keptCount();
    if (kept == 0) {
        Label2->hide();
        return;
    }
    Label2->setText(kept == 1 ? QStringLiteral("Une partie du script est conservée telle qu'elle a été lue (en italique): "
                                               "l'éditeur ne pourrait pas la réécrire sans en changer le contenu.")
                              : QStringLiteral("%1 parties du script sont conservées telles qu'elles ont été lues (en italique): "
                                               "l'éditeur ne pourrait pas les réécrire sans en changer le contenu.")
                                    .arg(kept));
    Label2->show();
}

bool PlugFrm::insertRow(int pos, const QString &text, QRgb colour, LineKind kind)
{
    ScriptModel &rows = ListView1->rows();
    if (!mayChangeForm(rows.formJoinedAt(pos, kind)))
        return false;
    openStep(); // the row with its colour and kind is undone as one
    pos = rows.addRow(text, pos);
    rows.setColour(pos, colour);
    rows.setKind(pos, kind);
    closeStep();
    m_lastPlaced = pos;
    ListView1->scrollTo(rows.index(pos - 1));
    return true;
}

int PlugFrm::placeRow(bool append, const QString &text, QRgb colour, LineKind kind)
{
    const int pos = Placement::target(append, ListView1->selectedPosition(), ListView1->count());
    if (pos > 0 && !insertRow(pos, text, colour, kind))
        return 0;
    return pos;
}

void PlugFrm::AddBlankLine()
{
    placeRow(add, LineText::blank(add), Colours::Blank, LineKind::BL);
}

void PlugFrm::AddConditionalLine()
{
    const int selected = ListView1->selectedPosition();
    const AddPrepross &dialog = AddPrepross::instance();
    const QString text = dialog.lineText();
    if (EditMod::EditingLine)
        EditMod::EditedLineText = text;
    else
        placeRow(add, text, Colours::Prep, LineKind::Prep);
    // Inserting, the new row took the selected position and becomes the
    // selected row; otherwise the selection stays.
    ListView1->selectRow(selected);
}

void PlugFrm::AddConstantLine()
{
    const AddConst &dialog = AddConst::instance();
    placeRow(add, LineText::constant(dialog.Text1->text(), dialog.Text2->text()), Colours::Const, LineKind::Const);
}

void PlugFrm::AddCommentLine()
{
    const AddComm &dialog = AddComm::instance();
    const Placement::CommentChoice choice = dialog.Option1->isChecked() ? Placement::CommentChoice::AfterSelected
                                            : dialog.Option2->isChecked() ? Placement::CommentChoice::EndOfList
                                                                          : Placement::CommentChoice::EndOfSelected;
    const Placement::Row row =
        Placement::comment(choice, dialog.Text1->text(), ListView1->selectedPosition(), ListView1->count());
    if (row.pos > 0)
        insertRow(row.pos, row.text, Colours::Comment, row.kind);
}

void PlugFrm::AddActionLine()
{
    const AddAct &dialog = AddAct::instance();
    const QString text = dialog.resultLine();
    if (EditMod::EditingLine)
        EditMod::EditedLineText = text;
    else
        placeRow(add, text, Colours::Act, LineKind::Act);
}

void PlugFrm::Ajouter_Click()
{
    add = !ins;
    m_lastPlaced = 0;
    switch (lineKindCaptions().indexOf(Combo1->currentText())) {
    case Conditional: {
        AddPrepross &dialog = AddPrepross::instance();
        dialog.exec();
        if (dialog.confirm)
            AddConditionalLine();
        break;
    }
    case RandomLoad: {
        AddRandomLoad dialog(this);
        dialog.add = add;
        dialog.exec();
        break;
    }
    case Constant: {
        AddConst &dialog = AddConst::instance();
        dialog.exec();
        if (dialog.confirm)
            AddConstantLine();
        break;
    }
    case Comment: {
        AddComm &dialog = AddComm::instance();
        // The positional choices need a selected row.
        const bool selected = ListView1->selectedPosition() > 0;
        dialog.Option1->setEnabled(selected);
        dialog.Option3->setEnabled(selected);
        (selected && !add ? dialog.Option3 : dialog.Option2)->setChecked(true);
        dialog.exec();
        if (dialog.confirm)
            AddCommentLine();
        break;
    }
    case Load: {
        AddLoad dialog(this);
        dialog.add = add;
        dialog.exec();
        break;
    }
    case Rule: {
        AddFactMain &composer = AddFactMain::instance();
        composer.show();
        composer.raise();
        composer.activateWindow();
        break;
    }
    case Action: {
        AddAct &dialog = AddAct::instance();
        dialog.exec();
        if (!dialog.Cancel)
            AddActionLine();
        break;
    }
    case Blank:
        AddBlankLine();
        break;
    default:
        break;
    }
    SelectNewItem();
}

void PlugFrm::Command1_Click()
{
    // Inserting needs a selected row: without one nothing is added, whatever
    // the kind.
    const int selected = ListView1->selectedPosition();
    if (selected == 0)
        return;
    // Asked before the dialog opens, not after the user filled it in; the
    // comment editor chooses its place in its dialog and the composer places
    // its rows itself, so those are asked when the row is placed.
    const int kind = lineKindCaptions().indexOf(Combo1->currentText());
    if (kind != Comment && kind != Rule && !mayChangeForm(ListView1->rows().formJoinedAt(selected, LineKind::Unknown)))
        return;
    add = false;
    ins = true;
    Ajouter_Click();
    ins = false;
}

void PlugFrm::Command3_Click()
{
    const int pos = ListView1->selectedPosition();
    if (pos == 0)
        return;
    if (!isEditable(ListView1->rows().kind(pos))) {
        StatusBar1->showMessage(QStringLiteral("Cette ligne n'a pas d'éditeur: les lignes de structure des règles, les "
                                               "lignes blanches et le texte que l'éditeur ne reconnaît pas ne se "
                                               "modifient pas par un dialogue."),
                                8000);
        return;
    }
    if (!mayChangeForm(ListView1->rows().line(pos).form))
        return;
    EditMod::EditingLine = true;
    switch (ListView1->rows().kind(pos)) {
    case LineKind::CommN:
    case LineKind::CommE:
        AddComm::instance().exec();
        break;
    case LineKind::Const:
        AddConst::instance().exec();
        break;
    case LineKind::Load: {
        AddLoad dialog(this);
        dialog.exec();
        break;
    }
    case LineKind::RLoad: {
        AddRandomLoad dialog(this);
        dialog.exec();
        break;
    }
    case LineKind::Prep: {
        AddPrepross &dialog = AddPrepross::instance();
        dialog.exec();
        if (dialog.confirm) {
            AddConditionalLine();
            ListView1->rows().setText(pos, EditMod::EditedLineText);
        }
        break;
    }
    case LineKind::Act: {
        AddAct &dialog = AddAct::instance();
        dialog.exec();
        if (!dialog.Cancel) {
            AddActionLine();
            ListView1->rows().setText(pos, EditMod::EditedLineText);
        }
        break;
    }
    case LineKind::Fact: {
        Facts::FillFactChooser();
        AddFact &editor = AddFact::instance();
        editor.Orderload = true;
        editor.exec();
        if (!editor.Cancel)
            ListView1->rows().setText(pos, editor.factLine());
        AddFact::release();
        break;
    }
    default: // rule structure rows and blank lines are not edited
        break;
    }
    EditMod::EditingLine = false;
}

void PlugFrm::openStep()
{
    m_document->history().openStep();
}

void PlugFrm::closeStep()
{
    m_document->history().closeStep();
}

void PlugFrm::UndoEdit_Click()
{
    m_edit->undo();
}

void PlugFrm::RedoEdit_Click()
{
    m_edit->redo();
}

void PlugFrm::GoToLine_Click()
{
    m_edit->goToLine();
}

void PlugFrm::Command4_Click()
{
    const QItemSelection selected = ListView1->selectionModel()->selection();
    if (selected.size() > 1 || (selected.size() == 1 && selected.first().height() > 1))
        return m_rowCommands->removeSelected();
    const int pos = ListView1->selectedPosition();
    if (pos == 0 || !mayChangeForm(ListView1->rows().line(pos).form))
        return;
    ListView1->rows().removeRow(pos);
    // the row that took its place is the selected one
    ListView1->selectRow(qMin(pos, ListView1->count()));
}

void PlugFrm::Command2_Click()
{
    QString error;
    {
        BusyCursor busy;
        SaveOpen::SaveText saved;
        if (m_document->bytes(saved, error))
            PreviewFrm::instance().Text1->setPlainText(SaveOpen::decodeScriptBytes(saved.bytes, m_document->source()));
    }
    if (!error.isEmpty()) {
        Messages::error(this, error);
        return;
    }
    PreviewFrm::instance().exec();
}

void PlugFrm::ShowOpts_Click()
{
    OptFrm dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        applyVocabulary();
}

void PlugFrm::ShowHelp_Click()
{
    HelpFrm::open(QDir(PluginFolder::path()).filePath(QStringLiteral("help")), QStringLiteral("Intro.htm"));
}

void PlugFrm::ShowAbout_Click()
{
    AboutFrm dialog(this);
    dialog.exec();
}

void PlugFrm::closeEvent(QCloseEvent *event)
{
    // Destroying the control closes without asking; the user is asked.
    if (!m_unloading && !PublicVars::PlugInClosing && !m_files->maybeSave()) {
        event->ignore();
        return;
    }
    if (!m_unloading) {
        m_unloading = true;
        Form_QueryUnload();
        m_files->finish();
    }
    s_instance = nullptr;
    event->accept();
}

void PlugFrm::Form_QueryUnload()
{
    Options::storeWindowState(saveState());
    PublicVars::EditorClosing = true;
    Windows::unloadAtEditorClose();
    PublicVars::EditorClosing = false;
}
