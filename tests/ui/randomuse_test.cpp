// A long random sequence of user actions on the main window (adds, deletes, Enter, cell edits
// with random text, every settings command with random answers and cancels, grid toggles, menu
// commands), checking after each step what users rely on. Fixed seed; VELMORA_SEED=N picks
// another, VELMORA_STEPS=N another length.
#include "core/numbertext.h"
#include "program.h"
#include "render/chartfile.h"
#include "ui/valuelisteditor.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <random>

using namespace velmora;
using velmora::test::Program;

namespace {

const QString overflowReport = QStringLiteral("Débordement en virgule flottante.");

class Dice {
public:
    explicit Dice(std::uint64_t seed)
        : m_engine(seed)
    {
    }
    int roll(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    bool chance(int percent) { return roll(1, 100) <= percent; }

    // What a user may type: numbers in and out of range, odd spellings, overflow, garbage.
    QString answer(double low, double high)
    {
        static const char *const odd[] = { "", " ", "-", ".", "abc", "1,5", "12abc", "1e400",
            "-1e400", "1e-400", "0", "+", "1e", "   7", "0x10", "é", "\t3", "--5" };
        switch (roll(0, 4)) {
        case 0:
            return QString::fromLatin1(odd[roll(0, std::size(odd) - 1)]);
        case 1:
            return QString::number(std::uniform_real_distribution<double>(-1000, 1000)(m_engine));
        default:
            return QString::number(
                std::uniform_real_distribution<double>(low, high)(m_engine), 'g', roll(1, 8));
        }
    }

private:
    std::mt19937_64 m_engine;
};

std::uint64_t environmentNumber(const char *name, std::uint64_t fallback)
{
    const QByteArray text = qgetenv(name);
    return text.isEmpty() ? fallback : text.toULongLong();
}

// The number between a caption's prefix and its unit, as stored.
double captionNumber(const QString &caption, const QString &prefix, const QString &unit)
{
    if (!caption.startsWith(prefix) || !caption.endsWith(unit))
        return std::nan("");
    return TextToReal(
        caption.mid(prefix.size(), caption.size() - prefix.size() - unit.size()).toStdString());
}

QImage freshRender(const ChartSettings &settings)
{
    return ChartImage({ settings }, WindowProfile(), {}).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class RandomUseTest : public QObject {
    Q_OBJECT

private:
    template <typename T> T *main(const char *name) { return program->main<T>(name); }
    QLabel *label(const char *name) { return main<QLabel>(name); }
    ValueListEditor *list(const char *name) { return main<ValueListEditor>(name); }
    QPushButton *button(const char *name) { return main<QPushButton>(name); }
    const ChartSettings &settings() { return program->settings(); }

    void checkInvariants(int step, bool chartMayBeStale)
    {
        const QString where = QStringLiteral("step %1").arg(step);
        const ChartDocument &document = program->windows.document;
        for (auto [rows, values] :
            { std::pair { list("ValueListEditor1"), &settings().isogainValues },
                std::pair { list("ValueListEditor2"), &settings().isophaseValues } }) {
            QVERIFY2(static_cast<int>(values->size()) == rows->dataRowCount(), qPrintable(where));
            QVERIFY2(rows->dataRowCount() >= 1, qPrintable(where));
            for (int row = 1; row <= rows->dataRowCount(); ++row)
                QVERIFY2(rows->keyText(row).trimmed() == QString::number(row), qPrintable(where));
        }
        // The document holds the texts as the rows show them.
        QCOMPARE(document.texts(ValueList::Isogain), list("ValueListEditor1")->valueTexts());
        QCOMPARE(document.texts(ValueList::Isophase), list("ValueListEditor2")->valueTexts());
        QCOMPARE(label("Label4")->text(),
            "gain maxi= " + QString::fromStdString(RealToText(settings().gainMax)) + "dB");
        QCOMPARE(captionNumber(label("Label5")->text(), "gain mini= ", "dB"), settings().gainMin);
        QCOMPARE(label("Label6")->text(), QString("phase maxi= 10°"));
        QCOMPARE(captionNumber(label("Label7")->text(), "phase mini= ", "°"), settings().phaseMin);
        const QString gainStepPrefix = label("Label8")->text().startsWith('I')
            ? "Intervalle graduation= "
            : "intervalle graduation= ";
        QCOMPARE(captionNumber(label("Label8")->text(), gainStepPrefix, "dB"), settings().gainStep);
        const QString phaseStepPrefix = label("Label9")->text().startsWith('I')
            ? "Intervalle graduation= "
            : "intervalle graduation= ";
        QCOMPARE(
            captionNumber(label("Label9")->text(), phaseStepPrefix, "°"), settings().phaseStep);
        QVERIFY(list("ValueListEditor1")->dataRowCount() >= 1);
        QVERIFY2(settings().gainMin < 0 && settings().gainMax > 0 && settings().phaseMin >= -360
                && settings().phaseMin <= -180 && settings().gainStep > 0
                && settings().phaseStep > 0,
            qPrintable(where));
        const QImage chart = program->chart();
        QCOMPARE(chart.size(), QSize(300, 475));
        if (!chartMayBeStale)
            QVERIFY2(chart == freshRender(settings()), qPrintable(where));
        for (const QString &error : prompts->errors)
            QCOMPARE(error, overflowReport);
    }

    std::unique_ptr<Program> program;
    velmora::test::ScriptedPrompts *prompts = nullptr;

private slots:
    void randomSequenceKeepsEveryInvariant()
    {
        const std::uint64_t seed = environmentNumber("VELMORA_SEED", 20261208);
        const int steps = static_cast<int>(environmentNumber("VELMORA_STEPS", 400));
        qInfo("seed %llu, %d steps", static_cast<unsigned long long>(seed), steps);
        Dice dice(seed);
        program = std::make_unique<Program>();
        prompts = &program->prompts;

        // After an error the handler stops before drawing: the chart shows the last state drawn
        // until a handler draws again.
        bool stale = false;
        qint64 shownImage = program->windows.chartWindow.chartImage().cacheKey();
        int errorsSeen = 0;
        int cellEdits = 0;
        for (int step = 0; step < steps; ++step) {
            const auto answerWith = [&](double low, double high) {
                if (dice.chance(15))
                    prompts->inputs.push_back(std::nullopt);
                else
                    prompts->inputs.push_back(dice.answer(low, high));
            };
            ValueListEditor *const gains = list("ValueListEditor1");
            ValueListEditor *rows = dice.chance(50) ? gains : list("ValueListEditor2");
            switch (dice.roll(0, 14)) {
            case 0:
                answerWith(-150, 150);
                QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
                break;
            case 1:
                answerWith(-400, 10);
                QTest::mouseClick(button("BitBtn3"), Qt::LeftButton);
                break;
            case 2:
                rows->setCurrentDataRow(dice.roll(1, rows->dataRowCount()));
                QTest::mouseClick(
                    rows == gains ? button("BitBtn2") : button("BitBtn4"), Qt::LeftButton);
                break;
            case 3:
                QTest::keyClick(rows, Qt::Key_Return);
                break;
            case 4: {
                const int row = dice.roll(1, rows->dataRowCount());
                rows->setCurrentCell(row - 1, 1);
                rows->editItem(rows->item(row - 1, 1));
                if (auto *editor = rows->findChild<QLineEdit *>("CellEditor")) {
                    ++cellEdits;
                    editor->selectAll();
                    QTest::keyClicks(editor, dice.answer(-400, 150));
                    if (dice.chance(50))
                        QTest::keyClick(editor, Qt::Key_Return);
                }
                break;
            }
            case 5:
                answerWith(-10, 120);
                QTest::mouseClick(label("Label4"), Qt::LeftButton);
                break;
            case 6:
                answerWith(-120, 10);
                QTest::mouseClick(label("Label5"), Qt::LeftButton);
                break;
            case 7:
                answerWith(-400, -150);
                QTest::mouseClick(label("Label7"), Qt::LeftButton);
                break;
            case 8:
                answerWith(0, settings().gainMax);
                QTest::mouseClick(label("Label8"), Qt::LeftButton);
                break;
            case 9:
                answerWith(0, 200);
                QTest::mouseClick(label("Label9"), Qt::LeftButton);
                break;
            case 10: {
                QLabel *labels[] = { label("Label1"), label("Label2"), label("Label12") };
                if (dice.chance(30))
                    prompts->colours.push_back(std::nullopt);
                else
                    prompts->colours.push_back(static_cast<Color>(dice.roll(0, 0xFFFFFF)));
                QTest::mouseClick(labels[dice.roll(0, 2)], Qt::LeftButton);
                break;
            }
            case 11:
                if (dice.chance(30))
                    prompts->fonts.push_back(std::nullopt);
                else
                    prompts->fonts.push_back(FontChoice {
                        dice.chance(50) ? "DejaVu Serif" : "MS Sans Serif", dice.roll(1, 40) });
                QTest::mouseClick(label("Label10"), Qt::LeftButton);
                break;
            case 12:
                (dice.chance(50) ? main<QCheckBox>("CheckBox3") : main<QCheckBox>("CheckBox4"))
                    ->click();
                break;
            case 13:
                main<QAction>("Copierdanspressepapiers1")->trigger();
                break;
            default:
                answerWith(300, 1000);
                main<QAction>("aille1")->trigger();
                QTest::mouseClick(Program::in<QLabel>(program->windows.bitmapSizeDialog,
                                      dice.chance(50) ? "label1" : "Label2"),
                    Qt::LeftButton);
                break;
            }
            QCOMPARE(prompts->unexpected, 0);
            if (prompts->errors.size() > errorsSeen) {
                errorsSeen = static_cast<int>(prompts->errors.size());
                stale = true;
            } else if (program->windows.chartWindow.chartImage().cacheKey() != shownImage) {
                stale = false;
            }
            shownImage = program->windows.chartWindow.chartImage().cacheKey();
            checkInvariants(step, stale);
        }
        qInfo("%d cell edits typed, %d overflow reports", cellEdits, errorsSeen);
        if (steps >= 200) {
            // The sequence did reach the paths it is meant to shake.
            QVERIFY(cellEdits > 0);
            QVERIFY(errorsSeen > 0);
        }
        program.reset();
        prompts = nullptr;
    }
};

QObject *NewRandomUseTest()
{
    return new RandomUseTest;
}

#include "randomuse_test.moc"
