// The chat history: out of the user's reach, and still readable.
#include "TestSupport.h"

#include "app/Unit1.h"

#include <QPlainTextEdit>

#include <cmath>
#include <memory>

// Relative luminance of an sRGB colour, as the accessibility guidelines define it.
static double luminance(const QColor &color)
{
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

class tst_History : public QObject
{
    Q_OBJECT

private slots:
    // The darkest pixel of a line against the empty part: at least 4.5:1, the guidelines'
    // figure for body text.
    void contrast()
    {
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        auto form = std::make_unique<TForm1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QPlainTextEdit *history = form->Memo2();
        form->AddHistoryLine(QStringLiteral("Willkommen, Anna"));
        QVERIFY(!history->isEnabled());

        const QImage shot = history->grab().toImage();
        const QRect area = history->viewport()->geometry();
        const qreal scale = shot.devicePixelRatio();
        const QColor background =
            shot.pixelColor(QPointF(area.center().x(), area.bottom() - 2).toPoint() * scale);
        double darkest = luminance(background);
        for (int y = area.top() * scale; y < (area.top() + 20) * scale; ++y) {
            for (int x = area.left() * scale; x < area.right() * scale; ++x)
                darkest = std::min(darkest, luminance(shot.pixelColor(x, y)));
        }
        const double ratio = (luminance(background) + 0.05) / (darkest + 0.05);
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("contrast %1:1").arg(ratio)));
    }
};

DROPSTONE_TEST_MAIN(tst_History)
#include "tst_history.moc"
