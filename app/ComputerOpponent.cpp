#include "Unit1.h"

#include "dialogs/Unit7.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <memory>
#include <utility>

namespace {

// The opponent's command-line argument for each level of the dialog.
const char *const LevelArguments[] = {"leicht", "mittel", "stark"};

} // namespace

void TForm1::Computer1Click()
{
    auto dialog = std::make_unique<TForm7>(this);
    Form7 = dialog.get();
    dialog->SetLevel(ComputerLevel);
    if (dialog->ShowModal() != mrOk)
        return;
    ComputerLevel = dialog->Level();
    const QString Port = StartOpponent(ComputerLevel);
    if (Port.isEmpty()) {
        ShowError(QStringLiteral("Der Computer konnte nicht gestartet werden"));
        return;
    }
    AddressText = QStringLiteral("127.0.0.1");
    PortText = Port;
    DoConnect();
    // A connection that never got under way has no use for the opponent.
    if (ConnState != cnConnecting && ConnState != cnConnected)
        StopOpponent();
}

QString TForm1::StartOpponent(int level)
{
    StopOpponent();
    Opponent = new QProcess(this);
    Opponent->setProgram(OpponentProgram.isEmpty() ? QCoreApplication::applicationDirPath() +
                                                         QStringLiteral("/dropstone-opponent")
                                                   : OpponentProgram);
    Opponent->setArguments({QString::fromLatin1(LevelArguments[qBound(0, level, 2)])});
    // Standard input stays an open pipe: the child takes its end for the end of the program.
    Opponent->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Opponent->start();
    // The child tells its port as soon as it listens, within milliseconds; the window waits
    // for that one line.
    const QDeadlineTimer Deadline(OpponentStartTimeoutMs);
    bool Waiting = Opponent->waitForStarted(OpponentStartTimeoutMs);
    while (Waiting && !Opponent->canReadLine())
        Waiting = Opponent->waitForReadyRead(int(Deadline.remainingTime()));
    bool Valid = false;
    const int Port = Opponent->canReadLine() ? Opponent->readLine().trimmed().toInt(&Valid) : 0;
    if (!Valid || Port <= 0 || Port > 65535) {
        StopOpponent();
        return QString();
    }
    return QString::number(Port);
}

void TForm1::StopOpponent()
{
    const std::unique_ptr<QProcess> Process(std::exchange(Opponent, nullptr));
    if (!Process || Process->state() == QProcess::NotRunning)
        return;
    Process->terminate();
    if (!Process->waitForFinished(OpponentStopTimeoutMs)) {
        Process->kill();
        Process->waitForFinished(OpponentStopTimeoutMs);
    }
}
