// ui/inputbox.cpp — the modal one-line input box (ui layer)
#include "ui/inputbox.h"

#include "ui/application.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int MaxInputLength = 255;

} // namespace

InputBox::InputBox(
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

QString InputBox::text() const
{
    return m_edit->text();
}

} // namespace velmora
