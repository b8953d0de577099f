#pragma once

#include "rowsink.h"
#include "scriptline.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class EditCommands;
class FileBar;
class FileBars;
class FileCommands;
class FileDialogs;
class FindBar;
class QAction;
class QBoxLayout;
class QComboBox;
class QLabel;
class QMenu;
class ProblemsPane;
class QPushButton;
class RecentFilesMenu;
class RowCommands;
class ScriptDocument;
class Vocabulary;
class ScriptListView;
class ScriptStatusBar;
namespace Problems {
struct Problem;
}

// The script editor window: the list of script lines and the commands that
// add, insert, edit and delete them. One instance, modeless.
class PlugFrm : public QMainWindow, public RowSink
{
    Q_OBJECT
public:
    // The kinds of line the add command offers, in Combo1's order.
    static const QStringList &lineKindCaptions();

    static PlugFrm &instance();
    static PlugFrm *loaded();
    // Closes and destroys the window (its close handling runs).
    static void unload();

    ~PlugFrm() override;

    ScriptListView *ListView1;
    QLabel *Label1;
    // Says how many parts of the script are kept as read; hidden when none.
    QLabel *Label2;
    QComboBox *Combo1;
    QPushButton *Ajouter;
    QPushButton *Command1; // Insérer
    QPushButton *Command3; // Editer
    QPushButton *Command4; // Supprimer
    QPushButton *Command2; // Prévisualiser

    QMenu *File;
    QAction *NewFile, *OpenFile, *sep, *SaveFile, *SaveFileAs, *sep2, *Quit;
    // "Edition" and "Affichage", between "Fichier" and "Options".
    QMenu *EditMnu;
    QAction *UndoEdit, *RedoEdit; // Annuler, Rétablir
    QMenu *ViewMnu;
    // Its options, kept in the settings: rows indented by their depth in the
    // blocks, blank rows drawn with a faint mark, the file's line numbers
    // beside the rows.
    QAction *IndentRows, *MarkBlankRows, *LineNumbers;
    // Finding rows: the bar above the list and its commands in "Edition".
    FindBar *FindBar1;
    QAction *FindText, *FindNext, *FindPrevious, *GoToLine;
    // "Edition": the selected rows through the clipboard, duplicated, moved,
    // and a row's text typed in place (the actions are its members).
    RowCommands &rowCommands() { return *m_rowCommands; }
    // The catalogues' vocabulary, made on first use.
    const Vocabulary &vocabulary();
    QAction *ShowOpts;
    QMenu *HelpMnu;
    QAction *ShowHelp, *sep3, *ShowAbout;

    // Placement flags: add True puts new lines at the end; ins is True only
    // while Insérer runs.
    bool add = false;
    bool ins = false;

    // Selects the row Ajouter placed.
    void SelectNewItem();
    // The row sink of the dialogs and the composer.
    QWidget *dialogParent() override { return this; }
    int selectedRow() const override;
    QString rowText(int pos) const override;
    LineKind rowKind(int pos) const override;
    int placeRow(bool append, const QString &text, QRgb colour, LineKind kind) override;
    void setRowText(int pos, const QString &text) override;
    void selectNewRow(bool appended) override;
    void openStep() override;
    void closeStep() override;
    QStringList constantsFor(const QString &typeName) override;
    // Adds a row at pos (count + 1 appends) with its colour and kind; false
    // when the user declines to change a part of the script kept as read.
    bool insertRow(int pos, const QString &text, QRgb colour, LineKind kind);
    // Before a change to a part of the script that saving keeps as read
    // (the editor cannot rewrite it without changing its content): asks
    // whether to go on, naming what would be lost. True when there is no such
    // part, or the user agreed to change it.
    bool mayChangeForm(int form);

    // Line builders.
    void AddBlankLine();
    // The conditional-load line from its editor: a new row, or when editing
    // the new text in EditedLineText.
    void AddConditionalLine();
    void AddConstantLine();
    // The comment row where the comment editor's choice puts it.
    void AddCommentLine();
    // The action line from the action editor: a new row, or when editing the
    // new text in EditedLineText.
    void AddActionLine();

    // The script the window shows and edits.
    ScriptDocument &document() { return *m_document; }
    // Before the window or the host closes: asks about unsaved work; false
    // when the user cancels.
    bool mayClose();
    // A file given to the editor from outside (the host's command line):
    // opened as a dropped file is, with the same questions and messages.
    void openFile(const QString &path);

    // "Problèmes", under the list: what the game would refuse or find odd.
    ProblemsPane *ProblemsDock;
    // "Affichage" > "Problèmes"; "Edition" > the next and previous problem.
    QAction *ShowProblems, *NextProblem, *PreviousProblem, *GoToDefinition;
    // "Edition": the name a problem of the selected row proposes put in
    // its place (Ctrl+.), and a constant renamed in every file of the AI.
    QAction *FixProblem, *RenameConstant;

    // File name, modified mark, rows, encoding and line ends, under the list.
    ScriptStatusBar *StatusBar1;
    // "Fichiers récents" in "Fichier": the last scripts opened or saved.
    RecentFilesMenu *RecentMnu;
    // Above the list: the work an editor left behind, the script changed
    // or removed by another program, and work no longer kept safe.
    FileBar *RecoveryBar1, *DiskBar1, *WarningBar1;

public slots:
    void Ajouter_Click();
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void Command2_Click();

    void NewFile_Click();
    void OpenFile_Click();
    bool SaveFile_Click();
    bool SaveFileAs_Click();
    void Quit_Click();
    void ShowOpts_Click();
    void ShowHelp_Click();
    void ShowAbout_Click();
    void GoToLine_Click();
    void UndoEdit_Click();
    void RedoEdit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Back to the window: the other files of the AI may have changed.
    void changeEvent(QEvent *event) override;

private:
    explicit PlugFrm(QWidget *parent = nullptr);
    void buildMenus();
    // Mnemonics, shortcuts and the list's keys.
    void setUpKeyboard();
    void Form_Load();
    void Form_QueryUnload();
    void showKeptForms();
    void buildViewMenu();
    // The status bar, recent files, drops, and a size and place that fit
    // the screen.
    void buildWindowExtras();
    // The pane of problems, its commands, and what it checks against.
    void buildProblems();
    // Checks against the catalogues' vocabulary, unless it is missing or the
    // options turned it off; the pane says which.
    void applyVocabulary();
    // Selects the row of the next (step 1) or previous (-1) problem from the
    // selected row, going round the ends.
    void goToProblem(int step);
    // F12: the row defining a constant the selected row uses, in this script
    // or, once the user agrees, in the file of the AI that defines it.
    void goToDefinition();
    // The commands on names of plugfrm_constants.cpp.
    void buildNameCommands();
    // The name problem proposes put in its row, in one undoable step.
    void applyFix(const Problems::Problem &problem);
    void fixSelectedRow();
    void renameConstant();
    std::unique_ptr<Vocabulary> m_vocabulary;

    // Made first: the list and the commands work on it.
    ScriptDocument *m_document;
    // The file commands on the document, asking through the window.
    std::unique_ptr<FileDialogs> m_dialogs;
    FileCommands *m_files;
    FileBars *m_fileBars;
    // Undo, redo, find and go to a line.
    EditCommands *m_edit;
    RowCommands *m_rowCommands;
    void buildRowCommands();
    // Insérer, Editer and Supprimer need a selected row.
    void updateRowCommands();
    // The row the last placement put in the list (0: none since it was reset).
    int m_lastPlaced = 0;

    static inline PlugFrm *s_instance = nullptr;
    bool m_unloading = false;
};
