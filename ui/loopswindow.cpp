// ui/loopswindow.cpp — the loops window (ui layer)
#include "ui/loopswindow.h"

#include "core/numbertext.h"
#include "render/qtcolor.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/compensatoreditor.h"
#include "ui/decimalspinbox.h"
#include "ui/filefolders.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

enum Column { VisibleColumn, LoopColumn, ColorColumn, GainColumn };

constexpr double GainLimit = 99.9; // dB either way, within the accepted -100 < gain < 100
constexpr int SliderStepsPerDb = 10;
constexpr int SliderReach = 40; // dB either way; the spin box goes further

QString gainText(double gainDb)
{
    return QString::fromStdString(FixedDecimalText(gainDb, 1)) + QStringLiteral(" dB");
}

} // namespace

LoopsWindow::LoopsWindow(
    ChartDocument &document, Prompts &prompts, FileFolders &folders, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_prompts(prompts)
    , m_folders(folders)
    , m_list(new QTableWidget(0, 4, this))
    , m_expression(new QLineEdit(this))
    , m_problem(new QLabel(this))
    , m_add(new QPushButton(QStringLiteral("Ajouter"), this))
    , m_replace(new QPushButton(QStringLiteral("Modifier"), this))
    , m_remove(new QPushButton(QStringLiteral("Supprimer"), this))
    , m_csv(new QPushButton(QStringLiteral("Charger un CSV..."), this))
    , m_hertz(new QCheckBox(QStringLiteral("Fréquences en Hz"), this))
    , m_color(new QPushButton(QStringLiteral("Couleur..."), this))
    , m_gainSlider(new QSlider(Qt::Horizontal, this))
    , m_gainBox(new DecimalSpinBox(this))
    , m_name(new QLineEdit(this))
    , m_compensator(new CompensatorEditor(document, this))
{
    setObjectName("boucles");
    setWindowTitle(QStringLiteral("Fonctions de transfert"));
    m_list->setObjectName("ListeBoucles");
    m_expression->setObjectName("Expression");
    m_problem->setObjectName("ErreurExpression");
    m_add->setObjectName("BoutonAjouter");
    m_replace->setObjectName("BoutonModifier");
    m_remove->setObjectName("BoutonSupprimer");
    m_csv->setObjectName("BoutonCsv");
    m_hertz->setObjectName("CaseHz");
    m_color->setObjectName("BoutonCouleur");
    m_gainSlider->setObjectName("CurseurGain");
    m_gainBox->setObjectName("GainDb");
    m_name->setObjectName("NomBoucle");

    m_list->setHorizontalHeaderLabels({ QStringLiteral("Visible"), QStringLiteral("Boucle"),
        QStringLiteral("Couleur"), QStringLiteral("Gain") });
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->horizontalHeader()->setSectionResizeMode(LoopColumn, QHeaderView::Stretch);
    m_list->setColumnWidth(VisibleColumn, 50);
    m_list->setColumnWidth(ColorColumn, 60);
    m_list->setColumnWidth(GainColumn, 70);
    // Return in the expression adds it; no button of the list answers to it.
    for (QPushButton *button : { m_add, m_replace, m_remove, m_csv, m_color })
        button->setAutoDefault(false);
    m_expression->setPlaceholderText(QStringLiteral("par exemple 4/(s*(s+1)*(s+2))"));
    QPalette warning = m_problem->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    m_problem->setPalette(warning);
    m_gainSlider->setRange(-SliderReach * SliderStepsPerDb, SliderReach * SliderStepsPerDb);
    m_gainBox->setRange(-GainLimit, GainLimit);
    m_gainBox->setDecimals(1);
    m_gainBox->setSingleStep(0.5);
    m_gainBox->setSuffix(QStringLiteral(" dB"));
    // A typed gain applies on Entrée or on leaving the box, not at each keystroke ("1," is not
    // 1 dB); the arrows and the slider apply at once.
    m_gainBox->setKeyboardTracking(false);

    auto *editRow = new QHBoxLayout;
    editRow->addWidget(new QLabel(QStringLiteral("G(s) = "), this));
    editRow->addWidget(m_expression, 1);
    editRow->addWidget(m_add);
    editRow->addWidget(m_replace);
    auto *listButtons = new QHBoxLayout;
    listButtons->addWidget(m_remove);
    listButtons->addWidget(m_color);
    listButtons->addStretch();
    listButtons->addWidget(m_hertz);
    listButtons->addWidget(m_csv);
    auto *gainRow = new QHBoxLayout;
    gainRow->addWidget(new QLabel(QStringLiteral("Gain ajouté :"), this));
    gainRow->addWidget(m_gainSlider, 1);
    gainRow->addWidget(m_gainBox);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Nom dans la légende :"), this));
    nameRow->addWidget(m_name, 1);
    auto *compensator = new QGroupBox(QStringLiteral("Correcteur C(s) de la boucle"), this);
    (new QVBoxLayout(compensator))->addWidget(m_compensator);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 2);
    layout->addLayout(listButtons);
    layout->addLayout(editRow);
    layout->addWidget(m_problem);
    layout->addLayout(gainRow);
    layout->addLayout(nameRow);
    layout->addWidget(compensator, 3);
    // Below the main window, clear of the chart that the gain is tuned on, as far as the screen
    // allows (see showEvent).
    move(52, 580);
    resize(600, 600);

    connect(m_expression, &QLineEdit::textChanged, this, &LoopsWindow::checkExpression);
    connect(m_expression, &QLineEdit::returnPressed, this, [this] {
        if (m_add->isEnabled())
            addExpression();
    });
    connect(m_add, &QPushButton::clicked, this, Guard([this] { addExpression(); }));
    connect(m_replace, &QPushButton::clicked, this, Guard([this] { replaceExpression(); }));
    connect(m_remove, &QPushButton::clicked, this, Guard([this] { removeSelected(); }));
    connect(m_csv, &QPushButton::clicked, this, Guard([this] { loadCsv(); }));
    connect(m_color, &QPushButton::clicked, this, Guard([this] { chooseColor(); }));
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &LoopsWindow::showSelected);
    connect(m_list, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!m_showing && item->column() == VisibleColumn)
            m_document.setLoopVisible(
                static_cast<std::size_t>(item->row()), item->checkState() == Qt::Checked);
    });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (column == ColorColumn)
            Guard([this] { chooseColor(); })();
    });
    // One movement of the slider is one undo step.
    connect(m_gainSlider, &QSlider::sliderPressed, &document, &ChartDocument::beginGesture);
    connect(m_gainSlider, &QSlider::sliderReleased, &document, &ChartDocument::endGesture);
    connect(m_gainSlider, &QSlider::valueChanged, this, [this](int steps) {
        if (!m_showing)
            setGain(static_cast<double>(steps) / SliderStepsPerDb);
    });
    connect(m_gainBox, &QDoubleSpinBox::valueChanged, this, [this](double gainDb) {
        if (!m_showing)
            setGain(gainDb);
    });
    connect(m_name, &QLineEdit::editingFinished, this, Guard([this] { takeName(); }));
    connect(&document, &ChartDocument::loopsChanged, this, &LoopsWindow::showLoops);
    connect(&document, &ChartDocument::replaced, this, &LoopsWindow::showLoops);
    showLoops();
    checkExpression();
}

std::optional<std::size_t> LoopsWindow::selected() const
{
    const QList<QTableWidgetItem *> items = m_list->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return static_cast<std::size_t>(items.front()->row());
}

void LoopsWindow::selectLoop(std::uint64_t id)
{
    if (const std::optional<std::size_t> index = m_document.indexOfLoop(id))
        m_list->selectRow(static_cast<int>(*index));
}

void LoopsWindow::showLoops()
{
    const std::optional<std::size_t> keep = selected();
    m_showing = true;
    const std::vector<LoopSpec> &loops = m_document.loops();
    m_list->setRowCount(static_cast<int>(loops.size()));
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const int row = static_cast<int>(i);
        auto *visible = new QTableWidgetItem;
        visible->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        visible->setCheckState(loops[i].visible ? Qt::Checked : Qt::Unchecked);
        m_list->setItem(row, VisibleColumn, visible);
        const QString expression = QString::fromStdString(loops[i].expression);
        const QString path = QString::fromStdString(loops[i].csvPath);
        auto *title = new QTableWidgetItem(loops[i].isMeasured()
                ? QStringLiteral("mesures : %1").arg(QString::fromStdString(loops[i].displayName()))
                : expression);
        title->setToolTip(loops[i].isMeasured() ? path : expression);
        m_list->setItem(row, LoopColumn, title);
        // A swatch, not a background: it stays visible on the selected row.
        QPixmap swatch(36, 14);
        swatch.fill(QColor(ToRgb(loops[i].color)));
        auto *color = new QTableWidgetItem(QIcon(swatch), QString());
        m_list->setItem(row, ColorColumn, color);
        m_list->setItem(row, GainColumn, new QTableWidgetItem(gainText(loops[i].gainDb)));
    }
    // A loop is always at hand for the gain controls while there is one.
    if (!loops.empty())
        m_list->selectRow(static_cast<int>(keep ? std::min(*keep, loops.size() - 1) : 0));
    m_showing = false;
    showSelected();
}

void LoopsWindow::showSelected()
{
    const std::optional<std::size_t> index = selected();
    m_showing = true;
    m_remove->setEnabled(index.has_value());
    m_color->setEnabled(index.has_value());
    m_gainSlider->setEnabled(index.has_value());
    m_gainBox->setEnabled(index.has_value());
    m_name->setEnabled(index.has_value());
    if (!index)
        m_name->clear();
    if (index) {
        const LoopSpec &loop = m_document.loops()[*index];
        if (!m_name->hasFocus())
            m_name->setText(QString::fromStdString(loop.name));
        LoopSpec unnamed = loop;
        unnamed.name.clear();
        m_name->setPlaceholderText(QString::fromStdString(unnamed.displayName()));
        const double gain = loop.gainDb;
        if (!m_gainBox->hasFocus() || m_gainBox->value() != gain)
            m_gainBox->setValue(gain);
        m_gainSlider->setValue(static_cast<int>(std::lround(gain * SliderStepsPerDb)));
        if (!loop.isMeasured() && !m_expression->hasFocus())
            m_expression->setText(QString::fromStdString(loop.expression));
    }
    m_showing = false;
    m_compensator->showLoop(index);
    checkExpression();
}

void LoopsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // On a screen too short for its place, the window rises until it fits.
    if (const QScreen *shown = screen()) {
        const QRect available = shown->availableGeometry();
        QRect frame = frameGeometry();
        if (frame.bottom() > available.bottom()) {
            frame.moveBottom(available.bottom());
            frame.moveTop(std::max(frame.top(), available.top()));
            move(frame.topLeft());
        }
    }
}

void LoopsWindow::checkExpression()
{
    const QString text = m_expression->text();
    QString problem;
    if (!text.trimmed().isEmpty()) {
        try {
            TransferFunction::parse(text.toStdString());
        } catch (const ExpressionError &error) {
            problem = QString::fromUtf8(error.what());
        }
    }
    m_problem->setText(problem);
    const bool valid = problem.isEmpty() && !text.trimmed().isEmpty();
    m_add->setEnabled(valid && m_document.loops().size() < MaxLoops);
    m_replace->setEnabled(valid && selected().has_value());
    m_csv->setEnabled(m_document.loops().size() < MaxLoops);
}

void LoopsWindow::addExpression()
{
    LoopSpec spec;
    spec.expression = m_expression->text().toStdString();
    spec.color = DefaultLoopColor(m_document.loops().size());
    LoadedLoop loaded = LoadLoop(spec);
    if (m_document.addLoop(std::move(spec), std::move(loaded)))
        m_list->selectRow(static_cast<int>(m_document.loops().size()) - 1);
}

void LoopsWindow::replaceExpression()
{
    if (const std::optional<std::size_t> index = selected()) {
        LoopSpec spec;
        spec.expression = m_expression->text().toStdString();
        m_document.replaceLoop(*index, spec, LoadLoop(spec));
    }
}

void LoopsWindow::removeSelected()
{
    if (const std::optional<std::size_t> index = selected())
        m_document.removeLoop(*index);
}

void LoopsWindow::loadCsv()
{
    const std::optional<QString> path
        = m_prompts.chooseOpenFile(QStringLiteral("Charger une réponse mesurée"),
            QStringLiteral("Mesures CSV (*.csv *.txt);;Tous les fichiers (*)"), m_folders.folder());
    if (!path)
        return;
    try {
        LoopSpec spec;
        spec.csvPath = QFileInfo(*path).absoluteFilePath().toStdString();
        spec.csvHertz = m_hertz->isChecked();
        spec.color = DefaultLoopColor(m_document.loops().size());
        LoadedLoop loaded = LoadLoop(spec);
        m_folders.used(*path);
        if (m_document.addLoop(std::move(spec), std::move(loaded)))
            m_list->selectRow(static_cast<int>(m_document.loops().size()) - 1);
    } catch (const std::exception &error) {
        // Nothing changes; the reason shows where the expression's would.
        m_problem->setText(QString::fromUtf8(error.what()));
    }
}

void LoopsWindow::chooseColor()
{
    const std::optional<std::size_t> index = selected();
    if (!index)
        return;
    if (const std::optional<Color> color = m_prompts.chooseColor(m_document.loops()[*index].color))
        m_document.setLoopColor(*index, *color);
}

void LoopsWindow::takeName()
{
    const std::optional<std::size_t> index = selected();
    if (!index)
        return;
    const std::string name = m_name->text().trimmed().toStdString();
    if (name != m_document.loops()[*index].name)
        m_document.setLoopName(*index, name);
}

void LoopsWindow::setGain(double gainDb)
{
    if (const std::optional<std::size_t> index = selected())
        m_document.setLoopGain(*index, std::clamp(gainDb, -GainLimit, GainLimit));
}

} // namespace velmora
