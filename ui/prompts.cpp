// ui/prompts.cpp — the real dialogs behind the prompts interface (ui layer)
#include "ui/prompts.h"

#include "plot/rastersurface.h"
#include "ui/application.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

Prompts *testPrompts = nullptr;

constexpr int MaxInputLength = 255;

} // namespace

Prompts &ActivePrompts()
{
    static DialogPrompts dialogs;
    return testPrompts ? *testPrompts : dialogs;
}

Prompts *SetPrompts(Prompts *prompts)
{
    Prompts *previous = testPrompts;
    testPrompts = prompts;
    return previous;
}

TInputBox::TInputBox(
    const QString &title, const QString &prompt, const QString &defaultText, QWidget *parent)
    : QDialog(parent)
    , m_edit(new QLineEdit(defaultText, this))
{
    setObjectName("InputBox");
    setWindowTitle(title);
    setModal(true);
    auto *label = new QLabel(prompt, this);
    label->setObjectName("Prompt");
    m_edit->setObjectName("Edit");
    m_edit->setMaxLength(MaxInputLength);
    m_edit->selectAll();
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    auto *cancel = new QPushButton("Annuler", this);
    cancel->setObjectName("CancelButton");
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    setMinimumWidth(320);
    adjustSize();
    CentreOnScreen(*this);
}

QString TInputBox::text() const
{
    return m_edit->text();
}

std::optional<QString> DialogPrompts::inputBox(
    const QString &title, const QString &prompt, const QString &defaultText)
{
    TInputBox box(title, prompt, defaultText);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.text();
}

std::optional<Color> DialogPrompts::chooseColor(Color initial)
{
    const QColor chosen = QColorDialog::getColor(QColor(ToRgb(initial)), nullptr, "Couleur");
    if (!chosen.isValid())
        return std::nullopt;
    return RgbColor(chosen.red(), chosen.green(), chosen.blue());
}

std::optional<FontChoice> DialogPrompts::chooseFont(const FontChoice &initial)
{
    QFont font(QString::fromStdString(initial.face));
    font.setPointSize(initial.points);
    bool confirmed = false;
    const QFont chosen = QFontDialog::getFont(&confirmed, font, nullptr, "Police");
    if (!confirmed)
        return std::nullopt;
    const int points = chosen.pointSize() > 0
        ? chosen.pointSize()
        : static_cast<int>(std::lround(chosen.pixelSize() * 72.0 / 96));
    return FontChoice { chosen.family().toStdString(), points };
}

void DialogPrompts::reportError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("AbaqueVelmora"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace velmora
