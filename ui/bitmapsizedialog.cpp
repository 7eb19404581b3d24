// ui/bitmapsizedialog.cpp — the bitmap-size dialog (ui layer)
#include "ui/bitmapsizedialog.h"

#include "core/numbertext.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/prompts.h"
#include "ui_bitmapsizedialog.h"

#include <optional>

namespace velmora {

namespace {

const QString sizeTitle = QStringLiteral("entrée taille bitmap");

// Asks for a size; gives it with its fraction dropped when it passes the test. A cancelled box
// or a refused value gives nothing.
std::optional<int> askSize(Prompts &prompts, const ChartDocument &document, const QString &prompt,
    const QString &defaultText, Entry entry)
{
    const std::optional<QString> answer = prompts.inputBox(sizeTitle, prompt, defaultText);
    if (!answer)
        return std::nullopt;
    const double v = TextToReal(answer->toStdString());
    if (!Accepted(entry, v, document.settings()))
        return std::nullopt;
    return static_cast<int>(v);
}

void setCaption(QLabel &label, const QString &caption)
{
    label.setText(caption);
    label.adjustSize();
}

} // namespace

BitmapSizeDialog::BitmapSizeDialog(ChartDocument &document, Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_prompts(prompts)
    , m_form(std::make_unique<Ui::BitmapSizeDialog>())
{
    m_form->setupUi(this);
    move(251, 120);
    setFixedSize(size());
    const ChartSettings &settings = document.settings();
    setCaption(*m_form->label1, QStringLiteral("Largeur: %1 pixels").arg(settings.bitmapWidth));
    setCaption(*m_form->Label2, QStringLiteral("Hauteur: %1 pixels").arg(settings.bitmapHeight));
    connect(m_form->label1, &ClickableLabel::clicked, this, Guard([this] { editWidth(); }));
    connect(m_form->Label2, &ClickableLabel::clicked, this, Guard([this] { editHeight(); }));
    connect(m_form->Button1, &QPushButton::clicked, this, &QWidget::hide);
    // A session opened brings its own size: shown as an edited size is.
    connect(&document, &ChartDocument::replaced, this, [this] {
        const ChartSettings &s = m_document.settings();
        setCaption(*m_form->label1, QStringLiteral("Largeur:%1 pixels").arg(s.bitmapWidth));
        setCaption(*m_form->Label2, QStringLiteral("Hauteur:%1 pixels").arg(s.bitmapHeight));
    });
}

BitmapSizeDialog::~BitmapSizeDialog() = default;

void BitmapSizeDialog::editWidth()
{
    const std::optional<int> width
        = askSize(m_prompts, m_document, QStringLiteral("entrée de la 400<=largeur<=600"),
            QStringLiteral("600"), Entry::BitmapWidth);
    if (!width)
        return;
    m_document.setBitmapSize(*width, m_document.settings().bitmapHeight);
    setCaption(*m_form->label1, QStringLiteral("Largeur:%1 pixels").arg(*width));
}

void BitmapSizeDialog::editHeight()
{
    const std::optional<int> height
        = askSize(m_prompts, m_document, QStringLiteral("entrée de la 600<=longueur<=950"),
            QStringLiteral("950"), Entry::BitmapHeight);
    if (!height)
        return;
    m_document.setBitmapSize(m_document.settings().bitmapWidth, *height);
    setCaption(*m_form->Label2, QStringLiteral("Hauteur:%1 pixels").arg(*height));
}

} // namespace velmora
