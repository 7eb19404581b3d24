// ui/bitmapsizedialog.cpp — the bitmap-size dialog (ui layer)
#include "ui/bitmapsizedialog.h"

#include "core/numbertext.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/clickablelabel.h"
#include "ui/prompts.h"
#include "ui/windowframes.h"
#include "ui_bitmapsizedialog.h"

#include <QPushButton>

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

} // namespace

BitmapSizeDialog::BitmapSizeDialog(ChartDocument &document, Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_prompts(prompts)
    , m_form(std::make_unique<Ui::BitmapSizeDialog>())
{
    m_form->setupUi(this);
    m_widthCaption = findChild<QLabel *>(QStringLiteral("label1"));
    m_heightCaption = findChild<QLabel *>(QStringLiteral("Label2"));
    move(251, 120);
    setFixedSize(size());
    setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    AskFrame(*this, FrameKind::Dialog);
    showCaptions();
    connect(static_cast<ClickableLabel *>(m_widthCaption), &ClickableLabel::clicked, this,
        Guard([this] { editWidth(); }));
    connect(static_cast<ClickableLabel *>(m_heightCaption), &ClickableLabel::clicked, this,
        Guard([this] { editHeight(); }));
    connect(findChild<QPushButton *>(QStringLiteral("Button1")), &QPushButton::clicked, this,
        &QWidget::hide);
    connect(&document, &ChartDocument::bitmapSizeChanged, this, &BitmapSizeDialog::showCaptions);
    connect(&document, &ChartDocument::replaced, this, [this] {
        m_sessionOpened = true;
        showCaptions();
    });
}

BitmapSizeDialog::~BitmapSizeDialog() = default;

void BitmapSizeDialog::showCaptions()
{
    const ChartSettings &s = m_document.settings();
    const auto caption = [this](QLabel &label, Setting setting, const QString &name, int pixels) {
        const bool entered = m_sessionOpened || m_document.typedText(setting).has_value();
        label.setText(QStringLiteral("%1:%2%3 pixels")
                          .arg(name, entered ? QString() : QStringLiteral(" "))
                          .arg(pixels));
        label.adjustSize();
    };
    caption(*m_widthCaption, Setting::BitmapWidth, QStringLiteral("Largeur"), s.bitmapWidth);
    caption(*m_heightCaption, Setting::BitmapHeight, QStringLiteral("Hauteur"), s.bitmapHeight);
}

void BitmapSizeDialog::editWidth()
{
    const std::optional<int> width
        = askSize(m_prompts, m_document, QStringLiteral("entrée de la 400<=largeur<=600"),
            QStringLiteral("600"), Entry::BitmapWidth);
    if (!width)
        return;
    m_document.setSetting(
        Setting::BitmapWidth, static_cast<double>(*width), QString::number(*width));
    showCaptions();
}

void BitmapSizeDialog::editHeight()
{
    const std::optional<int> height
        = askSize(m_prompts, m_document, QStringLiteral("entrée de la 600<=longueur<=950"),
            QStringLiteral("950"), Entry::BitmapHeight);
    if (!height)
        return;
    m_document.setSetting(
        Setting::BitmapHeight, static_cast<double>(*height), QString::number(*height));
    showCaptions();
}

} // namespace velmora
