// Every scenario file of tests/scenarios replayed through the real windows, offscreen, with
// the mouse and by keys; the two example series also with the addresses copied from the cache,
// and with Enter for "Terminé". The same files are replayed against the game alone
// (core_tests) and through the web page.
//
// One row: tst_scenarios replay:<name>[/keys|/cache|/enter]

#include "student.h"
#include "widget_replay.h"

#include <QElapsedTimer>

using kw::test::Ways;

Q_DECLARE_METATYPE(Ways)

class TestScenarios : public QObject {
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void TestScenarios::replay_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Ways>("ways");
    // With the mouse, and by keys (the mouse only for what no key reaches).
    for (const auto& path : kw::scenario::listScenarios(KW_SCENARIOS)) {
        const QString file = QString::fromStdString(path.string());
        QTest::newRow(path.stem().c_str()) << file << Ways{};
        QTest::addRow("%s/keys", path.stem().c_str()) << file << Ways{true, false, false};
    }
    // The other ways of working only the windows have, on the ready example series.
    for (const char* name : {"serie_imposee", "serie_aleatoire"}) {
        const QString file = QStringLiteral(KW_SCENARIOS "/%1.scenario").arg(QLatin1String(name));
        QTest::addRow("%s/cache", name) << file << Ways{false, true, false};
        QTest::addRow("%s/enter", name) << file << Ways{false, false, true};
    }
}

void TestScenarios::replay()
{
    QFETCH(QString, file);
    QFETCH(Ways, ways);
    kw::scenario::Scenario scenario;
    try {
        scenario = kw::scenario::load(file.toStdString());
    } catch (const kw::scenario::SyntaxError& error) {
        QFAIL(error.what());
    }
    QElapsedTimer timer;
    timer.start();
    const kw::test::WidgetReplayResult result = kw::test::replayThroughWindows(scenario, ways);
    qInfo("%d acts in %lld ms", result.acts, static_cast<long long>(timer.elapsed()));
    if (!result.ok())
        QFAIL(qPrintable(result.failures.join(QLatin1Char('\n'))));
}

KW_TEST_MAIN(TestScenarios)
#include "tst_scenarios.moc"
