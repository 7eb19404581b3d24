// A long random sequence of user actions on the main window (adds, deletes, Enter, cell edits
// with random text, every settings command with random answers and cancels, grid toggles, menu
// commands), checking after each step what users rely on. Fixed seed; VELMORA_SEED=N picks
// another, VELMORA_STEPS=N another length.
#include "core/foncbase.h"
#include "plot/abaque.h"
#include "plot/rastersurface.h"
#include "scriptedprompts.h"
#include "ui/abaqvelmora.h"
#include "ui/aideabaq.h"
#include "ui/apropo.h"
#include "ui/chgvalbmp.h"
#include "ui/imageabaq.h"
#include "ui/startup.h"
#include "ui/widgets.h"
#include "ui_abaqvelmora.h"
#include "ui_chgvalbmp.h"

#include <QLineEdit>
#include <QtTest>

#include <random>

using namespace velmora;
using velmora::test::ScriptedPrompts;

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

QImage freshRender()
{
    RasterSurface surface(300, 475);
    RenderAbaque(Settings, WindowProfile(), surface);
    return surface.image().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class RandomUseTest : public QObject {
    Q_OBJECT

private:
    Ui::TFenetvelmora &f() { return Fenetvelmora->form(); }

    void checkInvariants(int step, bool chartMayBeStale)
    {
        const QString where = QStringLiteral("step %1").arg(step);
        for (auto [list, values] : { std::pair { f().ValueListEditor1, &Settings.IsogainValues },
                 std::pair { f().ValueListEditor2, &Settings.IsophaseValues } }) {
            QVERIFY2(
                static_cast<int>(values->size()) == list->rowCountWithTitle(), qPrintable(where));
            QVERIFY2(list->dataRowCount() >= 1, qPrintable(where));
            for (int row = 1; row <= list->dataRowCount(); ++row)
                QVERIFY2(list->keyText(row).trimmed() == QString::number(row), qPrintable(where));
        }
        QCOMPARE(f().Label4->text(),
            "gain maxi= " + QString::fromStdString(RealToText(Settings.GainMax)) + "dB");
        QCOMPARE(captionNumber(f().Label5->text(), "gain mini= ", "dB"), Settings.GainMin);
        QCOMPARE(f().Label6->text(), QString("phase maxi= 10°"));
        QCOMPARE(captionNumber(f().Label7->text(), "phase mini= ", "°"), Settings.PhaseMin);
        const QString gainStepPrefix = f().Label8->text().startsWith('I')
            ? "Intervalle graduation= "
            : "intervalle graduation= ";
        QCOMPARE(captionNumber(f().Label8->text(), gainStepPrefix, "dB"), Settings.GainStep);
        const QString phaseStepPrefix = f().Label9->text().startsWith('I')
            ? "Intervalle graduation= "
            : "intervalle graduation= ";
        QCOMPARE(captionNumber(f().Label9->text(), phaseStepPrefix, "°"), Settings.PhaseStep);
        QVERIFY(f().ValueListEditor1->rowCountWithTitle() >= 2);
        QVERIFY2(Settings.GainMin < 0 && Settings.GainMax > 0 && Settings.PhaseMin >= -360
                && Settings.PhaseMin <= -180 && Settings.GainStep > 0 && Settings.PhaseStep > 0,
            qPrintable(where));
        const QImage chart = abaque->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(chart.size(), QSize(300, 475));
        if (!chartMayBeStale)
            QVERIFY2(chart == freshRender(), qPrintable(where));
        for (const QString &error : prompts->errors)
            QCOMPARE(error, overflowReport);
    }

    std::unique_ptr<ScriptedPrompts> prompts;

private slots:
    void randomSequenceKeepsEveryInvariant()
    {
        const std::uint64_t seed = environmentNumber("VELMORA_SEED", 20261208);
        const int steps = static_cast<int>(environmentNumber("VELMORA_STEPS", 400));
        qInfo("seed %llu, %d steps", static_cast<unsigned long long>(seed), steps);
        Dice dice(seed);
        prompts = std::make_unique<ScriptedPrompts>();
        CreateWindows();
        Fenetvelmora->init(Fenetvelmora);

        // After an error the handler stops before drawing: the chart shows the last state drawn
        // until a handler draws again.
        bool stale = false;
        qint64 shownImage = abaque->image().cacheKey();
        int errorsSeen = 0;
        int cellEdits = 0;
        for (int step = 0; step < steps; ++step) {
            const auto answerWith = [&](double low, double high) {
                if (dice.chance(15))
                    prompts->inputs.push_back(std::nullopt);
                else
                    prompts->inputs.push_back(dice.answer(low, high));
            };
            ValueListEditor *list = dice.chance(50) ? f().ValueListEditor1 : f().ValueListEditor2;
            switch (dice.roll(0, 14)) {
            case 0:
                answerWith(-150, 150);
                QTest::mouseClick(f().BitBtn1, Qt::LeftButton);
                break;
            case 1:
                answerWith(-400, 10);
                QTest::mouseClick(f().BitBtn3, Qt::LeftButton);
                break;
            case 2:
                list->setCurrentDataRow(dice.roll(1, list->dataRowCount()));
                QTest::mouseClick(
                    list == f().ValueListEditor1 ? f().BitBtn2 : f().BitBtn4, Qt::LeftButton);
                break;
            case 3:
                QTest::keyClick(list, Qt::Key_Return);
                break;
            case 4: {
                const int row = dice.roll(1, list->dataRowCount());
                list->setCurrentCell(row - 1, 1);
                list->editItem(list->item(row - 1, 1));
                if (auto *editor = list->findChild<QLineEdit *>("CellEditor")) {
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
                QTest::mouseClick(f().Label4, Qt::LeftButton);
                break;
            case 6:
                answerWith(-120, 10);
                QTest::mouseClick(f().Label5, Qt::LeftButton);
                break;
            case 7:
                answerWith(-400, -150);
                QTest::mouseClick(f().Label7, Qt::LeftButton);
                break;
            case 8:
                answerWith(0, Settings.GainMax);
                QTest::mouseClick(f().Label8, Qt::LeftButton);
                break;
            case 9:
                answerWith(0, 200);
                QTest::mouseClick(f().Label9, Qt::LeftButton);
                break;
            case 10: {
                QLabel *labels[] = { f().Label1, f().Label2, f().Label12 };
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
                QTest::mouseClick(f().Label10, Qt::LeftButton);
                break;
            case 12:
                (dice.chance(50) ? f().CheckBox3 : f().CheckBox4)->click();
                break;
            case 13:
                f().Copierdanspressepapiers1->trigger();
                break;
            default:
                answerWith(300, 1000);
                f().aille1->trigger();
                QTest::mouseClick(dice.chance(50) ? valbmp->form().label1 : valbmp->form().Label2,
                    Qt::LeftButton);
                break;
            }
            QCOMPARE(prompts->unexpected, 0);
            if (prompts->errors.size() > errorsSeen) {
                errorsSeen = static_cast<int>(prompts->errors.size());
                stale = true;
            } else if (abaque->image().cacheKey() != shownImage) {
                stale = false;
            }
            shownImage = abaque->image().cacheKey();
            checkInvariants(step, stale);
        }
        qInfo("%d cell edits typed, %d overflow reports", cellEdits, errorsSeen);
        if (steps >= 200) {
            // The sequence did reach the paths it is meant to shake.
            QVERIFY(cellEdits > 0);
            QVERIFY(errorsSeen > 0);
        }
        DestroyWindows();
        prompts.reset();
    }
};

QObject *NewRandomUseTest()
{
    return new RandomUseTest;
}

#include "randomuse_test.moc"
