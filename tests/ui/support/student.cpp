#include "student.h"

#include "app/front_end.h"
#include "app/windows.h"
#include "game.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/widgets.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_MACs.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTableWidget>

namespace kw::test {

Student::Student()
{
    m_script.onBox = [this](const kw::seam::BoxRecord& record) {
        boxes.push_back(record);
        if (onBox)
            onBox(record);
        if (m_answers.empty())
            return true;
        const bool answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    };
    m_script.onModal = [this](QDialog* dialog) {
        dialogsOpened << QString::fromLatin1(dialog->metaObject()->className());
        if (m_plays.empty())
            return;
        auto play = std::move(m_plays.front());
        m_plays.pop_front();
        play(dialog);
    };
    kw::seam::setScript(&m_script);
}

Student::~Student()
{
    kw::seam::setScript(nullptr);
}

void Student::thenDialog(std::function<void(QDialog*)> play)
{
    m_plays.push_back(std::move(play));
}

void Student::thenAnswer(bool ok)
{
    m_answers.push_back(ok);
}

QStringList Student::boxTexts() const
{
    QStringList texts;
    for (const auto& box : boxes)
        texts << box.text;
    return texts;
}

void Student::clear()
{
    boxes.clear();
    dialogsOpened.clear();
}

Program::Program(const QByteArray& ini, const char* exercises, bool writeIni)
{
    if (writeIni) {
        QFile iniFile(m_dir.filePath(QStringLiteral("kw_switch.INI")));
        if (iniFile.open(QIODevice::WriteOnly))
            iniFile.write(ini);
    }
    if (exercises) {
        QFile exerciseFile(m_dir.filePath(QStringLiteral("switchexos.kw")));
        if (exerciseFile.open(QIODevice::WriteOnly))
            exerciseFile.write(exercises);
    }
    m_previousFolder = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    m_started = kw::ui::createWindows();
}

Program::~Program()
{
    if (m_started)
        kw::ui::destroyWindows();
    QDir::setCurrent(m_previousFolder);
}

void Program::clickDiagram(int x, int y, Qt::MouseButton button)
{
    QTest::mouseClick(kw::ui::windows().Principale->Image1, button, {}, QPoint(x, y));
}

QRgb Program::diagramPixel(int x, int y) const
{
    return kw::ui::windows().Principale->Image1->canvas().pixel(x, y);
}

void Program::clickStation(int station)
{
    const QPoint p = stationPoint(station);
    clickDiagram(p.x(), p.y());
}

QPoint stationPoint(int station)
{
    static const QPoint points[] = {{},         {29, 207},  {89, 207}, {150, 207}, {339, 207},
                                    {403, 207}, {460, 207}, {220, 29}, {290, 29}};
    return station >= 1 && station <= 8 ? points[station] : QPoint();
}

QString macOf(int station)
{
    return QString::fromStdString(kw::ui::game().stations()[station].mac);
}

QSize cellSize(const QTableWidget* grid, int column, int row)
{
    return grid->visualItemRect(grid->item(row, column)).size();
}

void buildEveryControl()
{
    const kw::ui::Windows& w = kw::ui::windows();
    w.Principale->trame_gauche.get();
    w.f_source->buildControls();
    w.f_avance->buildControls();
    w.f_hub1->buildControls();
    w.AdressesMAC->buildControls();
    w.f_destination->buildControls();
    w.f_hub2->buildControls();
    w.apropos->buildControls();
    w.f_switch->buildControls();
    w.f_switch_gros->buildControls();
}

kw::SharedState& state()
{
    return kw::ui::game().stateForTests();
}

kw::GameView& view()
{
    return kw::ui::game().viewForTests();
}

void refresh()
{
    kw::ui::refreshWindows();
}

void setTicked(kw::Tick tick, bool ticked)
{
    view().avance.ticks[static_cast<std::size_t>(tick)] = ticked;
    refresh();
}

void completeFrame()
{
    state().FlowState = kw::flow::FrameDone;
    view().avance.ticks[static_cast<std::size_t>(kw::Tick::_destinataire)] = true;
    view().avance.finEnabled = true;
    refresh();
    Tf_avance* progress = kw::ui::windows().f_avance;
    kw::ui::focusFirstControl(progress);
    progress->setWindowState((progress->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    progress->showNormal();
    progress->raise();
    progress->activateWindow();
}

void nextExercise()
{
    view().principale.nouveauEnabled = true;
    refresh();
    kw::ui::windows().Principale->NouveauClick();
}

void markOpen(kw::Window window)
{
    view().showing[static_cast<std::size_t>(window)] = kw::Showing::Modeless;
    refresh();
}

int runForWork(kw::Window window, QDialog* dialog)
{
    // Open as a window for work the student may close by its close box.
    view().showing[static_cast<std::size_t>(window)] = kw::Showing::Modeless;
    refresh();
    return kw::seam::execModal(dialog);
}

QString examplesFolder(const QString& name)
{
    return QStringLiteral(KW_EXAMPLES) + QLatin1Char('/') + name;
}

} // namespace kw::test
