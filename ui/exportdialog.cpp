// ui/exportdialog.cpp — where and how large to export the chart (ui layer)
#include "ui/exportdialog.h"

#include "core/chartsettings.h"
#include "render/chartfile.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmora {

ExportDialog::ExportDialog(const ExportChoice &initial, Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_path(new QLineEdit(initial.path, this))
    , m_width(new QSpinBox(this))
    , m_height(new QSpinBox(this))
    , m_problem(new QLabel(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName("exporter");
    setWindowTitle(QStringLiteral("Exporter l'abaque"));
    setModal(true);
    m_path->setObjectName("Fichier");
    m_width->setObjectName("Largeur");
    m_height->setObjectName("Hauteur");
    m_problem->setObjectName("Probleme");
    m_ok->setObjectName("OKButton");
    // The sizes velmora-render accepts for the same (clipboard) rules.
    const ChartSettings any = DefaultChartSettings();
    for (auto [box, entry] :
        { std::pair { m_width, Entry::ImageWidth }, std::pair { m_height, Entry::ImageHeight } }) {
        const EntryRange range = RangeOf(entry, any);
        box->setRange(static_cast<int>(range.low), static_cast<int>(range.high) - 1);
        box->setSuffix(QStringLiteral(" pixels"));
    }
    m_width->setValue(initial.width);
    m_height->setValue(initial.height);
    QPalette warning = m_problem->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    m_problem->setPalette(warning);

    auto *browse = new QPushButton(QStringLiteral("Parcourir..."), this);
    browse->setObjectName("Parcourir");
    auto *cancel = new QPushButton(QStringLiteral("Annuler"), this);
    cancel->setObjectName("CancelButton");
    m_ok->setDefault(true);
    connect(browse, &QPushButton::clicked, this, [this] {
        const std::optional<QString> path = m_prompts.chooseSaveFile(windowTitle(),
            QStringLiteral("Images et documents (*.png *.bmp *.svg *.pdf)"), m_path->text());
        if (path)
            m_path->setText(*path);
    });
    connect(m_path, &QLineEdit::textChanged, this, &ExportDialog::check);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *file = new QHBoxLayout;
    file->addWidget(m_path, 1);
    file->addWidget(browse);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Fichier :"), file);
    form->addRow(QString(), m_problem);
    form->addRow(QStringLiteral("Largeur :"), m_width);
    form->addRow(QStringLiteral("Hauteur :"), m_height);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(420);
    check();
}

ExportChoice ExportDialog::choice() const
{
    return { m_path->text(), m_width->value(), m_height->value() };
}

void ExportDialog::check()
{
    const QString path = m_path->text();
    QString problem;
    if (path.trimmed().isEmpty())
        problem = QStringLiteral("Choisissez un fichier.");
    else if (!FormatOfFileName(path.toStdString()))
        problem = QStringLiteral("Extension .png, .bmp, .svg ou .pdf attendue.");
    m_problem->setText(problem);
    m_ok->setEnabled(problem.isEmpty());
}

} // namespace velmora
