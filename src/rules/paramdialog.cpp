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
#include <QListView>

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

namespace {
// A chooser of thousands of entries must not measure them all for its size.
void keepSizeCheap(QComboBox *combo, int chars)
{
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(chars);
}
} // namespace

ParamDialog::ParamDialog(int fields, const std::vector<CatalogueRecord> &table, QWidget *parent)
    : ActivatedDialog(parent), m_table(table)
{
    m_layout = new QGridLayout(this);
    Combo1 = new QComboBox(this);
    keepSizeCheap(Combo1, 50);
    Combo1->setMaxVisibleItems(20);
    m_layout->addWidget(Combo1, 0, 0, 1, 2);
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
}

void ParamDialog::fillChooser(const std::vector<CatalogueRecord> &table, int count)
{
    // One model insertion for the whole catalogue, then the record indexes.
    QSignalBlocker block(Combo1);
    Combo1->clear();
    QStringList headers;
    headers.reserve(count);
    for (int i = 1; i <= count; ++i)
        headers.append(table[i].header);
    Combo1->addItems(headers);
    for (int i = 1; i <= count; ++i)
        Combo1->setItemData(i - 1, i);
    Combo1->setCurrentIndex(-1);
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
            m_labels[i]->setText(types[i] + QLatin1Char(':'));
            m_labels[i]->show();
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

bool ParamDialog::textFieldsComplete()
{
    for (QLineEdit *text : m_texts) {
        if (!text->isHidden() && text->text().isEmpty()) {
            Messages::info(this, QStringLiteral("Veuillez compléter tous les champs"));
            return false;
        }
    }
    return true;
}
