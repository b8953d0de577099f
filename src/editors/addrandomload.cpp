#include "addrandomload.h"

#include "editorsupport.h"
#include "document/scriptlistview.h"
#include "files/filechoosers.h"
#include "shell/fileservices.h"
#include "shell/messages.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

AddRandomLoad::AddRandomLoad(QWidget *parent) : QDialog(parent), m_table(MaxPossibilities + 1)
{
    setWindowTitle(QStringLiteral("Chargement aléatoire de fichiers"));
    setModal(true);
    auto *layout = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Nombres de possibilités (1 - 999):"), this);
    Text1 = new QLineEdit(QStringLiteral("2"), this);
    Text2 = new QLineEdit(QStringLiteral("1"), this);
    Text2->setReadOnly(true);
    Text2->setFocusPolicy(Qt::ClickFocus); // shown, never typed in: Tab passes it
    UpDown1Up = new QToolButton(this);
    UpDown1Up->setArrowType(Qt::UpArrow);
    UpDown1Up->setToolTip(QStringLiteral("Possibilité suivante"));
    UpDown1Down = new QToolButton(this);
    UpDown1Down->setArrowType(Qt::DownArrow);
    UpDown1Down->setToolTip(QStringLiteral("Possibilité précédente"));
    auto *arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(UpDown1Up);
    arrows->addWidget(UpDown1Down);
    Label2 = new QLabel(QStringLiteral("Fichier:"), this);
    Text3 = new QLineEdit(this);
    Command1 = new QPushButton(QStringLiteral("..."), this);
    Label3 = new QLabel(QStringLiteral("Probabilité    (en %):"), this);
    Text4 = new QLineEdit(this);
    // Digits only; editing keys still work.
    Text4->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Text4));
    Label4 = new QLabel(this);
    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command3 = new QPushButton(QStringLiteral("Annuler"), this);
    Command2->setDefault(true);

    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(Text2, 1, 1);
    layout->addLayout(arrows, 1, 2);
    layout->addWidget(Label2, 2, 0);
    layout->addWidget(Text3, 2, 1);
    layout->addWidget(Command1, 2, 2);
    layout->addWidget(Label3, 3, 0);
    layout->addWidget(Text4, 3, 1);
    layout->addWidget(Label4, 4, 1, 1, 2);
    layout->addWidget(Command2, 5, 1);
    layout->addWidget(Command3, 5, 2);
    EditorSupport::keepOnOneLine(Text1);
    EditorSupport::keepOnOneLine(Text3);

    connect(UpDown1Up, &QToolButton::clicked, this, &AddRandomLoad::UpDown1_UpClick);
    connect(UpDown1Down, &QToolButton::clicked, this, &AddRandomLoad::UpDown1_DownClick);
    connect(Command1, &QPushButton::clicked, this, &AddRandomLoad::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &AddRandomLoad::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &QDialog::reject);

    if (EditMod::EditingLine) {
        const std::vector<LineText::Possibility> read =
            LineText::randomLoadPossibilities(EditorSupport::selectedRowText());
        const int n = int(std::min<size_t>(read.size(), MaxPossibilities));
        for (int i = 0; i < n; ++i)
            m_table[i + 1] = read[i];
        Text3->setText(m_table[1].file);
        Text4->setText(m_table[1].percentage);
        Text1->setText(QString::number(n));
        m_rowText = EditorSupport::selectedRowText();
        m_filledCount = Text1->text();
        m_filled = m_table;
    }
    connect(Text1, &QLineEdit::textChanged, this, &AddRandomLoad::showTotal);
    connect(Text4, &QLineEdit::textChanged, this, &AddRandomLoad::showTotal);
    showTotal();
    // The arrow keys step the number on view from any of these boxes.
    for (QLineEdit *box : {Text2, Text3, Text4})
        box->installEventFilter(this);
    // Adding starts with the number of possibilities, editing with the file.
    QLineEdit *first = EditMod::EditingLine ? Text3 : Text1;
    first->setFocus();
    first->selectAll();
    resize(460, 180);
}

bool AddRandomLoad::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == Text2 || watched == Text3 || watched == Text4)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Up && key->modifiers() == Qt::NoModifier) {
            UpDown1_UpClick();
            return true;
        }
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            UpDown1_DownClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int AddRandomLoad::possibilityCount() const
{
    bool ok = false;
    const int n = Text1->text().trimmed().toInt(&ok);
    return ok && n >= 1 && n <= MaxPossibilities ? n : 0;
}

void AddRandomLoad::showPossibility()
{
    m_table[m_current] = {Text3->text(), Text4->text()};
    m_current = std::clamp(Text2->text().toInt(), 1, MaxPossibilities);
    Text3->setText(m_table[m_current].file);
    Text4->setText(m_table[m_current].percentage);
    showTotal();
}

void AddRandomLoad::showTotal()
{
    const int n = possibilityCount();
    qint64 total = 0;
    for (int i = 1; i <= n; ++i)
        total += (i == m_current ? Text4->text() : m_table[i].percentage).toLongLong();
    QString text = QStringLiteral("Total: %1 %").arg(total);
    if (total > 100)
        text += QStringLiteral(" (plus de 100 %)");
    Label4->setText(text);
    Label4->setStyleSheet(total > 100 ? QStringLiteral("color: #b00000") : QString());
}

void AddRandomLoad::UpDown1_DownClick()
{
    const int shown = Text2->text().toInt();
    if (shown <= 1)
        return;
    Text2->setText(QString::number(shown - 1));
    showPossibility();
}

void AddRandomLoad::UpDown1_UpClick()
{
    // Never past the number of possibilities, even after it was lowered.
    const int shown = Text2->text().toInt();
    if (shown >= possibilityCount())
        return;
    Text2->setText(QString::number(shown + 1));
    showPossibility();
}

void AddRandomLoad::Command1_Click()
{
    // The game finds the scripts a load names in its own folder.
    const QString path = PublicVars::AskOpenFileName(this);
    if (!path.isEmpty())
        Text3->setText(FileServices::baseName(path));
    // The percentage comes next; Entrée there confirms the whole window.
    Text4->setFocus();
    Text4->selectAll();
}

void AddRandomLoad::Command2_Click()
{
    showPossibility();
    if (EditMod::EditingLine && Text1->text() == m_filledCount && m_table == m_filled) {
        accept(); // the row keeps its text, whatever it holds
        return;
    }
    const int n = possibilityCount();
    if (n == 0) {
        Messages::info(this, QStringLiteral("Le nombre de possibilités doit être un nombre entier de 1 à 999."));
        return;
    }
    for (int i = 1; i <= n; ++i) {
        if (m_table[i].file.isEmpty()) {
            Messages::info(this, QStringLiteral("Une des valeurs introduite est fausse!"));
            return;
        }
        // The row keeps its possibilities apart with blanks.
        const QString problem = EditorSupport::nameProblem(m_table[i].file,
                                                           QStringLiteral("Le nom du fichier de la possibilité %1").arg(i), false);
        if (!problem.isEmpty()) {
            Messages::info(this, problem);
            return;
        }
    }
    const QString text = LineText::randomLoad(std::span(m_table).subspan(1, n));
    if (!EditorSupport::readsBack(this, LineKind::RLoad, text))
        return;
    EditorSupport::rewriteOrPlace(add, text, Colours::Load, LineKind::RLoad);
    accept();
}
