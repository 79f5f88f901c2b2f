#include "SoundServer.h"

#include "SoundFiles.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTest>

int OurSinkInputs() {
    QByteArray output;
    if (!RunTool("pactl", {"list", "sink-inputs"}, &output, 10000))
        return -1;
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QRegularExpression ours("^\\s*application\\.process\\.id = \"" + pid + "\"\\s*$",
                                  QRegularExpression::MultilineOption);
    int streams = 0;
    for (auto match = ours.globalMatch(QString::fromUtf8(output)); match.hasNext(); match.next())
        ++streams;
    return streams;
}

bool WaitForOurSinkInputs(int count, int timeoutMs) {
    return QTest::qWaitFor([count] { return OurSinkInputs() == count; }, timeoutMs);
}
