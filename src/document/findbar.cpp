#include "findbar.h"

#include "scriptlistview.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>

namespace {
// The text to find always shows at least this many characters.
constexpr int MinimumTextChars = 20;
} // namespace

FindBar::FindBar(ScriptListView *list, QWidget *parent) : QWidget(parent), m_list(list)
{
    // Two rows, so that the text to find keeps its room in a narrow window:
    // the text and the commands, then the case option and the outcome.
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Label1 = new QLabel(QStringLiteral("Rechercher :"), this);
    Text1 = new QLineEdit(this);
    Text1->setClearButtonEnabled(true);
    Label1->setBuddy(Text1);
    Check1 = new QCheckBox(QStringLiteral("Respecter la casse"), this);
    Command1 = new QPushButton(QStringLiteral("Suivant"), this);
    Command2 = new QPushButton(QStringLiteral("Précédent"), this);
    // Entrée in the text goes to the next row, not to a default button.
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
    Label2 = new QLabel(this);
    // The outcome takes the room left, never more: a message must neither
    // widen the window nor squeeze the text to find.
    Label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label2->setMinimumWidth(0);
    Text1->setMinimumWidth(QFontMetrics(Text1->font()).horizontalAdvance(QString(MinimumTextChars, QLatin1Char('x')))
                           + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 24); // the clear button
    Command3 = new QToolButton(this);
    Command3->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    Command3->setText(QStringLiteral("Fermer"));
    Command3->setToolTip(QStringLiteral("Fermer la recherche (Echap)"));
    Command3->setAutoRaise(true);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(Command2, 0, 2);
    layout->addWidget(Command1, 0, 3);
    layout->addWidget(Command3, 0, 4);
    layout->addWidget(Check1, 1, 1);
    layout->addWidget(Label2, 1, 2, 1, 3);
    layout->setColumnStretch(1, 1);
    hide();

    Text1->installEventFilter(this);
    connect(Text1, &QLineEdit::textChanged, this, &FindBar::searchHere);
    connect(Text1, &QLineEdit::returnPressed, this, &FindBar::Command1_Click);
    connect(Check1, &QCheckBox::toggled, this, &FindBar::searchHere);
    connect(Command1, &QPushButton::clicked, this, &FindBar::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FindBar::Command2_Click);
    connect(Command3, &QToolButton::clicked, this, &FindBar::Command3_Click);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &FindBar::Command3_Click);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
}

Qt::CaseSensitivity FindBar::caseSensitivity() const
{
    return Check1->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    const auto isEnter = [](QEvent *e) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    };
    if (watched == Text1 && event->type() == QEvent::ShortcutOverride && isEnter(event)) {
        // Entrée in the text finds on, whatever the window does with it.
        event->accept();
        return true;
    }
    if (watched == Text1 && event->type() == QEvent::KeyPress && isEnter(event)
        && static_cast<QKeyEvent *>(event)->modifiers() & Qt::ShiftModifier) {
        Command2_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::open()
{
    show();
    updateHighlight();
    Text1->setFocus(Qt::ShortcutFocusReason);
    Text1->selectAll();
}

void FindBar::Command3_Click()
{
    hide();
    Label2->clear();
    m_list->rows().setHighlight(QString(), caseSensitivity());
    m_list->setFocus(Qt::ShortcutFocusReason);
}

bool FindBar::showForStep()
{
    if (isHidden()) {
        show();
        updateHighlight();
    }
    if (Text1->text().isEmpty()) {
        open();
        return false;
    }
    return true;
}

void FindBar::Command1_Click()
{
    if (showForStep())
        search(m_list->selectedPosition() + 1, RowSearch::Direction::Forward);
}

void FindBar::Command2_Click()
{
    if (!showForStep())
        return;
    const int selected = m_list->selectedPosition();
    search(selected > 0 ? selected - 1 : m_list->count(), RowSearch::Direction::Backward);
}

void FindBar::searchHere()
{
    updateHighlight();
    if (Text1->text().isEmpty()) {
        Label2->clear();
        return;
    }
    search(qMax(1, m_list->selectedPosition()), RowSearch::Direction::Forward);
}

void FindBar::search(int start, RowSearch::Direction direction)
{
    const RowSearch::Hit hit = RowSearch::find(m_list->rows().lines(), Text1->text(), caseSensitivity(), start, direction);
    if (hit.pos == 0) {
        // The selection stays where it was.
        Label2->setText(QStringLiteral("Texte introuvable"));
        return;
    }
    m_list->selectRow(hit.pos);
    if (!hit.wrapped)
        Label2->clear();
    else
        Label2->setText(direction == RowSearch::Direction::Forward ? QStringLiteral("Recherche reprise au début")
                                                                   : QStringLiteral("Recherche reprise à la fin"));
}

void FindBar::updateHighlight()
{
    m_list->rows().setHighlight(isHidden() ? QString() : Text1->text(), caseSensitivity());
}
