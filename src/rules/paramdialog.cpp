#include "paramdialog.h"

#include "catalogues/params.h"
#include "document/rowsink.h"
#include "document/scriptlistview.h"
#include "shell/messages.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QAbstractListModel>
#include <QKeyEvent>
#include <QListView>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

// The entries of a parameter list, made as the list asks for them: a
// range of numbers stays two bounds. After the type's values come the AI's
// constants whose value it allows.
class ParamListModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setField(Params::Field field, QStringList constants = {})
    {
        beginResetModel();
        m_field = std::move(field);
        m_constants = std::move(constants);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_field.count() + int(m_constants.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        const int constant = index.row() - m_field.count();
        return constant >= 0 ? m_constants.value(constant) : m_field.entry(index.row());
    }
    // Separator entries cannot be chosen, from the keyboard either.
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.row() < m_field.count() && m_field.isSeparator(index.row()) ? Qt::NoItemFlags
                                                                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    // The first row whose value part is value, as an edited line names it;
    // -1 when none. Numbers match as the list writes them.
    int rowOfValue(const QString &value) const
    {
        bool isNumber = false;
        const int n = value.toInt(&isNumber);
        isNumber = isNumber && QString::number(n) == value;
        for (size_t k = 0; k < m_field.runs.size(); ++k) {
            const Params::Field::Run &run = m_field.runs[k];
            if (run.isNumbers() ? isNumber && n >= run.first && n <= run.last
                                : LineText::valuePart(run.text) == value)
                return m_field.startOf(int(k)) + (run.isNumbers() ? n - run.first : 0);
        }
        for (int k = 0; k < m_constants.size(); ++k)
            if (LineText::valuePart(m_constants[k]) == value)
                return m_field.count() + k;
        return -1;
    }

private:
    Params::Field m_field;
    QStringList m_constants;
};

// The catalogue entries of the chooser, narrowed by the filter box: the rows
// shown are the headers that contain the filter's text, in catalogue order.
// Each row carries its record index (from 1) as its item data. An edited
// line whose name no entry has comes first, under its own name, with 0.
class ChooserModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setEntries(QStringList headers)
    {
        beginResetModel();
        m_headers = std::move(headers);
        m_outside.clear();
        m_filter.clear();
        m_shown.clear();
        endResetModel();
    }
    int entryCount() const { return int(m_headers.size()); }
    const QString &header(int record) const { return m_headers[record - 1]; }
    // The first row shows caption (a name no entry has); empty: none does.
    void setOutside(const QString &caption)
    {
        if (caption == m_outside)
            return;
        beginResetModel();
        m_outside = caption;
        endResetModel();
    }
    // One reset whatever the number of rows that come and go: cheaper than
    // the removals of a proxy model on a scattered match.
    void setFilter(const QString &text)
    {
        beginResetModel();
        m_filter = text;
        m_shown.clear();
        if (!m_filter.isEmpty()) {
            for (int i = 0; i < m_headers.size(); ++i)
                if (m_headers[i].contains(m_filter, Qt::CaseInsensitive))
                    m_shown.push_back(i);
        }
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        if (parent.isValid())
            return 0;
        return outsideRows() + (m_filter.isEmpty() ? int(m_headers.size()) : int(m_shown.size()));
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const int row = index.row() - outsideRows();
        if (row < 0)
            return role == Qt::UserRole ? QVariant(0) : role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(m_outside) : QVariant();
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_headers[headerAt(row)];
        if (role == Qt::UserRole)
            return headerAt(row) + 1;
        return {};
    }
    // The row showing record (0: the outside name), -1 when the filter
    // hides it.
    int rowOf(int record) const
    {
        if (record == 0)
            return outsideRows() - 1;
        if (record < 1 || record > m_headers.size())
            return -1;
        if (m_filter.isEmpty())
            return outsideRows() + record - 1;
        const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), record - 1);
        return it != m_shown.end() && *it == record - 1 ? outsideRows() + int(it - m_shown.begin()) : -1;
    }

private:
    int outsideRows() const
    {
        return !m_outside.isEmpty() && (m_filter.isEmpty() || m_outside.contains(m_filter, Qt::CaseInsensitive)) ? 1 : 0;
    }
    int headerAt(int row) const { return m_filter.isEmpty() ? row : m_shown[row]; }
    QStringList m_headers;
    QString m_outside;
    QString m_filter;
    std::vector<int> m_shown;
};

namespace {
// A chooser of thousands of entries must not measure them all for its size.
void keepSizeCheap(QComboBox *combo, int chars)
{
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(chars);
}

// A hidden field keeps its room, so that the fields, the help and the
// buttons stand in the same place whatever the number of parameters.
void keepRoomWhenHidden(QWidget *w)
{
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

// The type names beside the fields: as wide as this many average characters
// (a longer name is shortened, whole in its tooltip), so that the fields do
// not move sideways either.
constexpr int TypeLabelChars = 16;
} // namespace

ParamDialog::ParamDialog(int fields, const std::vector<CatalogueRecord> &table, LineKind kind, QWidget *parent)
    : ActivatedDialog(parent), m_table(table), m_kind(kind)
{
    m_layout = new QGridLayout(this);
    FilterBox = new QLineEdit(this);
    FilterBox->setPlaceholderText(QStringLiteral("Filtrer la liste"));
    FilterBox->setClearButtonEnabled(true);
    FilterBox->installEventFilter(this);
    Combo1 = new QComboBox(this);
    keepSizeCheap(Combo1, 50);
    Combo1->setMaxVisibleItems(20);
    m_chooser = new ChooserModel(Combo1);
    Combo1->setModel(m_chooser);
    auto *chooser = new QVBoxLayout;
    chooser->addWidget(FilterBox);
    chooser->addWidget(Combo1);
    m_layout->addLayout(chooser, 0, 0, 1, 2);
    m_layout->setColumnStretch(1, 1);

    m_help = new QPlainTextEdit(this);
    m_help->setReadOnly(true);
    // read, never typed in: Tab goes from the chooser to the fields
    m_help->setFocusPolicy(Qt::ClickFocus);
    m_help->setMinimumHeight(90);
    m_layout->addWidget(m_help, 1, 0, 1, 2);

    for (int n = 1; n <= fields; ++n) {
        auto *list = new QComboBox(this);
        keepSizeCheap(list, 30);
        list->setObjectName(QStringLiteral("combo_param_%1").arg(n));
        auto *model = new ParamListModel(list);
        list->setModel(model);
        // Tens of thousands of entries are laid out by arithmetic in the popup.
        if (auto *view = qobject_cast<QListView *>(list->view()))
            view->setUniformItemSizes(true);
        // The type's values are offered, never imposed: a constant, a number
        // the list leaves out or a word of another vocabulary is typed in,
        // and typing narrows the offer to the values that contain it.
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
        list->completer()->setCompletionMode(QCompleter::PopupCompletion);
        list->completer()->setFilterMode(Qt::MatchContains);
        list->completer()->setCaseSensitivity(Qt::CaseInsensitive);
        EditorSupport::keepOnOneLine(list->lineEdit());
        // after the completer's own, so that Entrée is seen first here
        list->completer()->popup()->installEventFilter(this);
        auto *text = new QLineEdit(this);
        text->setObjectName(QStringLiteral("text_combo_%1").arg(n));
        // a typed value is written inside its fact's or action's line
        EditorSupport::keepOnOneLine(text);
        auto *label = new QLabel(this);
        label->setFixedWidth(label->fontMetrics().averageCharWidth() * TypeLabelChars);
        for (QWidget *w : {static_cast<QWidget *>(list), static_cast<QWidget *>(text), static_cast<QWidget *>(label)})
            keepRoomWhenHidden(w);
        m_layout->addWidget(label, 1 + n, 0);
        m_layout->addWidget(list, 1 + n, 1);
        m_layout->addWidget(text, 1 + n, 1);
        list->hide();
        text->hide();
        label->hide();
        m_labels.push_back(label);
        connect(list, &QComboBox::currentIndexChanged, this, [this, list](int i) { separatorChosen(list, i); });
        // what the user gives is carried to the next entry he chooses
        const size_t field = m_lists.size();
        connect(list, &QComboBox::currentIndexChanged, this, [this, field] { m_given[field] = true; });
        connect(list->lineEdit(), &QLineEdit::textEdited, this, [this, field] { m_given[field] = true; });
        connect(text, &QLineEdit::textEdited, this, [this, field] { m_given[field] = true; });
        m_given.push_back(false);
        m_fieldTypes.append(QString());
        m_lists.push_back(list);
        m_unlisted.push_back(false);
        m_models.push_back(model);
        m_texts.push_back(text);
    }

    LostValues = new QLabel(this);
    LostValues->setWordWrap(true);
    LostValues->hide();
    m_layout->addWidget(LostValues, 7, 0, 1, 2);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    m_layout->addLayout(buttons, 10, 0, 1, 2);
    m_layout->setRowStretch(9, 1);

    connect(Combo1, &QComboBox::currentIndexChanged, this, &ParamDialog::Combo1_Click);
    connect(Command2, &QPushButton::clicked, this, &ParamDialog::reject);
    connect(FilterBox, &QLineEdit::textChanged, this, &ParamDialog::FilterBox_Change);
}

void ParamDialog::fillChooser(const std::vector<CatalogueRecord> &table, int count)
{
    // One model reset for the whole catalogue.
    QSignalBlocker block(Combo1);
    QSignalBlocker quiet(FilterBox);
    FilterBox->clear();
    QStringList headers;
    headers.reserve(count);
    for (int i = 1; i <= count; ++i)
        headers.append(table[i].header);
    m_chooser->setEntries(std::move(headers));
    Combo1->setCurrentIndex(-1);
}

void ParamDialog::FilterBox_Change(const QString &text)
{
    // The chosen entry stays chosen while the filter shows it; otherwise
    // the first entry shown is chosen, and its fields laid out.
    const int record = Combo1->currentData().toInt();
    {
        QSignalBlocker block(Combo1);
        m_chooser->setFilter(text.trimmed());
        const int row = m_chooser->rowOf(record);
        Combo1->setCurrentIndex(row >= 0 ? row : (Combo1->count() > 0 ? 0 : -1));
    }
    if (Combo1->currentData().toInt() != record)
        Combo1_Click();
}

bool ParamDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The arrows in the filter box step through the entries it leaves.
    if (watched == FilterBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Down || key == Qt::Key_Up) && Combo1->count() > 0) {
            const int step = key == Qt::Key_Down ? 1 : -1;
            Combo1->setCurrentIndex(std::clamp(Combo1->currentIndex() + step, 0, Combo1->count() - 1));
            return true;
        }
    }
    // Entrée while a value list offers its completions, none of them
    // chosen, confirms the dialog with what was typed: the completion would
    // keep it for itself.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            for (QComboBox *list : m_lists) {
                QAbstractItemView *popup = list->completer()->popup();
                if (watched == popup && !popup->selectionModel()->hasSelection()) {
                    popup->hide();
                    Command1->click();
                    return true;
                }
            }
        }
    }
    return ActivatedDialog::eventFilter(watched, event);
}

void ParamDialog::Combo1_Click()
{
    const int record = currentRecord();
    QString help = record > 0 && record < int(m_table.size()) ? m_table[record].help : QString();
    if (record == 0 && m_lineRecord == 0)
        help = QStringLiteral("« %1 » n'est dans aucune entrée du catalogue: ses valeurs sont gardées telles "
                              "qu'elles sont écrites.")
                   .arg(m_lineName);
    help.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_help->setPlainText(help);

    std::vector<Carried> given = valuesGiven();
    for (size_t i = 0; i < m_lists.size(); ++i) {
        m_lists[i]->hide();
        m_texts[i]->hide();
        m_labels[i]->hide();
        m_unlisted[i] = false;
        m_fieldTypes[int(i)].clear();
        QSignalBlocker block(m_lists[i]);
        m_models[i]->setField({});
    }
    // Types past the dialog's fields are ignored.
    const QStringList types = record > 0 ? Catalogues::paramTypes(Combo1->currentText(), int(m_lists.size())) : QStringList();
    for (int i = 0; i < types.size(); ++i) {
        const Params::Field field = Params::fieldFor(types[i]);
        if (field.kind != Params::Field::None) {
            showLabel(i, types[i] + QLatin1Char(':'), types[i]);
            m_fieldTypes[i] = types[i];
        }
        if (field.kind == Params::Field::Text) {
            m_texts[i]->show();
        } else if (field.kind == Params::Field::List) {
            QComboBox *list = m_lists[i];
            QSignalBlocker block(list);
            RowSink *sink = RowSink::current();
            QStringList constants = sink ? sink->constantsFor(types[i]) : QStringList();
            const bool empty = field.count() == 0 && constants.isEmpty();
            m_models[i]->setField(std::move(field), std::move(constants));
            list->setCurrentIndex(empty ? -1 : 0);
            list->show();
        }
    }
    carryOver(std::move(given));
}

std::vector<ParamDialog::Carried> ParamDialog::valuesGiven() const
{
    std::vector<Carried> given;
    for (int i = 0; i < int(m_lists.size()); ++i) {
        const QString v = typed(i + 1);
        if (fieldKind(i + 1) != 0 && m_given[size_t(i)] && !v.isEmpty())
            given.push_back({m_unlisted[size_t(i)] ? QString() : m_fieldTypes.value(i), v, i});
    }
    given.insert(given.end(), m_lost.begin(), m_lost.end());
    return given;
}

void ParamDialog::carryOver(std::vector<Carried> given)
{
    std::fill(m_given.begin(), m_given.end(), false);
    std::vector<bool> taken(given.size(), false);
    const auto place = [&](int i, size_t k) {
        setField(i, given[k].value);
        taken[k] = true;
        m_given[size_t(i)] = true;
    };
    const int fields = int(m_lists.size());
    // the same type at the same place (a value no type was known for, as
    // a name no entry has gives, fits any)
    for (int i = 0; i < fields; ++i) {
        if (fieldKind(i + 1) == 0)
            continue;
        for (size_t k = 0; k < given.size(); ++k)
            if (!taken[k] && given[k].place == i && (given[k].type.isEmpty() || given[k].type == m_fieldTypes[i])) {
                place(i, k);
                break;
            }
    }
    // else the next value of that type, in order
    for (int i = 0; i < fields; ++i) {
        if (fieldKind(i + 1) == 0 || m_given[size_t(i)])
            continue;
        for (size_t k = 0; k < given.size(); ++k)
            if (!taken[k] && !given[k].type.isEmpty() && given[k].type == m_fieldTypes[i]) {
                place(i, k);
                break;
            }
    }
    m_lost.clear();
    QStringList lost;
    for (size_t k = 0; k < given.size(); ++k) {
        if (taken[k])
            continue;
        m_lost.push_back(given[k]);
        lost << (given[k].type.isEmpty() ? QStringLiteral("« %1 »").arg(given[k].value)
                                         : QStringLiteral("« %1 » (%2)").arg(given[k].value, given[k].type));
    }
    LostValues->setText(lost.isEmpty() ? QString()
                                       : QStringLiteral("Valeurs que cette entrée ne peut pas reprendre: %1.")
                                             .arg(lost.join(QStringLiteral(", "))));
    LostValues->setVisible(!lost.isEmpty());
}

void ParamDialog::setField(int i, const QString &v)
{
    QComboBox *list = m_lists[size_t(i)];
    if (!list->isHidden()) {
        QSignalBlocker block(list);
        const int row = m_models[size_t(i)]->rowOfValue(v);
        list->setCurrentIndex(row);
        if (row < 0)
            list->setEditText(v);
    } else {
        m_texts[size_t(i)]->setText(v);
    }
}

void ParamDialog::showLabel(int i, const QString &caption, const QString &tip)
{
    QLabel *label = m_labels[size_t(i)];
    label->setText(label->fontMetrics().elidedText(caption, Qt::ElideMiddle, label->width()));
    label->setToolTip(tip);
    label->show();
}

void ParamDialog::separatorChosen(QComboBox *list, int index)
{
    if (index > 0 && list->itemText(index) == QLatin1String(" "))
        list->setCurrentIndex(index - 1);
}

int ParamDialog::fieldKind(int n) const
{
    if (!m_texts[n - 1]->isHidden())
        return 2;
    if (!m_lists[n - 1]->isHidden())
        return 1;
    return 0;
}

QString ParamDialog::value(int n) const
{
    return LineText::writtenValue(typed(n), takesText(n));
}

bool ParamDialog::takesText(int n) const
{
    return fieldKind(n) == 2 && !m_unlisted[size_t(n - 1)];
}

QString ParamDialog::typed(int n) const
{
    if (!m_texts[n - 1]->isHidden())
        return m_texts[n - 1]->text().trimmed();
    const QComboBox *list = m_lists[n - 1];
    if (list->isHidden())
        return {};
    const QString text = list->currentText();
    const int row = list->currentIndex();
    if (row >= 0 && list->itemText(row) == text)
        return LineText::valuePart(text);
    return text.trimmed();
}

QString ParamDialog::line() const
{
    const int record = currentRecord();
    const QString name = record == m_lineRecord ? m_lineName : Catalogues::nameOf(Combo1->currentText());
    QStringList values;
    for (int n = 1; n <= int(m_lists.size()); ++n)
        values.append(value(n));
    return LineText::entryLine(false, name, values);
}

QString ParamDialog::resultLine() const
{
    const QString built = builtLine();
    return m_editing && built == m_filledLine ? m_rowText : built;
}

int ParamDialog::currentRecord() const
{
    return Combo1->currentData().toInt();
}

bool ParamDialog::changed(int n) const
{
    return !m_editing || currentRecord() != m_filledRecord || value(n) != m_filledValues.value(n - 1);
}

void ParamDialog::reject()
{
    Cancel = true;
    QDialog::reject();
}

void ParamDialog::resetFields()
{
    // Each opening starts from the whole catalogue, the typing in the filter.
    m_editing = false;
    m_lineRecord = -1;
    m_chooser->setOutside({});
    FilterBox->clear();
    FilterBox->setFocus();
    for (size_t i = 0; i < m_lists.size(); ++i) {
        m_lists[i]->hide();
        m_texts[i]->hide();
        m_labels[i]->hide();
    }
    m_lost.clear();
    LostValues->hide();
    if (Combo1->count() > 0) {
        if (Combo1->currentIndex() == 0)
            Combo1_Click();
        else
            Combo1->setCurrentIndex(0);
    }
    Cancel = false;
}

void ParamDialog::fillFrom(const QString &rowText, QStringView text)
{
    const int fields = int(m_lists.size());
    const Catalogues::SplitLine line = Catalogues::splitLine(text, std::numeric_limits<int>::max());
    // The game reads names in any case; an exact match comes first.
    int record = 0;
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (int k = 1; k <= m_chooser->entryCount() && record == 0; ++k)
            if (Catalogues::nameOf(m_chooser->header(k)).compare(line.name, cs) == 0)
                record = k;
    }
    m_lineName = line.name;
    m_lineRecord = record;
    if (record == 0)
        m_chooser->setOutside(QStringLiteral("%1 (absent du catalogue)").arg(line.name));
    {
        QSignalBlocker block(Combo1);
        Combo1->setCurrentIndex(m_chooser->rowOf(record));
    }
    Combo1_Click();

    for (int i = 0; i < fields; ++i) {
        // the last field takes whatever values the fields leave
        const QString v = i == fields - 1 ? line.values.mid(i).join(QLatin1Char(' ')) : line.values.value(i);
        QLineEdit *box = m_texts[size_t(i)];
        m_given[size_t(i)] = !v.isEmpty();
        if (fieldKind(i + 1) != 0) {
            setField(i, v);
        } else if (!v.isEmpty()) {
            // a value the entry's header has no field for
            showLabel(i, QStringLiteral("valeur:"), QStringLiteral("Valeur que le catalogue ne prévoit pas"));
            box->setText(v);
            box->show();
            m_unlisted[size_t(i)] = true;
        }
    }
    m_editing = true;
    m_rowText = rowText;
    m_filledRecord = currentRecord();
    m_filledValues.clear();
    for (int n = 1; n <= fields; ++n)
        m_filledValues.append(value(n));
    m_filledLine = builtLine();
}

bool ParamDialog::acceptable()
{
    if (Combo1->currentIndex() < 0 && !FilterBox->text().trimmed().isEmpty()) {
        Messages::info(this, QStringLiteral("Aucune entrée de la liste ne contient «%1»: changez le filtre.")
                                 .arg(FilterBox->text().trimmed()));
        return false;
    }
    for (int n = 1; n <= int(m_lists.size()); ++n) {
        if (fieldKind(n) == 0 || !changed(n))
            continue;
        const QString v = typed(n);
        if (v.isEmpty() && m_unlisted[size_t(n - 1)])
            continue;
        const QString problem = v.isEmpty() ? QStringLiteral("Veuillez compléter tous les champs")
                                            : LineText::typedValueProblem(v, takesText(n));
        if (!problem.isEmpty()) {
            Messages::info(this, problem);
            return false;
        }
    }
    const QString result = resultLine();
    return (m_editing && result == m_rowText) || EditorSupport::readsBack(this, m_kind, result);
}
