// ui/compensatoreditor.cpp — a loop's compensator edited in place (ui layer)
#include "ui/compensatoreditor.h"

#include "core/compensatortext.h"
#include "core/numbertext.h"
#include "core/transferfunction.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/decimalspinbox.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <variant>

namespace velmora {

namespace {

constexpr int TypeColumn = 0;
constexpr int ParametersColumn = 1;
constexpr int RowHeight = 28;

// The keystrokes typed into one field, one after another, are one undo step: a key a field,
// apart from those of the document's other typing.
int fieldKey(std::size_t row, std::size_t parameter)
{
    return -100 - static_cast<int>(row * MaxElementParameters + parameter);
}

QString parameterText(double value)
{
    return QString::fromStdString(SignificantText(value, 6, '.'));
}

void markRefused(QLineEdit &field, bool refused)
{
    field.setStyleSheet(refused ? QStringLiteral("background: #ffd6d6;") : QString());
}

} // namespace

CompensatorEditor::CompensatorEditor(ChartDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
    , m_elements(new QTableWidget(0, 2, this))
    , m_addElement(new QPushButton(QStringLiteral("Ajouter un élément"), this))
    , m_removeElement(new QPushButton(QStringLiteral("Retirer l'élément"), this))
    , m_formula(new QLabel(this))
    , m_problem(new QLabel(this))
{
    setObjectName("EditeurCorrecteur");
    m_elements->setObjectName("ListeElements");
    m_addElement->setObjectName("BoutonAjouterElement");
    m_removeElement->setObjectName("BoutonRetirerElement");
    m_formula->setObjectName("TexteCorrecteur");
    m_problem->setObjectName("ErreurCorrecteur");

    m_elements->setHorizontalHeaderLabels(
        { QStringLiteral("Élément"), QStringLiteral("Paramètres") });
    m_elements->verticalHeader()->hide();
    m_elements->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_elements->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_elements->setSelectionMode(QAbstractItemView::SingleSelection);
    m_elements->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_elements->setColumnWidth(TypeColumn, 130);
    m_elements->horizontalHeader()->setSectionResizeMode(ParametersColumn, QHeaderView::Stretch);
    m_formula->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_formula->setWordWrap(true);
    QPalette warning = m_problem->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    m_problem->setPalette(warning);
    m_problem->setWordWrap(true);
    for (QPushButton *button : { m_addElement, m_removeElement })
        button->setAutoDefault(false);

    auto *types = new QMenu(this);
    types->setObjectName("MenuElements");
    for (const ElementInfo &info : ElementTable()) {
        QAction *action = types->addAction(
            QString::fromUtf8(info.name.data(), static_cast<qsizetype>(info.name.size())));
        connect(action, &QAction::triggered, this,
            Guard([this, kind = info.kind] { addElement(kind); }));
    }
    m_addElement->setMenu(types);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_addElement);
    buttons->addWidget(m_removeElement);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_elements, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_formula);
    layout->addWidget(m_problem);

    connect(m_removeElement, &QPushButton::clicked, this, Guard([this] { removeSelected(); }));
    connect(m_elements, &QTableWidget::itemSelectionChanged, this,
        [this] { m_removeElement->setEnabled(m_index && !m_elements->selectedItems().isEmpty()); });
    showLoop(std::nullopt);
}

void CompensatorEditor::showLoop(std::optional<std::size_t> index)
{
    if (index && *index >= m_document.loops().size())
        index.reset();
    const bool sameLoop = index == m_index;
    m_index = index;
    setEnabled(index.has_value());
    std::vector<ElementKind> kinds;
    if (index)
        for (const CompensatorElement &element : m_document.loops()[*index].compensator)
            kinds.push_back(element.kind);
    if (!sameLoop || kinds != m_kinds)
        rebuild();
    else
        refresh();
}

void CompensatorEditor::rebuild()
{
    const Compensator compensator
        = m_index ? m_document.loops()[*m_index].compensator : Compensator {};
    m_kinds.clear();
    m_fields.clear();
    m_elements->setRowCount(static_cast<int>(compensator.size()));
    for (std::size_t row = 0; row < compensator.size(); ++row) {
        const ElementInfo &info = InfoOf(compensator[row].kind);
        m_kinds.push_back(info.kind);
        m_elements->setItem(static_cast<int>(row), TypeColumn,
            new QTableWidgetItem(
                QString::fromUtf8(info.name.data(), static_cast<qsizetype>(info.name.size()))));
        auto *cell = new QWidget;
        auto *line = new QHBoxLayout(cell);
        line->setContentsMargins(4, 0, 4, 0);
        Fields fields {};
        if (info.parameterCount == 0)
            line->addWidget(new QLabel(QStringLiteral("1/s"), cell));
        for (std::size_t k = 0; k < info.parameterCount; ++k) {
            const ParameterInfo &p = info.parameters[k];
            line->addWidget(new QLabel(
                QString::fromUtf8(p.symbol.data(), static_cast<qsizetype>(p.symbol.size()))
                    + QStringLiteral(" ="),
                cell));
            auto *field = new QLineEdit(cell);
            field->setObjectName(QStringLiteral("Parametre%1_%2").arg(row + 1).arg(k + 1));
            field->setFixedWidth(62);
            field->setProperty("row", static_cast<int>(row));
            field->installEventFilter(this);
            line->addWidget(field);
            if (!p.unit.empty())
                line->addWidget(new QLabel(
                    QString::fromUtf8(p.unit.data(), static_cast<qsizetype>(p.unit.size())), cell));
            connect(field, &QLineEdit::textEdited, this,
                Guard([this, row, k] { editParameter(row, k); }));
            fields[k] = field;
        }
        line->addStretch();
        m_elements->setCellWidget(static_cast<int>(row), ParametersColumn, cell);
        m_fields.push_back(fields);
    }
    refresh();
}

void CompensatorEditor::refresh()
{
    const Compensator compensator
        = m_index ? m_document.loops()[*m_index].compensator : Compensator {};
    for (std::size_t row = 0; row < compensator.size() && row < m_fields.size(); ++row)
        for (std::size_t k = 0; k < MaxElementParameters; ++k)
            if (QLineEdit *field = m_fields[row][k]; field && !field->hasFocus()) {
                field->setText(parameterText(compensator[row].parameters[k]));
                markRefused(*field, false);
            }
    m_formula->setText(
        QStringLiteral("C(s) = ") + QString::fromStdString(CompensatorDisplayText(compensator)));
    m_removeElement->setEnabled(m_index && !m_elements->selectedItems().isEmpty());
    m_addElement->setEnabled(m_index.has_value());
}

void CompensatorEditor::editParameter(std::size_t row, std::size_t parameter)
{
    if (!m_index || row >= m_fields.size())
        return;
    QLineEdit &field = *m_fields[row][parameter];
    Compensator compensator = m_document.loops()[*m_index].compensator;
    if (row >= compensator.size())
        return;
    const ElementInfo &info = InfoOf(compensator[row].kind);
    const QString element
        = QStringLiteral("élément %1 (%2) : ")
              .arg(row + 1)
              .arg(QString::fromUtf8(info.name.data(), static_cast<qsizetype>(info.name.size())));
    const std::variant<double, QString> read = ReadTypedNumber(field.text());
    if (const QString *reason = std::get_if<QString>(&read)) {
        markRefused(field, true);
        showProblem(element + *reason);
        return;
    }
    const double value = std::get<double>(read);
    if (const std::optional<std::string> refusal
        = ParameterRefusal(compensator[row].kind, parameter, value)) {
        markRefused(field, true);
        showProblem(element + QString::fromStdString(*refusal));
        return;
    }
    markRefused(field, false);
    compensator[row].parameters[parameter] = value;
    apply(compensator, fieldKey(row, parameter));
}

void CompensatorEditor::addElement(ElementKind kind)
{
    if (!m_index)
        return;
    Compensator compensator = m_document.loops()[*m_index].compensator;
    CompensatorElement element { kind, {} };
    const ElementInfo &info = InfoOf(kind);
    for (std::size_t k = 0; k < info.parameterCount; ++k)
        element.parameters[k] = info.parameters[k].defaultValue;
    compensator.push_back(element);
    apply(compensator);
}

void CompensatorEditor::removeSelected()
{
    const QList<QTableWidgetItem *> items = m_elements->selectedItems();
    if (!m_index || items.isEmpty())
        return;
    Compensator compensator = m_document.loops()[*m_index].compensator;
    const auto row = static_cast<std::size_t>(items.front()->row());
    if (row >= compensator.size())
        return;
    compensator.erase(compensator.begin() + static_cast<std::ptrdiff_t>(row));
    apply(compensator);
}

void CompensatorEditor::apply(const Compensator &compensator, int mergeKey)
{
    try {
        m_document.setLoopCompensator(*m_index, compensator, mergeKey);
        showProblem({});
    } catch (const CompensatorError &error) {
        showProblem(QString::fromUtf8(error.what()));
    } catch (const ExpressionError &error) {
        showProblem(QString::fromUtf8(error.what()));
    }
}

void CompensatorEditor::showProblem(const QString &problem)
{
    m_problem->setText(problem);
}

bool CompensatorEditor::eventFilter(QObject *watched, QEvent *event)
{
    // A field being typed into selects its element's row, for "Retirer l'élément".
    if (event->type() == QEvent::FocusIn)
        m_elements->selectRow(watched->property("row").toInt());
    // Leaving a field shows the value in force again, the one typed if it was accepted.
    if (event->type() == QEvent::FocusOut)
        QMetaObject::invokeMethod(
            this,
            [this] {
                refresh();
                showProblem({});
            },
            Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

} // namespace velmora
