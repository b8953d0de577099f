#include "paramdialog.h"

#include "catalogues/params.h"
#include "document/scriptlistview.h"
#include "shell/messages.h"

#include <QComboBox>
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

// The entries of a parameter list, made as the list asks for them: a
// range of numbers stays two bounds.
class ParamListModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setField(Params::Field field)
    {
        beginResetModel();
        m_field = std::move(field);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_field.count(); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        return m_field.entry(index.row());
    }
    // Separator entries cannot be chosen, from the keyboard either.
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return m_field.isSeparator(index.row()) ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
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
        return -1;
    }

private:
    Params::Field m_field;
};

// The catalogue entries of the chooser, narrowed by the filter box: the rows
// shown are the headers that contain the filter's text, in catalogue order.
// Each row carries its record index (from 1) as its item data.
class ChooserModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setEntries(QStringList headers)
    {
        beginResetModel();
        m_headers = std::move(headers);
        m_filter.clear();
        m_shown.clear();
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
        return m_filter.isEmpty() ? int(m_headers.size()) : int(m_shown.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_headers[headerAt(index.row())];
        if (role == Qt::UserRole)
            return headerAt(index.row()) + 1;
        return {};
    }
    // The row showing record, -1 when the filter hides it.
    int rowOf(int record) const
    {
        if (record < 1 || record > m_headers.size())
            return -1;
        if (m_filter.isEmpty())
            return record - 1;
        const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), record - 1);
        return it != m_shown.end() && *it == record - 1 ? int(it - m_shown.begin()) : -1;
    }

private:
    int headerAt(int row) const { return m_filter.isEmpty() ? row : m_shown[row]; }
    QStringList m_headers;
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

ParamDialog::ParamDialog(int fields, const std::vector<CatalogueRecord> &table, QWidget *parent)
    : ActivatedDialog(parent), m_table(table)
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
        m_lists.push_back(list);
        m_models.push_back(model);
        m_texts.push_back(text);
    }

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
    return ActivatedDialog::eventFilter(watched, event);
}

void ParamDialog::Combo1_Click()
{
    const int record = Combo1->currentData().toInt();
    QString help = record > 0 && record < int(m_table.size()) ? m_table[record].help : QString();
    help.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_help->setPlainText(help);

    for (size_t i = 0; i < m_lists.size(); ++i) {
        m_lists[i]->hide();
        m_texts[i]->hide();
        m_labels[i]->hide();
        QSignalBlocker block(m_lists[i]);
        m_models[i]->setField({});
    }
    // Types past the dialog's fields are ignored.
    const QStringList types = Catalogues::paramTypes(Combo1->currentText(), int(m_lists.size()));
    for (int i = 0; i < types.size(); ++i) {
        const Params::Field field = Params::fieldFor(types[i]);
        if (field.kind != Params::Field::None) {
            QLabel *label = m_labels[i];
            const QString caption = types[i] + QLatin1Char(':');
            label->setText(label->fontMetrics().elidedText(caption, Qt::ElideMiddle, label->width()));
            label->setToolTip(caption);
            label->show();
        }
        if (field.kind == Params::Field::Text) {
            m_texts[i]->show();
        } else if (field.kind == Params::Field::List) {
            QComboBox *list = m_lists[i];
            QSignalBlocker block(list);
            const bool empty = field.count() == 0;
            m_models[i]->setField(std::move(field));
            list->setCurrentIndex(empty ? -1 : 0);
            list->show();
        }
    }
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

std::vector<LineText::Param> ParamDialog::params(const std::vector<int> &kinds) const
{
    std::vector<LineText::Param> out;
    for (size_t i = 0; i < m_lists.size(); ++i)
        out.push_back({i < kinds.size() ? kinds[i] : 0, m_lists[i]->currentText(), m_texts[i]->text()});
    return out;
}

void ParamDialog::reject()
{
    Cancel = true;
    QDialog::reject();
}

void ParamDialog::resetFields()
{
    // Each opening starts from the whole catalogue, the typing in the filter.
    FilterBox->clear();
    FilterBox->setFocus();
    for (size_t i = 0; i < m_lists.size(); ++i) {
        m_lists[i]->hide();
        m_texts[i]->hide();
        m_labels[i]->hide();
    }
    if (Combo1->count() > 0) {
        if (Combo1->currentIndex() == 0)
            Combo1_Click();
        else
            Combo1->setCurrentIndex(0);
    }
    Cancel = false;
}

void ParamDialog::fillFrom(QStringView text)
{
    const Catalogues::SplitLine line = Catalogues::splitLine(text, int(m_lists.size()));
    for (int i = 0; i < Combo1->count(); ++i) {
        if (Catalogues::nameOf(Combo1->itemText(i)) == line.name) {
            Combo1->setCurrentIndex(i);
            break;
        }
    }
    for (size_t i = 0; i < m_lists.size(); ++i) {
        const QString v = i < size_t(line.values.size()) ? line.values[i] : QString();
        if (!m_lists[i]->isHidden()) {
            const int row = m_models[i]->rowOfValue(v);
            if (row >= 0)
                m_lists[i]->setCurrentIndex(row);
        }
        if (!m_texts[i]->isHidden())
            m_texts[i]->setText(v);
    }
}

bool ParamDialog::acceptable()
{
    if (Combo1->currentIndex() < 0 && !FilterBox->text().trimmed().isEmpty()) {
        Messages::info(this, QStringLiteral("Aucune entrée de la liste ne contient «%1»: changez le filtre.")
                                 .arg(FilterBox->text().trimmed()));
        return false;
    }
    for (QLineEdit *text : m_texts) {
        if (!text->isHidden() && text->text().isEmpty()) {
            Messages::info(this, QStringLiteral("Veuillez compléter tous les champs"));
            return false;
        }
    }
    return true;
}
